// MESSAGE and REMINDER with the dialogs faked: what they are shown, on which
// thread, and how the snooze loop runs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>

#include "common/date_time.h"
#include "common/task_list.h"
#include "launcher/message_steps.h"
#include "launcher/reminder_dialog.h"
#include "launcher/testing_host.h"
#include "platform/fake_message_box.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TestingHost;

class FakeReminderDialog final : public ReminderDialog {
 public:
  explicit FakeReminderDialog(ManualDispatcher& main) : main_(main) {}
  ReminderAnswer Show(const ReminderContent& content) override {
    shown.push_back(content);
    on_main_thread = on_main_thread && main_.IsMainThread();
    if (answers.empty()) return {};
    ReminderAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<ReminderAnswer> answers;
  std::vector<ReminderContent> shown;
  bool on_main_thread = true;

 private:
  ManualDispatcher& main_;
};

struct MessageSteps : ::testing::Test {
  TestingHost host;
  RVTaskList list;
  FakeMessageBox box;
  FakeReminderDialog reminder{host.dispatcher_};
  std::vector<std::chrono::milliseconds> waits;
  StepServices services{host.shell_, host.files_, host.trash_};

  void Install() {
    host.handlers_ = StepHandlers();
    AddMessageSteps(
        host.handlers_, services,
        [this](std::chrono::milliseconds length, RVTaskInterpreter&) { waits.push_back(length); });
  }
  void SetUp() override {
    services.message_box = &box;
    services.reminder = &reminder;
    Install();
  }

  int Run(std::vector<std::string> steps) {
    auto task = list.Add();
    task->TaskName = "T";
    task->LaunchDateTime = EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 0);
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host.Run(task);
  }
};

TEST_F(MessageSteps, MessageShowsOneOkBoxAndOnlyFlagZeroLeavesItBehind) {
  EXPECT_EQ(
      Run({"MESSAGE: \"Backup done\",0", "MESSAGE: \"To the front\",1", "MESSAGE: \"No flag\""}),
      StepStatus::Okay);
  ASSERT_EQ(box.asked.size(), 3u);
  for (const MessageRequest& request : box.asked) {
    EXPECT_EQ(request.caption, "Runvane Message");
    EXPECT_EQ(request.OfferedButtons(), std::vector<MessageButton>{MessageButton::Ok});
  }
  EXPECT_EQ(box.asked[0].text, "Backup done");
  EXPECT_FALSE(box.asked[0].topmost);
  EXPECT_TRUE(box.asked[1].topmost);
  // A missing flag reads "0".
  EXPECT_FALSE(box.asked[2].topmost);
}

TEST_F(MessageSteps, SnoozedReminderComesBackWithTheSameTextsUntilSwitchedOff) {
  reminder.answers = {{true, "0", "2"}, {true, "1", ""}, {false, "0", "2"}};
  EXPECT_EQ(Run({"REMINDER: \"Call the bank\",\"15\""}), StepStatus::Okay);
  ASSERT_EQ(reminder.shown.size(), 3u);
  for (const ReminderContent& content : reminder.shown) {
    EXPECT_EQ(content.text, "Call the bank");
    EXPECT_EQ(content.time, "2:05:09 PM");
    EXPECT_EQ(content.date, "03/07/2026");
    EXPECT_EQ(content.minutes, "15");
  }
  EXPECT_TRUE(reminder.on_main_thread);
  EXPECT_THAT(waits,
              ElementsAre(std::chrono::milliseconds(120000), std::chrono::milliseconds(3600000)));
}

TEST_F(MessageSteps, AnUnreadableSnoozeBringsTheReminderBackAtOnce) {
  reminder.answers = {{true, "99999999999", "0"}, {false, "", ""}};
  EXPECT_EQ(Run({"REMINDER: \"Stretch\",\"2\""}), StepStatus::Okay);
  EXPECT_EQ(reminder.shown.size(), 2u);
  EXPECT_TRUE(waits.empty());
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("REMINDER: the snooze time")));
}

TEST_F(MessageSteps, WithoutDialogsBothStepsLogAndGoOn) {
  services.message_box = nullptr;
  services.reminder = nullptr;
  Install();
  EXPECT_EQ(Run({"MESSAGE: \"Backup done\",0", "REMINDER: \"Stretch\",\"2\""}), StepStatus::Okay);
  EXPECT_THAT(host.LogLines(), Contains("T::[Runvane Message] Backup done (no display)"));
  EXPECT_THAT(host.LogLines(),
              Contains("T::[Runvane Reminder] Stretch (no display: switched off)"));
  EXPECT_TRUE(waits.empty());
}

TEST(SnoozeLength, HoursAndMinutesWithEmptyBoxesAsZero) {
  EXPECT_EQ(*SnoozeLength("0", "2"), std::chrono::milliseconds(120000));
  EXPECT_EQ(*SnoozeLength("1", "30"), std::chrono::milliseconds(5400000));
  EXPECT_EQ(*SnoozeLength("", ""), std::chrono::milliseconds(0));
  EXPECT_FALSE(SnoozeLength("12a", "0"));
  EXPECT_FALSE(SnoozeLength("0", "99999999999"));
}

}  // namespace
}  // namespace rv
