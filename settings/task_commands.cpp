#include "settings/task_commands.h"

#include "common/preferences.h"
#include "common/task_list.h"

namespace rv {

TaskCommands::TaskCommands(RVTaskList& tasks, RVPreferences& preferences)
    : tasks_(tasks), preferences_(preferences) {}

std::string TaskCommands::CopyName(const RVTaskList& tasks, const std::string& source) {
  for (int n = 1;; ++n) {
    std::string candidate = source + " (" + std::to_string(n) + ")";
    if (tasks.IndexOfName(candidate) < 0) return candidate;
  }
}

template <typename Change>
CommandResult TaskCommands::Locked(const std::string& name, Change change) {
  CommandResult result;
  if (tasks_.LockFile(1) != 1) {
    result.outcome = CommandOutcome::LockFailed;
    result.error = tasks_.LastError();
    return result;
  }
  const int32_t index = tasks_.IndexOfName(name);
  if (index < 0) {
    tasks_.UnlockFile();
    result.outcome = CommandOutcome::TaskMissing;
    return result;
  }
  change(index, result);
  if (Result<void> saved = tasks_.SaveToFile(); !saved) {
    result.outcome = CommandOutcome::SaveFailed;
    result.error = saved.error();
    // The list must not show a change the file does not hold.
    tasks_.Clear();
    (void)tasks_.LoadFromFile();
    tasks_.UnlockFile();
    return result;
  }
  preferences_.SetChangeFlag(ChangeFlag::SettingsChange, true);
  tasks_.UnlockFile();
  return result;
}

CommandResult TaskCommands::Delete(const std::string& name) {
  return Locked(name,
                [this](int32_t index, CommandResult&) { tasks_.Remove(tasks_.Item(index).get()); });
}

CommandResult TaskCommands::Copy(const std::string& name) {
  return Locked(name, [this](int32_t index, CommandResult& result) {
    std::shared_ptr<RVTask> source = tasks_.Item(index);
    std::string copy_name = CopyName(tasks_, source->TaskName);
    std::shared_ptr<RVTask> copy = tasks_.Add();
    RVTaskList::CopyTask(*source, *copy);
    copy->TaskName = copy_name;
    copy->Active = false;
    result.name = std::move(copy_name);
  });
}

CommandResult TaskCommands::ToggleActive(const std::string& name) {
  return Locked(name, [this](int32_t index, CommandResult& result) {
    RVTask& task = *tasks_.Item(index);
    task.Active = !task.Active;
    result.active = task.Active;
  });
}

CommandResult TaskCommands::Rename(const std::string& old_name, const std::string& new_name) {
  return Locked(old_name, [this, &new_name](int32_t index, CommandResult& result) {
    tasks_.Item(index)->TaskName = new_name;
    result.name = new_name;
  });
}

}  // namespace rv
