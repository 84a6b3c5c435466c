#include "settings/settings_command.h"

namespace rv {

SettingsCommand ParseSettingsCommand(const std::string& text) {
  const std::string line = text.substr(0, text.find_first_of("\r\n"));
  SettingsCommand command;
  command.task_start = line.find("TASKSTART: ") != std::string::npos;
  if (line.find("MESSAGE: ") != std::string::npos) {
    // By position, as the launcher puts the keyword first.
    constexpr size_t kKeywordLength = 9;
    command.message = line.size() > kKeywordLength ? line.substr(kKeywordLength) : std::string();
  }
  command.update = line.find("UPDATE") != std::string::npos;
  command.shutdown = line.find("SHUTDOWN") != std::string::npos;
  return command;
}

}  // namespace rv
