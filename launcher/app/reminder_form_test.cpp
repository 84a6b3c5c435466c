// The reminder dialog on Qt's offscreen platform, alone and as the REMINDER
// step shows it, and MESSAGE through the launcher's message box.

#include "launcher/app/reminder_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "common/date_time.h"
#include "common/task_list.h"
#include "launcher/app/qt_reminder_dialog.h"
#include "launcher/message_steps.h"
#include "launcher/testing_host.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/testing/test_application.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Runs `act` on the dialog once its modal loop is going.
int ExecWith(TfrmReminder& form, std::function<void()> act) {
  QTimer::singleShot(0, &form, [&form, act] {
    ASSERT_TRUE(form.isVisible());
    act();
  });
  return form.exec();
}

struct ReminderForm : ::testing::Test {
  void SetUp() override { (void)testing::TestApplication(); }
};

TEST_F(ReminderForm, HasItsCaptionSizeTextsAndButtons) {
  TfrmReminder form;
  EXPECT_EQ(form.windowTitle(), "Runvane Reminder");
  EXPECT_EQ(form.size(), QSize(386, 277));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(form.lblReminderTitle->text(), "Reminder");
  EXPECT_EQ(form.lblReminderTitle->font().pixelSize(), 19);
  EXPECT_EQ(form.Label3->text(), "You have a reminder scheduled:");
  EXPECT_EQ(form.lblTimeLabel->text(), "For Time:");
  EXPECT_EQ(form.lblDateLabel->text(), "For Date:");
  EXPECT_EQ(form.Label1->text(), "Remind me again in:");
  EXPECT_EQ(form.sdf->text(), "hours and");
  EXPECT_EQ(form.Label2->text(), "minutes.");
  EXPECT_EQ(form.comAgain->text(), "&Snooze");
  EXPECT_EQ(form.comOFF->text(), "&Off");
  EXPECT_TRUE(form.comOFF->isDefault());
  EXPECT_FALSE(form.comAgain->isDefault());
  EXPECT_EQ(form.edtHours->text(), "0");
  EXPECT_EQ(form.edtMinutes->text(), "2");
  EXPECT_EQ(form.lblRemindText->geometry(), QRect(4, 136, 281, 89));
  EXPECT_TRUE(form.lblRemindText->wordWrap());
  EXPECT_EQ(form.edtHours->geometry().topLeft(), QPoint(105, 238));
  EXPECT_EQ(form.edtMinutes->width(), 34);
}

TEST_F(ReminderForm, EnterAndEscSwitchTheReminderOffWhereverTheFocusIs) {
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    TfrmReminder form;
    EXPECT_EQ(ExecWith(form, [&] { QTest::keyClick(form.edtMinutes, key); }), QDialog::Rejected);
    TfrmReminder focused;
    // The focus starts on "&Snooze" (tab order 0); Enter still means "&Off".
    EXPECT_EQ(ExecWith(focused,
                       [&] {
                         focused.comAgain->setFocus();
                         QTest::keyClick(focused.comAgain, key);
                       }),
              QDialog::Rejected);
  }
}

TEST_F(ReminderForm, TheBoxesTakeDigitsOnly) {
  TfrmReminder form;
  QTest::keyClicks(form.edtHours, "a1-b ");
  QTest::keyClicks(form.edtMinutes, "x5.");
  QTest::keyClick(form.edtMinutes, Qt::Key_Backspace);
  EXPECT_EQ(form.edtHours->text(), "01");
  EXPECT_EQ(form.edtMinutes->text(), "25");
  // Typed digits still replace a selection.
  form.edtMinutes->selectAll();
  QTest::keyClicks(form.edtMinutes, "7");
  EXPECT_EQ(form.edtMinutes->text(), "7");
}

TEST_F(ReminderForm, SnoozeWithTheBoxesAsTheyAreGivesTwoMinutes) {
  TfrmReminder form;
  EXPECT_EQ(ExecWith(form, [&] { QTest::mouseClick(form.comAgain, Qt::LeftButton); }),
            QDialog::Accepted);
  Result<std::chrono::milliseconds> snooze =
      SnoozeLength(form.edtHours->text().toStdString(), form.edtMinutes->text().toStdString());
  ASSERT_TRUE(snooze);
  EXPECT_EQ(*snooze, std::chrono::minutes(2));
}

// The step's dialogs on the main thread of a test host.
struct DialogSteps : ReminderForm {
  rv::testing::TestingHost host;
  RVTaskList list;
  std::vector<std::string> logged;
  QtReminderDialog reminder{[this](const std::string& line, int) { logged.push_back(line); },
                            [] { return true; }};
  QtMessageBox box{[this](const std::string& line, int) { logged.push_back(line); }};
  StepServices services{host.shell_, host.files_, host.trash_};
  std::vector<std::chrono::milliseconds> waits;

  int Run(std::vector<std::string> steps) {
    host.handlers_ = StepHandlers();
    AddMessageSteps(
        host.handlers_, services,
        [this](std::chrono::milliseconds length, RVTaskInterpreter&) { waits.push_back(length); });
    auto task = list.Add();
    task->TaskName = "T";
    task->LaunchDateTime = EncodeDate(2026, 12, 24) + EncodeTime(8, 0, 0, 0);
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host.Run(task);
  }
};

TEST_F(DialogSteps, ASnoozedReminderComesBackWithTheLaunchTimeUntilSwitchedOff) {
  services.reminder = &reminder;
  std::vector<std::string> shown;
  // Answers each dialog as it opens: "&Snooze" first, then "&Off".
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* form = qobject_cast<TfrmReminder*>(QApplication::activeModalWidget());
    if (form == nullptr || !form->isVisible()) return;
    shown.push_back(
        form->lblTime->text().toStdString() + " " + form->lblDate->text().toStdString() + " " +
        form->lblRemindText->text().toStdString() + " " + form->edtMinutes->text().toStdString());
    (shown.size() == 1 ? form->comAgain : form->comOFF)->click();
  });
  answer.start(5);
  EXPECT_EQ(Run({"REMINDER: \"Wrap the presents\",\"3\""}), StepStatus::Okay);
  EXPECT_THAT(shown, ElementsAre("8:00:00 AM 12/24/2026 Wrap the presents 3",
                                 "8:00:00 AM 12/24/2026 Wrap the presents 3"));
  EXPECT_THAT(waits, ElementsAre(std::chrono::milliseconds(180000)));
}

TEST_F(DialogSteps, WithoutADisplayNeitherStepWaitsAndBothAreLogged) {
  QtReminderDialog headless{[this](const std::string& line, int) { logged.push_back(line); },
                            [] { return false; }};
  services.reminder = &headless;
  services.message_box = &box;
  EXPECT_EQ(Run({"MESSAGE: \"Backup done\",0", "REMINDER: \"Stretch\",\"2\""}), StepStatus::Okay);
  EXPECT_THAT(logged, Contains(HasSubstr("[Runvane Message] Backup done")));
  EXPECT_THAT(logged, Contains("[Runvane Reminder] Stretch (8:00:00 AM 12/24/2026; no display: "
                               "switched off)"));
  EXPECT_TRUE(waits.empty());
}

}  // namespace
}  // namespace rv
