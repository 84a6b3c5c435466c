#pragma once

// The task manager's changes to single tasks. Each one takes the task-file
// lock (which re-reads the file into the list), finds the task by name,
// changes it, saves the whole file, tells the launcher through
// "SettingsChange" and releases the lock; the lock is released on every path
// once taken. A task that another program renamed or deleted meanwhile is
// left alone and reported as missing.

#include <string>

#include "platform/result.h"

namespace rv {

class RVPreferences;
class RVTaskList;

enum class CommandOutcome {
  Done,
  // The lock stayed busy or the file did not load; nothing changed.
  LockFailed,
  // No task of that name is in the file any more; nothing changed.
  TaskMissing,
  // The change could not be written; the list was read back from the file,
  // so it shows what the file holds.
  SaveFailed,
};

struct CommandResult {
  CommandOutcome outcome = CommandOutcome::Done;
  // Why, for LockFailed and SaveFailed.
  std::string error;
  // Copy: the copy's name. Enable/disable: the new state.
  std::string name;
  bool active = false;

  bool done() const { return outcome == CommandOutcome::Done; }
};

class TaskCommands {
 public:
  TaskCommands(RVTaskList& tasks, RVPreferences& preferences);

  CommandResult Delete(const std::string& name);
  // Appends an inactive copy named after the first free "name (n)".
  CommandResult Copy(const std::string& name);
  // Inverts the task's active flag; the result carries the new state.
  CommandResult ToggleActive(const std::string& name);
  // Any new text is taken, empty or already used included.
  CommandResult Rename(const std::string& old_name, const std::string& new_name);

  // The first of "source (1)", "source (2)", ... that no task has exactly.
  static std::string CopyName(const RVTaskList& tasks, const std::string& source);

 private:
  // Runs `change` on the found task's index between lock and save.
  template <typename Change>
  CommandResult Locked(const std::string& name, Change change);

  RVTaskList& tasks_;
  RVPreferences& preferences_;
};

}  // namespace rv
