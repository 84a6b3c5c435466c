// The X11 desktop against a private Xvfb server, with the test client's
// windows: lookup, focus with and without a window manager, keys as the
// receiving window sees them, hotkeys, screen changes and window states.

#include "platform/desktop/desktop_x11.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/desktop/testing/xvfb.h"
#include "platform/desktop/virtual_key.h"
#include "platform/manual_dispatcher.h"

namespace rv {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;
using namespace std::chrono_literals;

class X11DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Result<std::unique_ptr<testing::XvfbServer>> started = testing::XvfbServer::Start();
    if (!started) {
      skip_reason_ = new std::string(started.error());
      return;
    }
    server_ = started->release();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (server_ == nullptr) GTEST_SKIP() << *skip_reason_;
    Result<std::unique_ptr<X11Desktop>> desktop = X11Desktop::Open(server_->Display());
    ASSERT_TRUE(desktop) << desktop.error();
    desktop_ = std::move(*desktop);
    Result<std::unique_ptr<testing::XTestClient>> client =
        testing::XTestClient::Start(server_->Display());
    ASSERT_TRUE(client) << client.error();
    client_ = std::move(*client);
  }

  void Run(const std::string& command) { ASSERT_TRUE(client_->Command(command)); }

  // Types `text` the way SEND does: the layout's key, Shift when it needs it,
  // a lent key for the rest.
  void Type(const std::u32string& text) {
    for (char32_t c : text) {
      std::optional<KeyScan> scan = desktop_->VkKeyScan(c);
      if (!scan) {
        ASSERT_TRUE(desktop_->TypeUnmappedCharacter(c));
        continue;
      }
      if (scan->shift) desktop_->KeyDown(vk::Shift);
      desktop_->KeyPress(scan->virtual_key);
      if (scan->shift) desktop_->KeyUp(vk::Shift);
    }
  }

  void Focus(const std::string& id) {
    ASSERT_TRUE(desktop_->SetForegroundWindow(client_->Handle(id)));
  }

  static testing::XvfbServer* server_;
  static std::string* skip_reason_;
  std::unique_ptr<X11Desktop> desktop_;
  std::unique_ptr<testing::XTestClient> client_;
};

testing::XvfbServer* X11DesktopTest::server_ = nullptr;
std::string* X11DesktopTest::skip_reason_ = nullptr;

TEST_F(X11DesktopTest, FindsTopLevelWindowsByWholeTitleWithoutRegardToCaseAndByClass) {
  Run("open a Report - Editor");
  Run("hidden b Hidden One");
  Run("open c Report - Editor 2");
  Run("class c Special");

  std::optional<DesktopWindow> found = desktop_->FindWindow("report - EDITOR");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->handle, client_->Handle("a"));
  EXPECT_EQ(found->title, "Report - Editor");
  EXPECT_TRUE(found->visible);
  EXPECT_EQ(found->pid, client_->Pid());
  EXPECT_EQ(found->window_class, "XTestClient");

  std::optional<DesktopWindow> hidden = desktop_->FindWindow("Hidden One");
  ASSERT_TRUE(hidden);
  EXPECT_FALSE(hidden->visible);

  EXPECT_FALSE(desktop_->FindWindow("Report"));  // a part of a title is no match
  std::optional<DesktopWindow> by_class = desktop_->FindWindow("", "special");
  ASSERT_TRUE(by_class);
  EXPECT_EQ(by_class->handle, client_->Handle("c"));

  Run("close a");
  EXPECT_FALSE(desktop_->FindWindow("Report - Editor"));
}

TEST_F(X11DesktopTest, FocusesAMappedWindowAndRefusesAHiddenOrMissingOne) {
  Run("open a First");
  Run("open b Second");
  Run("hidden h Hidden");
  EXPECT_TRUE(desktop_->SetForegroundWindow(client_->Handle("a")));
  EXPECT_TRUE(desktop_->SetForegroundWindow(client_->Handle("b")));
  EXPECT_FALSE(desktop_->SetForegroundWindow(client_->Handle("h")));
  Run("close a");
  EXPECT_FALSE(desktop_->SetForegroundWindow(0x7FFFFFF));
}

TEST_F(X11DesktopTest, TypesWhatTheLayoutHasWithShiftAndWhatItLacksThroughALentKey) {
  Run("open a Typing");
  Focus("a");
  const std::u32string text = U"aZ9 ;:?{|~\u00e9\u20ac\u3042";
  Type(text);
  // The test client may be slow on a busy machine: the lent keys stay until
  // it has read them all.
  EXPECT_EQ(client_->TypedText(text.size()), "aZ9 ;:?{|~\u00e9\u20ac\u3042");
  desktop_->RestoreKeyboardMapping();
  // Shift was used for Z and released after it.
  std::vector<std::string> keys = client_->Keys();
  ASSERT_GE(keys.size(), 4u);
  EXPECT_EQ(keys[0], "a 0 a");
  EXPECT_EQ(keys[1], "Shift_L 0 ");
  EXPECT_EQ(keys[2], "Z 1 Z");
  EXPECT_EQ(keys[3], "9 0 9");

  // The lent keys are given back: the layout is as before.
  EXPECT_FALSE(desktop_->VkKeyScan(U'\u20ac'));
  EXPECT_THAT(desktop_->VkKeyScan(U'a'), Optional(::testing::Field(&KeyScan::virtual_key, 'A')));
}

TEST_F(X11DesktopTest, NamedKeysModifiersAndTheShiftState) {
  Run("open a Keys");
  Focus("a");
  EXPECT_FALSE(desktop_->ShiftDown());
  desktop_->KeyDown(vk::Shift);
  EXPECT_TRUE(desktop_->ShiftDown());
  desktop_->KeyPress('A');
  desktop_->KeyUp(vk::Shift);
  EXPECT_FALSE(desktop_->ShiftDown());
  desktop_->KeyDown(vk::Control);
  desktop_->KeyPress('C');
  desktop_->KeyUp(vk::Control);
  desktop_->KeyPress(vk::Enter);
  desktop_->KeyPress(vk::Tab);
  desktop_->KeyPress(vk::F1 + 4);
  desktop_->KeyPress(vk::Help);  // no key on this layout: lent for the moment
  desktop_->RestoreKeyboardMapping();
  std::vector<std::string> keys = client_->WaitForKeys(8);
  std::vector<std::string> presses;
  for (const std::string& line : keys)
    presses.push_back(line.substr(0, line.rfind(' ')));
  EXPECT_THAT(presses, ElementsAre("Shift_L 0", "A 1", "Control_L 0", "c 4", "Return 0", "Tab 0",
                                   "F5 0", "Help 0"));
}

TEST_F(X11DesktopTest, HotkeysReachTheMainThreadUntilUnregistered) {
  ManualDispatcher main_thread;
  std::vector<int> pressed;
  desktop_->Listen(main_thread, {[&](int id) { pressed.push_back(id); }, {}});
  ASSERT_TRUE(desktop_->RegisterHotKey(7, {true, true, false}, 'A'));
  // The same combination a second time is refused; so is a key off the layout.
  EXPECT_FALSE(desktop_->RegisterHotKey(8, {true, true, false}, 'A'));
  EXPECT_FALSE(desktop_->RegisterHotKey(9, {true, false, false}, 0x1FF));

  auto press_ctrl_alt_a = [&] {
    desktop_->KeyDown(vk::Control);
    desktop_->KeyDown(vk::Alt);
    desktop_->KeyPress('A');
    desktop_->KeyUp(vk::Alt);
    desktop_->KeyUp(vk::Control);
  };
  press_ctrl_alt_a();
  for (int i = 0; i < 200 && pressed.empty(); ++i)
    main_thread.WaitAndRunPending(10ms);
  EXPECT_THAT(pressed, ElementsAre(7));

  desktop_->UnregisterHotKey(7);
  press_ctrl_alt_a();
  for (int i = 0; i < 30; ++i)
    main_thread.WaitAndRunPending(10ms);
  EXPECT_THAT(pressed, ElementsAre(7));
  desktop_->Listen(main_thread, {});
}

TEST_F(X11DesktopTest, AHotkeyHeldByAnotherProgramFailsToRegister) {
  {
    Result<std::unique_ptr<testing::ForeignKeyGrab>> grab =
        testing::ForeignKeyGrab::Grab(server_->Display(), "b", true);
    ASSERT_TRUE(grab) << grab.error();
    Result<void> taken = desktop_->RegisterHotKey(1, {true, false, false}, 'B');
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error(), "another program holds the combination");
  }
  // Its grab is gone with its connection.
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(desktop_->RegisterHotKey(1, {true, false, false}, 'B'));
  desktop_->UnregisterHotKey(1);
}

TEST_F(X11DesktopTest, AScreenSizeChangeIsReported) {
  ManualDispatcher main_thread;
  int changes = 0;
  desktop_->Listen(main_thread, {{}, [&] { ++changes; }});
  Result<bool> switched = testing::SwitchScreenSize(server_->Display(), 100ms);
  ASSERT_TRUE(switched) << switched.error();
  if (!*switched) GTEST_SKIP() << "the server offers one screen size only";
  for (int i = 0; i < 200 && changes < 2; ++i)
    main_thread.WaitAndRunPending(10ms);
  EXPECT_EQ(changes, 2);  // there and back
  desktop_->Listen(main_thread, {});
}

TEST_F(X11DesktopTest, AStartedProgramsFirstWindowTakesTheStateAskedFor) {
  desktop_->ApplyWindowState(client_->Pid(), WindowState::Hidden);
  Run("open a Started Later");
  std::optional<DesktopWindow> window;
  for (int i = 0; i < 100; ++i) {
    window = desktop_->FindWindow("Started Later");
    if (window && !window->visible) break;
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(window);
  EXPECT_FALSE(window->visible);
  // Only the first window: the next one of that process stays as it is.
  Run("open b Second Window");
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(desktop_->FindWindow("Second Window")->visible);
}

class X11DesktopWithManagerTest : public X11DesktopTest {
 protected:
  static void SetUpTestSuite() {
    X11DesktopTest::SetUpTestSuite();
    if (server_ == nullptr) return;
    if (Result<void> managed = server_->StartWindowManager(); !managed) {
      skip_reason_ = new std::string(managed.error());
      delete server_;
      server_ = nullptr;
    }
  }
};

TEST_F(X11DesktopWithManagerTest, FocusGoesThroughTheWindowManager) {
  Run("open a First");
  Run("open b Second");
  Run("hidden h Hidden");
  // The manager lists its clients; the hidden window is found all the same.
  std::optional<DesktopWindow> hidden;
  // Managed windows are mapped by the manager, a moment later.
  auto shown = [&](const char* title) {
    std::optional<DesktopWindow> window = desktop_->FindWindow(title);
    return window && window->visible;
  };
  for (int i = 0; i < 250 && !(shown("First") && shown("Second")); ++i)
    std::this_thread::sleep_for(20ms);
  hidden = desktop_->FindWindow("hidden");
  ASSERT_TRUE(hidden);
  EXPECT_FALSE(hidden->visible);

  EXPECT_TRUE(desktop_->SetForegroundWindow(client_->Handle("a")));
  Type(U"x");
  EXPECT_EQ(client_->TypedText(1), "x");
  EXPECT_TRUE(desktop_->SetForegroundWindow(client_->Handle("b")));
  EXPECT_FALSE(desktop_->SetForegroundWindow(client_->Handle("h")));
}

}  // namespace
}  // namespace rv
