#include "settings/recording_session.h"

#include <gtest/gtest.h>

#include "platform/desktop/fake_desktop.h"
#include "platform/desktop/virtual_key.h"
#include "platform/fake_journal_control.h"
#include "platform/manual_dispatcher.h"

namespace rv {
namespace {

using Strings = std::vector<std::string>;
constexpr HotkeyModifiers kCtrlAlt{.ctrl = true, .alt = true, .shift = false};

struct Recording : ::testing::Test {
  FakeJournalControl journal;
  FakeDesktop desktop;
  ManualDispatcher main_thread;
  int ended = 0;
  std::unique_ptr<RecordingSession> session =
      std::make_unique<RecordingSession>(journal, desktop, main_thread);

  void SetUp() override {
    session->on_ended = [this] { ++ended; };
  }
  void PressStop() {
    desktop.PressHotkey(kCtrlAlt, vk::F12);
    main_thread.RunPending();
  }
};

TEST_F(Recording, TheStopHotkeyEndsTheRecordingOnceAndGivesTheKeyBack) {
  ASSERT_TRUE(session->Start("/tmp/macro.dat"));
  EXPECT_EQ(journal.calls, Strings{"StartRecord /tmp/macro.dat"});
  EXPECT_EQ(desktop.Hotkeys().at(RecordingSession::kStopHotkeyId),
            std::make_tuple(true, true, false, vk::F12));
  EXPECT_EQ(session->Buttons(), (RecordButtons{false, true, false}));

  // Before the dialog shows, the hotkey reaches nobody.
  PressStop();
  EXPECT_TRUE(session->Recording());

  session->ListenForStop();
  // Another hotkey of the desktop does not stop it.
  ASSERT_TRUE(desktop.RegisterHotKey(7, kCtrlAlt, 'A'));
  desktop.PressHotkey(kCtrlAlt, 'A');
  main_thread.RunPending();
  EXPECT_TRUE(session->Recording());
  PressStop();
  EXPECT_FALSE(session->Recording());
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(journal.calls, (Strings{"StartRecord /tmp/macro.dat", "StopRecord /tmp/macro.dat"}));
  EXPECT_EQ(desktop.Hotkeys().count(RecordingSession::kStopHotkeyId), 0u);
  EXPECT_EQ(session->Buttons(), (RecordButtons{true, false, true}));

  // The dialog's closing afterwards ends nothing twice.
  session->End();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(journal.calls.size(), 2u);

  // The desktop's events were given back: another press does nothing.
  ASSERT_TRUE(session->Start("/tmp/second.dat"));
  PressStop();
  EXPECT_TRUE(session->Recording());
}

TEST_F(Recording, AStopKeyHeldElsewhereStartsNothing) {
  desktop.HoldElsewhere(kCtrlAlt, vk::F12);
  const Result<void> started = session->Start("/tmp/macro.dat");
  ASSERT_FALSE(started);
  EXPECT_NE(started.error().find("Ctrl+Alt+F12"), std::string::npos);
  EXPECT_NE(started.error().find("held by another program"), std::string::npos);
  EXPECT_TRUE(journal.calls.empty());
  EXPECT_TRUE(desktop.Hotkeys().empty());
  EXPECT_FALSE(session->Recording());
}

TEST_F(Recording, ASessionThatGoesAwayStopsItsRecording) {
  ASSERT_TRUE(session->Start("/tmp/macro.dat"));
  session->ListenForStop();
  session.reset();
  EXPECT_EQ(journal.calls.back(), "StopRecord /tmp/macro.dat");
  EXPECT_TRUE(desktop.Hotkeys().empty());
}

}  // namespace
}  // namespace rv
