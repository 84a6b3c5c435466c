#include "launcher/window_trigger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/task_list.h"
#include "launcher/testing_starter.h"
#include "platform/desktop/fake_desktop.h"
#include "platform/manual_timer.h"

namespace rv {
namespace {

using ::testing::ElementsAre;

using testing::RecordingStarter;

struct WindowTrigger : ::testing::Test {
  RVTaskList list;
  RecordingStarter starter;
  FakeDesktop desktop;
  ManualTimer* timer = nullptr;
  std::unique_ptr<TRVWindowTrigger> trigger;

  WindowTrigger() {
    auto owned = std::make_unique<ManualTimer>();
    timer = owned.get();
    trigger = std::make_unique<TRVWindowTrigger>(std::move(owned), starter, desktop);
    trigger->ScanTime = 750;
    trigger->SetTaskList(&list, nullptr, nullptr);
  }

  void Watch(const std::string& name, const std::string& title, bool active = true) {
    auto task = list.Add();
    task->TaskName = name;
    task->WindowName = title;
    task->Active = active;
    task->TaskTriggers = TriggerBits::WindowAppears;
  }
};

TEST_F(WindowTrigger, EachVisibleWindowStartsItsTaskOnce) {
  Watch("Save editor", "Untitled - Editor");
  trigger->ToggleState(true);
  EXPECT_EQ(timer->Interval(), std::chrono::milliseconds(750));

  const WindowHandle hidden = desktop.AddWindow("Untitled - Editor", false);
  ASSERT_TRUE(timer->Fire());
  EXPECT_TRUE(starter.started.empty());  // hidden: nothing yet
  desktop.SetVisible(hidden, true);
  trigger->CheckTasks();
  trigger->CheckTasks();
  EXPECT_THAT(starter.started, ElementsAre("Save editor"));

  // Closed and opened again: a new window starts the task again.
  desktop.CloseWindow(hidden);
  trigger->CheckTasks();
  desktop.AddWindow("untitled - editor");  // the title ignores letter case
  trigger->CheckTasks();
  EXPECT_THAT(starter.started, ElementsAre("Save editor", "Save editor"));
}

TEST_F(WindowTrigger, TheWholeTitleMustMatchAndTheFirstWatcherWins) {
  Watch("First", "Calculator");
  Watch("Second", "Calculator");
  Watch("Off", "Calculator", false);
  trigger->ToggleState(true);
  EXPECT_THAT(trigger->WatchedTitles(), ElementsAre("Calculator", "Calculator"));
  desktop.AddWindow("Calculator - Scientific");
  trigger->CheckTasks();
  EXPECT_TRUE(starter.started.empty());
  desktop.AddWindow("Calculator");
  trigger->CheckTasks();
  EXPECT_THAT(starter.started, ElementsAre("First"));
}

TEST_F(WindowTrigger, ActivationCountsFromTheNextRefresh) {
  Watch("Later", "Terminal", false);
  trigger->ToggleState(true);
  list.Item(0)->Active = true;
  desktop.AddWindow("Terminal");
  trigger->CheckTasks();
  EXPECT_TRUE(starter.started.empty());
  trigger->ToggleState(false);
  EXPECT_FALSE(timer->Fire());
  trigger->ToggleState(true);
  trigger->CheckTasks();
  EXPECT_THAT(starter.started, ElementsAre("Later"));
}

TEST_F(WindowTrigger, AReusedHandleOfAClosedWindowStartsAgain) {
  Watch("Mail", "Inbox");
  trigger->ToggleState(true);
  desktop.AddWindowWithHandle(0x4000001, "Inbox");
  trigger->CheckTasks();
  desktop.CloseWindow(0x4000001);
  trigger->CheckTasks();
  desktop.AddWindowWithHandle(0x4000001, "Inbox");
  trigger->CheckTasks();
  EXPECT_THAT(starter.started, ElementsAre("Mail", "Mail"));
}

}  // namespace
}  // namespace rv
