#include "launcher/timer_trigger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/date_line.h"
#include "common/preferences.h"
#include "common/store_keys.h"
#include "common/task_list.h"
#include "launcher/testing_starter.h"
#include "launcher/thread_manager.h"
#include "platform/manual_timer.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

using ::testing::ElementsAre;

using testing::RecordingStarter;

const TDateTime kNine = EncodeDate(2026, 12, 11) + EncodeTime(9, 0, 0, 0);

TDateTime Seconds(double seconds) {
  return seconds / 86400.0;
}

struct TimerTrigger : ::testing::Test {
  std::string dir = testing::MakeTempDir();
  std::unique_ptr<Registry> store = std::move(*Registry::Open(dir + "registry.db"));
  RVPreferences prefs{store.get()};
  ManualClock clock{kNine};
  RVTaskList list{dir + "TASKS.RVD", store.get(), clock};
  RecordingStarter starter;
  Threadmanager threads;
  ManualTimer* timer = nullptr;
  std::vector<std::string> asked;
  std::function<bool()> answer = [] { return false; };
  std::unique_ptr<TRVTimerTrigger> trigger;

  TimerTrigger() {
    auto owned = std::make_unique<ManualTimer>();
    timer = owned.get();
    trigger = std::make_unique<TRVTimerTrigger>(
        std::move(owned), starter, threads,
        [this](const std::string& text, const std::string& caption) {
          EXPECT_EQ(text, "This task is late.  Would you like to launch it anyway?");
          asked.push_back(caption);
          return answer();
        },
        clock);
    trigger->SetTaskList(&list, &prefs, nullptr);
    prefs.ClearFileLock();
  }

  // A daily scheduled task, saved to the file with the rest of the list.
  std::shared_ptr<RVTask> Daily(const std::string& name, TDateTime launch, int32_t late) {
    auto task = list.Add();
    task->TaskName = name;
    task->LaunchDateTime = launch;
    task->Frequency = 1;
    task->Interval = 1;
    task->IntervalType = 2;
    task->Active = true;
    task->LateFlags = late;
    task->TaskTriggers = TriggerBits::Scheduled;
    EXPECT_TRUE(list.SaveToFile());
    return task;
  }

  std::string LaunchLineOf(const std::string& name) {
    RVTaskList disk(list.FileName);
    EXPECT_TRUE(disk.LoadFromFile());
    auto task = disk.FindByName(name);
    return task ? FormatDateLine(task->LaunchDateTime) + (task->Active ? " active" : " inactive")
                : "missing";
  }
};

TEST_F(TimerTrigger, OnTimeTaskStartsAndIsRescheduledInTheFile) {
  trigger->ScanTime = 1500;  // one second of tolerance
  Daily("Backup", kNine - Seconds(1), LateRule::DoNotRun | LateRule::FromLaunchTime);
  trigger->ScanForTasks();
  EXPECT_THAT(starter.started, ElementsAre("Backup"));
  EXPECT_EQ(LaunchLineOf("Backup"), "12/12/2026 8:59:59 AM active");
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::RunvaneChange));
  EXPECT_EQ(list.Item(0)->LaunchDateTime, kNine - Seconds(1) + 1);  // the reloaded record
  starter.started.clear();
  trigger->ScanForTasks();
  EXPECT_TRUE(starter.started.empty());
}

TEST_F(TimerTrigger, BelowOneSecondEveryDueTaskIsLate) {
  trigger->ScanTime = 999;
  Daily("Skipped", kNine - Seconds(0.5), LateRule::DoNotRun | LateRule::FromLaunchTime);
  Daily("Run late", kNine - Seconds(0.5), LateRule::RunImmediately | LateRule::FromRunMoment);
  trigger->ScanForTasks();
  EXPECT_THAT(starter.started, ElementsAre("Run late"));
  EXPECT_EQ(LaunchLineOf("Skipped"), "12/12/2026 8:59:59 AM active");
  EXPECT_EQ(LaunchLineOf("Run late"), "12/12/2026 9:0:0 AM active");
}

TEST_F(TimerTrigger, OnlyActiveScheduledTasksPastTheirMomentAreDue) {
  Daily("Exactly now", kNine, LateRule::RunImmediately | LateRule::FromLaunchTime);
  Daily("Inactive", kNine - 100, LateRule::RunImmediately | LateRule::FromLaunchTime)->Active =
      false;
  Daily("Hotkey only", kNine - 100, LateRule::RunImmediately | LateRule::FromLaunchTime)
      ->TaskTriggers = TriggerBits::Hotkey;
  ASSERT_TRUE(list.SaveToFile());
  trigger->ScanForTasks();
  EXPECT_TRUE(starter.started.empty());
  clock.AdvanceMilliseconds(1);
  trigger->ScanForTasks();
  EXPECT_THAT(starter.started, ElementsAre("Exactly now"));
}

TEST_F(TimerTrigger, RunOnceTaskEndsInactiveWhetherStartedOrNot) {
  auto once = Daily("Once", kNine - 1, LateRule::DoNotRun | LateRule::FromLaunchTime);
  once->Frequency = 0;
  ASSERT_TRUE(list.SaveToFile());
  trigger->ScanForTasks();
  EXPECT_TRUE(starter.started.empty());
  EXPECT_EQ(LaunchLineOf("Once"), "12/10/2026 9:0:0 AM inactive");
}

TEST_F(TimerTrigger, PromptAnsweredNoRemovesTheMarkerAndStillReschedules) {
  Daily("Ask me", kNine - 1, LateRule::Prompt | LateRule::FromLaunchTime);
  answer = [&] {
    EXPECT_TRUE(prefs.IsRunning("Ask me"));
    EXPECT_EQ(threads.FindThread("Ask me"), 0);
    EXPECT_TRUE(list.FindByName("Ask me")->Holding);
    return false;
  };
  trigger->ScanForTasks();
  EXPECT_THAT(asked, ElementsAre("Ask me"));
  EXPECT_TRUE(starter.started.empty());
  EXPECT_FALSE(prefs.IsRunning("Ask me"));
  EXPECT_EQ(threads.Count(), 0);
  EXPECT_EQ(LaunchLineOf("Ask me"), "12/12/2026 9:0:0 AM active");
  EXPECT_FALSE(list.FindByName("Ask me")->Holding);
}

TEST_F(TimerTrigger, ScansDuringTheQuestionDoNotAskAgainEvenAfterAReload) {
  Daily("Ask me", kNine - 1, LateRule::Prompt | LateRule::FromLaunchTime);
  answer = [&] {
    trigger->ScanForTasks();
    // Another task's reschedule reloads the list from the file meanwhile.
    EXPECT_EQ(list.LockFile(1), 1);
    list.UnlockFile();
    trigger->ScanForTasks();
    return true;
  };
  trigger->ScanForTasks();
  EXPECT_THAT(asked, ElementsAre("Ask me"));
  EXPECT_THAT(starter.started, ElementsAre("Ask me"));
}

TEST_F(TimerTrigger, LockHeldElsewhereLeavesTheTaskDue) {
  trigger->ScanTime = 5000;
  Daily("Busy file", kNine - Seconds(1), LateRule::RunImmediately | LateRule::FromLaunchTime);
  const std::string before = testing::ReadFile(list.FileName);
  ASSERT_TRUE(store->WriteInteger(Hive::CurrentUser, store_keys::kIpc, "FileLocked", 1));
  trigger->ScanForTasks();
  EXPECT_THAT(starter.started, ElementsAre("Busy file"));
  EXPECT_EQ(testing::ReadFile(list.FileName), before);
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::RunvaneChange));
  // Later, past the tolerance and with the lock free, it is handled as late.
  prefs.ClearFileLock();
  clock.AdvanceMilliseconds(10'000);
  trigger->ScanForTasks();
  EXPECT_THAT(starter.started, ElementsAre("Busy file", "Busy file"));
  EXPECT_EQ(LaunchLineOf("Busy file"), "12/12/2026 8:59:59 AM active");
}

TEST_F(TimerTrigger, TaskDeletedMeanwhileIsNotWrittenBack) {
  Daily("Vanishing", kNine - Seconds(0.5), LateRule::RunImmediately | LateRule::FromLaunchTime);
  // Another program deleted it from the file after this list was read.
  RVTaskList other(list.FileName);
  ASSERT_TRUE(other.SaveToFile());
  trigger->ScanForTasks();
  EXPECT_THAT(starter.started, ElementsAre("Vanishing"));
  EXPECT_EQ(LaunchLineOf("Vanishing"), "missing");
  EXPECT_EQ(*store->ReadInteger(Hive::CurrentUser, store_keys::kIpc, "FileLocked"), 0);
}

TEST_F(TimerTrigger, ToggleEnableDrivesTheTimer) {
  trigger->ScanTime = 3000;
  trigger->ToggleEnable(true);
  EXPECT_TRUE(trigger->Active());
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), std::chrono::milliseconds(3000));
  Daily("Ticked", kNine - Seconds(1), LateRule::RunImmediately | LateRule::FromLaunchTime);
  EXPECT_TRUE(timer->Fire());
  EXPECT_THAT(starter.started, ElementsAre("Ticked"));
  trigger->ToggleEnable(false);
  EXPECT_FALSE(timer->Fire());
  trigger->ScanTime = 0;
  trigger->ToggleEnable(true);
  EXPECT_EQ(timer->Interval(), std::chrono::milliseconds(1000));
}

}  // namespace
}  // namespace rv
