#include "launcher/app/qt_reminder_dialog.h"

#include <QLabel>
#include <QLineEdit>

#include "launcher/app/reminder_form.h"
#include "platform/qt/display.h"

namespace rv {

QtReminderDialog::QtReminderDialog(LogSink log, std::function<bool()> interactive)
    : log_(std::move(log)), interactive_(std::move(interactive)) {
  if (!interactive_) interactive_ = [] { return HasDisplay(); };
}

ReminderAnswer QtReminderDialog::Show(const ReminderContent& content) {
  if (!interactive_()) {
    if (log_) {
      log_(std::string("[") + TfrmReminder::kCaption + "] " + content.text + " (" + content.time +
               " " + content.date + "; no display: switched off)",
           kLogLevel);
    }
    return {};
  }
  TfrmReminder form;
  form.lblTime->setText(QString::fromStdString(content.time));
  form.lblDate->setText(QString::fromStdString(content.date));
  form.lblRemindText->setText(QString::fromStdString(content.text));
  form.edtMinutes->setText(QString::fromStdString(content.minutes));
  ReminderAnswer answer;
  answer.snooze = form.exec() == QDialog::Accepted;
  answer.hours = form.edtHours->text().toStdString();
  answer.minutes = form.edtMinutes->text().toStdString();
  return answer;
}

}  // namespace rv
