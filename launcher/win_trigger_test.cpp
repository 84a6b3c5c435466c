#include "launcher/win_trigger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/logger.h"
#include "common/task_list.h"
#include "launcher/testing_starter.h"
#include "platform/desktop/fake_desktop.h"
#include "platform/manual_dispatcher.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

using ::testing::ElementsAre;

using testing::RecordingStarter;

constexpr int kKeyA = 0x41;
constexpr int kKeyB = 0x42;

struct WinTrigger : ::testing::Test {
  RVTaskList list;
  RecordingStarter starter;
  FakeDesktop desktop;
  ManualDispatcher main_thread;
  TRVLogger logger;
  TRVWinTrigger trigger{starter, desktop};

  WinTrigger() {
    logger.SetLogFile(testing::MakeTempDir() + "RUNVANE.LOG");
    logger.ToggleActivate(true);
    trigger.SetTaskList(&list, &logger);
    desktop.Listen(main_thread, DesktopEvents{[this](int id) { trigger.HotkeyPressed(id); },
                                              [this] { trigger.DoDispChange(); }});
  }

  std::shared_ptr<RVTask> Task(const std::string& name, int32_t triggers, bool active = true) {
    auto task = list.Add();
    task->TaskName = name;
    task->TaskTriggers = triggers;
    task->Active = active;
    return task;
  }

  void Press(bool ctrl, bool alt, int key) {
    desktop.PressHotkey(HotkeyModifiers{ctrl, alt, false}, key);
    main_thread.RunPending();
  }
};

TEST_F(WinTrigger, AHotkeyStartsItsTaskUnlessItRuns) {
  auto task = Task("Notes", TriggerBits::Hotkey);
  task->Hotkey = "%^a";
  trigger.ToggleActive(true);
  Press(true, true, kKeyA);
  EXPECT_THAT(starter.started, ElementsAre("Notes"));
  task->Running = true;
  Press(true, true, kKeyA);
  EXPECT_THAT(starter.started, ElementsAre("Notes"));
  Press(true, false, kKeyA);  // another combination
  EXPECT_THAT(starter.started, ElementsAre("Notes"));
}

TEST_F(WinTrigger, ASecondTaskWithTheSameHotkeyIsLoggedAndNeverStarts) {
  Task("First", TriggerBits::Hotkey)->Hotkey = "%b";
  Task("Second", TriggerBits::Hotkey)->Hotkey = "%b";
  Task("Capital", TriggerBits::Hotkey)->Hotkey = "%B";  // needs Shift on the layout
  desktop.HoldElsewhere(HotkeyModifiers{true, true, false}, kKeyA);
  Task("Taken", TriggerBits::Hotkey)->Hotkey = "%^a";
  trigger.ToggleActive(true);
  Press(true, false, kKeyB);
  EXPECT_THAT(starter.started, ElementsAre("First"));
  const std::string log = testing::ReadFile(logger.LogFile());
  for (const char* name : {"Second", "Capital", "Taken"}) {
    EXPECT_NE(log.find(std::string(") - Could not set hotkey for task: ") + name + "\n"),
              std::string::npos)
        << log;
  }
  EXPECT_EQ(log.find("for task: First"), std::string::npos);
}

TEST_F(WinTrigger, SwitchedOffHotkeysAreGoneButSystemEventsStillStartTasks) {
  Task("Hot", TriggerBits::Hotkey)->Hotkey = "%^a";
  auto display = Task("On display change", TriggerBits::WindowsEvents);
  display->Events = EventBits::DisplayChange;
  trigger.ToggleActive(true);
  trigger.ToggleActive(false);
  EXPECT_TRUE(desktop.Hotkeys().empty());
  Press(true, true, kKeyA);
  EXPECT_TRUE(starter.started.empty());
  desktop.ChangeScreen();
  main_thread.RunPending();
  EXPECT_THAT(starter.started, ElementsAre("On display change"));
}

TEST_F(WinTrigger, EachEventStartsTheTasksWithItsBitAndTimeChangeIgnoresActive) {
  struct Row {
    void (TRVWinTrigger::*handler)();
    int32_t bit;
  };
  const Row rows[] = {
      {&TRVWinTrigger::DoTimeChange, EventBits::TimeChange},
      {&TRVWinTrigger::DoMemChange, EventBits::LowMemory},
      {&TRVWinTrigger::DoDevChange, EventBits::DeviceChange},
      {&TRVWinTrigger::DoDispChange, EventBits::DisplayChange},
      {&TRVWinTrigger::DoPalChange, EventBits::PaletteChange},
      {&TRVWinTrigger::DoSpoolChange, EventBits::SpoolerChange},
  };
  for (const Row& row : rows) {
    list.Clear();
    starter.started.clear();
    Task("Active", TriggerBits::WindowsEvents)->Events = row.bit;
    Task("Inactive", TriggerBits::WindowsEvents, false)->Events = row.bit;
    Task("Other event", TriggerBits::WindowsEvents)->Events = 63 & ~row.bit;
    Task("No trigger", TriggerBits::Scheduled)->Events = row.bit;
    (trigger.*row.handler)();
    if (row.bit == EventBits::TimeChange) {
      EXPECT_THAT(starter.started, ElementsAre("Active", "Inactive"));
    } else {
      EXPECT_THAT(starter.started, ElementsAre("Active")) << row.bit;
    }
  }
}

}  // namespace
}  // namespace rv
