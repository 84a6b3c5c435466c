#pragma once

// A desktop for tests: windows are what the test puts in `windows`, the
// layout is a US one, and every key event, focus change, hotkey and window
// state request is recorded. Safe to use from several threads.

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/dispatcher.h"

namespace rv {

class FakeDesktop final : public Desktop {
 public:
  struct KeyEvent {
    enum Kind { Down, Up, Unmapped } kind;
    int virtual_key = 0;     // Down, Up
    char32_t character = 0;  // Unmapped
    bool operator==(const KeyEvent&) const = default;
  };

  bool HasDisplay() const override { return true; }
  std::vector<DesktopWindow> TopLevelWindows() override;
  std::vector<DesktopWindow> ChildWindows(WindowHandle parent) override;
  bool SetForegroundWindow(WindowHandle window) override;
  void KeyDown(int virtual_key) override;
  void KeyUp(int virtual_key) override;
  std::optional<KeyScan> VkKeyScan(char32_t character) override;
  bool TypeUnmappedCharacter(char32_t character) override;
  bool ShiftDown() override;
  Result<void> RegisterHotKey(int id, HotkeyModifiers modifiers, int virtual_key) override;
  void UnregisterHotKey(int id) override;
  void Listen(Dispatcher& main_thread, DesktopEvents events) override;
  void ApplyWindowState(int pid, WindowState state) override;
  bool SetWindowState(WindowHandle window, WindowState state) override;

  // ---- For the test.
  // Adds a top-level window and returns its handle (handles count up).
  WindowHandle AddWindow(const std::string& title, bool visible = true,
                         const std::string& window_class = "");
  void SetVisible(WindowHandle window, bool visible);
  void CloseWindow(WindowHandle window);
  // Reuses a handle for a new window, as a display server may.
  void AddWindowWithHandle(WindowHandle handle, const std::string& title);
  // Also counts calls of TopLevelWindows, FindWindow included.
  int window_searches() const;

  std::vector<KeyEvent> Keys() const;
  void ClearKeys();
  // What a text field with the focus would show after the recorded events:
  // letters and punctuation by the US layout with the Shift state, Enter as
  // "\n", Tab as "\t", Ctrl+key as "^X", other named keys as "<vk>", a
  // lent key as its character.
  std::string TypedText() const;

  // Posts a hotkey or screen change to the listener, as the desktop would.
  void PressHotkey(HotkeyModifiers modifiers, int virtual_key);
  void ChangeScreen();
  // Combinations another program holds.
  void HoldElsewhere(HotkeyModifiers modifiers, int virtual_key);
  std::map<int, std::tuple<bool, bool, bool, int>> Hotkeys() const;

  WindowHandle foreground = 0;
  bool refuse_focus = false;
  std::vector<std::pair<int, WindowState>> window_state_requests;
  std::vector<std::pair<WindowHandle, WindowState>> window_states;

 private:
  mutable std::mutex mutex_;
  std::vector<DesktopWindow> windows_;
  WindowHandle next_handle_ = 0x400001;
  int searches_ = 0;
  std::vector<KeyEvent> keys_;
  int shift_down_ = 0;
  std::map<int, std::tuple<bool, bool, bool, int>> hotkeys_;
  std::set<std::tuple<bool, bool, bool, int>> held_elsewhere_;
  Dispatcher* main_thread_ = nullptr;
  DesktopEvents events_;
};

}  // namespace rv
