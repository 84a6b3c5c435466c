#pragma once

// The reminder dialog: the reminder's text with the time and date it was
// scheduled for, "&Snooze" for a chosen number of hours and minutes, and
// "&Off" (also Enter, Esc and closing the window) to switch it off. The two
// number boxes take digits only. The caller fills the labels and the minutes
// box, runs exec(), and reads the boxes afterwards.

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rv {

class TfrmReminder final : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Runvane Reminder";

  explicit TfrmReminder(QWidget* owner = nullptr);

  QLabel* lblReminderTitle;
  QLabel* Image1;
  QLabel* Label3;
  QFrame* Bevel1;
  QLabel* lblTimeLabel;
  QLabel* lblTime;
  QLabel* lblDateLabel;
  QLabel* lblDate;
  QFrame* Bevel2;
  QLabel* lblRemindText;
  QPushButton* comAgain;
  QPushButton* comOFF;
  QLabel* Label1;
  QLineEdit* edtHours;
  QLabel* sdf;
  QLineEdit* edtMinutes;
  QLabel* Label2;

 protected:
  // edtHoursKeyPress for both boxes: a typed character other than a digit
  // is dropped.
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace rv
