#pragma once

// The desktop of an X11 session (also XWayland): libX11 for windows and
// properties, XTest for synthesised keys, XRandR for screen changes, key
// grabs on the root window for hotkeys.
//
// Top-level windows are the window manager's client list (_NET_CLIENT_LIST)
// followed by titled children of the root that it does not list (withdrawn
// windows, or every window when no manager runs). A character the layout has
// no key for is typed by binding its keysym to an unused keycode until the
// end of the step (RestoreKeyboardMapping), never by a key that types
// nothing.
//
// Two connections: one for requests from any thread, under a lock, and one
// that a thread of the object's own reads for hotkeys and screen changes.

#include <memory>
#include <string>

#include "platform/desktop/desktop.h"

namespace rv {

class X11Desktop final : public Desktop {
 public:
  // Connects to `display_name` (empty: $DISPLAY). Fails with the reason when
  // there is no such display or it lacks the XTest extension.
  static Result<std::unique_ptr<X11Desktop>> Open(const std::string& display_name = "");
  ~X11Desktop() override;
  X11Desktop(const X11Desktop&) = delete;
  X11Desktop& operator=(const X11Desktop&) = delete;

  bool HasDisplay() const override { return true; }
  std::vector<DesktopWindow> TopLevelWindows() override;
  std::vector<DesktopWindow> ChildWindows(WindowHandle parent) override;
  bool SetForegroundWindow(WindowHandle window) override;
  void KeyDown(int virtual_key) override;
  void KeyUp(int virtual_key) override;
  std::optional<KeyScan> VkKeyScan(char32_t character) override;
  bool TypeUnmappedCharacter(char32_t character) override;
  void RestoreKeyboardMapping() override;
  bool ShiftDown() override;
  Result<void> RegisterHotKey(int id, HotkeyModifiers modifiers, int virtual_key) override;
  void UnregisterHotKey(int id) override;
  void Listen(Dispatcher& main_thread, DesktopEvents events) override;
  void ApplyWindowState(int pid, WindowState state) override;
  bool SetWindowState(WindowHandle window, WindowState state) override;

  struct Impl;

 private:
  explicit X11Desktop(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace rv
