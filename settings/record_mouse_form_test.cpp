#include "settings/record_mouse_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include "platform/desktop/fake_desktop.h"
#include "platform/desktop/virtual_key.h"
#include "platform/fake_journal_control.h"
#include "platform/manual_dispatcher.h"
#include "platform/qt/testing/test_application.h"
#include "settings/recording_session.h"

namespace rv {
namespace {

using Strings = std::vector<std::string>;

struct RecordingDialog : ::testing::Test {
  QApplication& app = testing::TestApplication();
  FakeJournalControl journal;
  FakeDesktop desktop;
  ManualDispatcher main_thread;
  RecordingSession session{journal, desktop, main_thread};
  QMainWindow application_window;

  // Starts a recording with the application minimised, shows the dialog and
  // runs `inside` while it is up; false when the dialog did not close.
  bool Record(const std::function<void(TfrmRecordMouse&)>& inside) {
    application_window.showMinimized();
    EXPECT_TRUE(session.Start("/tmp/macro.dat"));
    TfrmRecordMouse dialog(session);
    bool closed = true;
    QTimer::singleShot(0, &dialog, [&] {
      inside(dialog);
      if (dialog.isVisible()) {
        closed = false;
        dialog.reject();
      }
    });
    dialog.exec();
    return closed;
  }
  void ExpectEnded() {
    EXPECT_FALSE(session.Recording());
    EXPECT_EQ(journal.calls, (Strings{"StartRecord /tmp/macro.dat", "StopRecord /tmp/macro.dat"}));
    EXPECT_TRUE(desktop.Hotkeys().empty());
    EXPECT_FALSE(application_window.isMinimized());
  }
};

TEST_F(RecordingDialog, CtrlAltF12EndsTheRecordingAndClosesTheWindow) {
  EXPECT_TRUE(Record([&](TfrmRecordMouse& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Recording");
    EXPECT_EQ(dialog.lblInfo->text(), "Press Control-Alt-F12 to stop recording.");
    EXPECT_EQ(dialog.size(), QSize(147, 43));
    EXPECT_TRUE(session.Recording());
    desktop.PressHotkey({.ctrl = true, .alt = true, .shift = false}, vk::F12);
    main_thread.RunPending();
  }));
  ExpectEnded();
  EXPECT_EQ(session.Buttons(), (RecordButtons{true, false, true}));
}

TEST_F(RecordingDialog, ClosingTheWindowEndsTheRecordingTheSameWay) {
  EXPECT_TRUE(Record([&](TfrmRecordMouse& dialog) { dialog.close(); }));
  ExpectEnded();
}

TEST(RecordingDialogPlace, SitsNearTheBottomRightCorner) {
  EXPECT_EQ(TfrmRecordMouse::PlaceFor(QRect(0, 0, 1920, 1080)), QPoint(1745, 990));
}

}  // namespace
}  // namespace rv
