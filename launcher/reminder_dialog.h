#pragma once

// The reminder dialog as the REMINDER step sees it: filled with the launch
// time and date, the reminder text and the snooze minutes, shown until the
// user snoozes or switches the reminder off. The launcher shows a Qt form;
// tests hand in a fake.
//
// Show is called on the main thread. Nobody can answer without a display:
// then an implementation logs the reminder and answers "off" at once.

#include <string>

namespace rv {

struct ReminderContent {
  std::string time;  // the long time format
  std::string date;  // the short date format
  std::string text;
  std::string minutes;  // put into the minutes box; the hours box shows "0"
};

struct ReminderAnswer {
  bool snooze = false;  // false: "&Off", Esc or the window closed
  // The boxes' texts as the user left them: digits only, maybe empty.
  std::string hours;
  std::string minutes;
};

class ReminderDialog {
 public:
  virtual ~ReminderDialog() = default;

  virtual ReminderAnswer Show(const ReminderContent& content) = 0;
};

}  // namespace rv
