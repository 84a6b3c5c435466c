#pragma once

// The desktop of a session without a display: no windows are found, focus
// is refused, keystrokes go nowhere and hotkeys fail to register.

#include "platform/desktop/desktop.h"

namespace rv {

class HeadlessDesktop final : public Desktop {
 public:
  bool HasDisplay() const override { return false; }
  std::vector<DesktopWindow> TopLevelWindows() override { return {}; }
  std::vector<DesktopWindow> ChildWindows(WindowHandle) override { return {}; }
  bool SetForegroundWindow(WindowHandle) override { return false; }
  void KeyDown(int) override {}
  void KeyUp(int) override {}
  std::optional<KeyScan> VkKeyScan(char32_t character) override;
  bool TypeUnmappedCharacter(char32_t) override { return false; }
  bool ShiftDown() override { return false; }
  Result<void> RegisterHotKey(int id, HotkeyModifiers modifiers, int virtual_key) override;
  void UnregisterHotKey(int) override {}
  void Listen(Dispatcher&, DesktopEvents) override {}
  void ApplyWindowState(int, WindowState) override {}
  bool SetWindowState(WindowHandle, WindowState) override { return false; }
};

// The keys of a US layout for the printable ASCII characters, as virtual-key
// codes; what a desktop without a layout of its own answers.
std::optional<KeyScan> UsLayoutKeyScan(char32_t character);

}  // namespace rv
