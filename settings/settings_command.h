#pragma once

// What a command from the launcher asks of the task manager. Only the first
// line counts, and each keyword is looked for anywhere in it, so one line
// may ask for several things ("TASKSTART: " and "UPDATE" both act).

#include <optional>
#include <string>

namespace rv {

struct SettingsCommand {
  bool task_start = false;
  // The text after "MESSAGE: " (from the tenth character of the line on).
  std::optional<std::string> message;
  bool update = false;
  bool shutdown = false;
};

SettingsCommand ParseSettingsCommand(const std::string& text);

}  // namespace rv
