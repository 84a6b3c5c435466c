#include "settings/task_file_choice.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/preferences.h"
#include "common/task_list.h"

namespace rv {

std::optional<std::string> ConfiguredTaskFile(RVPreferences& preferences) {
  std::error_code error;
  if (!preferences.TaskFile.empty() &&
      std::filesystem::is_regular_file(preferences.TaskFile, error)) {
    return preferences.TaskFile;
  }
  const std::string beside = RVPreferences::ProgramDirectory() + "TASKS.RVD";
  if (std::filesystem::exists(beside, error) && RVTaskList::IsValidTaskFile(beside)) {
    preferences.TaskFile = beside;
    preferences.Save();
    return beside;
  }
  return std::nullopt;
}

Result<void> CreateEmptyTaskFile(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return MakeError(path + ": cannot create the file: " + std::strerror(errno));
  out << kTaskFileHeader << "\r\n";
  out.close();
  if (!out) return MakeError(path + ": cannot write the file");
  return {};
}

}  // namespace rv
