#pragma once

// The REMINDER step's dialog in the launcher: a TfrmReminder for each
// showing, so several tasks can each have one open. Without a display it
// logs the reminder and answers "off" at once.

#include <functional>
#include <string>

#include "launcher/reminder_dialog.h"

namespace rv {

class QtReminderDialog final : public ReminderDialog {
 public:
  // Receives the line to log and its level.
  using LogSink = std::function<void(const std::string& line, int level)>;
  static constexpr int kLogLevel = 20;

  // `interactive` tells whether anyone can see the dialog (HasDisplay()
  // when not given).
  explicit QtReminderDialog(LogSink log, std::function<bool()> interactive = {});

  ReminderAnswer Show(const ReminderContent& content) override;

 private:
  LogSink log_;
  std::function<bool()> interactive_;
};

}  // namespace rv
