#pragma once

// The desktop as the steps and triggers see it: top-level windows found by
// title or class, focus, synthesised keystrokes addressed by virtual-key
// codes, global hotkeys and the window state of started programs.
//
// Two backends: X11 (desktop_x11.h) when the session has a display, and a
// headless one (desktop_headless.h) that finds no windows, sends keys nowhere
// and refuses hotkeys. Tests use FakeDesktop (fake_desktop.h).
//
// Window and key calls may come from any thread (interpreter threads type
// into the desktop while the main thread polls it); the backends serialise
// them. Hotkey and screen-change callbacks run on the main thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "platform/shell.h"

namespace rv {

class Dispatcher;

// The X window id on X11; 0 is no window.
using WindowHandle = std::uint64_t;

struct DesktopWindow {
  WindowHandle handle = 0;
  std::string title;
  std::string window_class;
  // Mapped and viewable.
  bool visible = false;
  // From the window's _NET_WM_PID; 0 when it does not say.
  int pid = 0;
};

// What a character needs on the current keyboard layout.
struct KeyScan {
  int virtual_key = 0;
  // Shift is the only modifier a layout key of a typed character asks for.
  bool shift = false;
};

struct HotkeyModifiers {
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
};

// What the desktop reports to the main thread.
struct DesktopEvents {
  std::function<void(int id)> hotkey;
  // The screen's size or layout changed.
  std::function<void()> screen_changed;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // False for the headless backend: nothing here reaches a desktop.
  virtual bool HasDisplay() const = 0;

  // The managed top-level windows, in the window manager's order.
  virtual std::vector<DesktopWindow> TopLevelWindows() = 0;
  // The first top-level window whose whole title equals `title` without
  // regard to case and, when `window_class` is not empty, whose class does
  // too. An empty title matches any title.
  virtual std::optional<DesktopWindow> FindWindow(std::string_view title,
                                                  std::string_view window_class = {});
  // Every descendant of `parent`, depth first, children before their parent.
  virtual std::vector<DesktopWindow> ChildWindows(WindowHandle parent) = 0;

  // Makes the window the foreground window with the input focus; false when
  // the desktop refused or the window is gone.
  virtual bool SetForegroundWindow(WindowHandle window) = 0;

  // Synthesised key events of the focused window, by virtual-key code.
  virtual void KeyDown(int virtual_key) = 0;
  virtual void KeyUp(int virtual_key) = 0;
  virtual void KeyPress(int virtual_key) {
    KeyDown(virtual_key);
    KeyUp(virtual_key);
  }
  // The key that types `character` on the current layout, and whether it
  // needs Shift; none when the layout has no such key (or needs more than
  // Shift for it).
  virtual std::optional<KeyScan> VkKeyScan(char32_t character) = 0;
  // Types a character the layout has no key for, by lending it a spare key
  // for the moment. False when the desktop has none to lend.
  virtual bool TypeUnmappedCharacter(char32_t character) = 0;
  // Gives back whatever TypeUnmappedCharacter lent; the end of every SEND.
  virtual void RestoreKeyboardMapping() {}
  // Whether a Shift key is down now.
  virtual bool ShiftDown() = 0;

  // A global hotkey under `id`. Fails when the key is no valid key or another
  // program holds the combination.
  virtual Result<void> RegisterHotKey(int id, HotkeyModifiers modifiers, int virtual_key) = 0;
  virtual void UnregisterHotKey(int id) = 0;
  // From now on the events go to `events` on `main_thread`; an empty
  // DesktopEvents stops them. Events already posted are dropped after that.
  virtual void Listen(Dispatcher& main_thread, DesktopEvents events) = 0;

  // Shows the first window that process `pid` maps from now on (a few
  // seconds at most) in `state`.
  virtual void ApplyWindowState(int pid, WindowState state) = 0;
  // Shows a window in `state` now.
  virtual bool SetWindowState(WindowHandle window, WindowState state) = 0;
};

// Case-insensitive comparison of whole window titles (ASCII letters fold;
// other characters compare exactly).
bool SameWindowText(std::string_view a, std::string_view b);

}  // namespace rv
