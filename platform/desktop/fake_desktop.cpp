#include "platform/desktop/fake_desktop.h"

#include <algorithm>

#include "platform/desktop/desktop_headless.h"
#include "platform/desktop/virtual_key.h"

namespace rv {

std::vector<DesktopWindow> FakeDesktop::TopLevelWindows() {
  std::lock_guard lock(mutex_);
  ++searches_;
  return windows_;
}

std::vector<DesktopWindow> FakeDesktop::ChildWindows(WindowHandle) {
  return {};
}

bool FakeDesktop::SetForegroundWindow(WindowHandle window) {
  std::lock_guard lock(mutex_);
  if (refuse_focus) return false;
  const bool known = std::any_of(windows_.begin(), windows_.end(),
                                 [&](const DesktopWindow& w) { return w.handle == window; });
  if (!known) return false;
  foreground = window;
  return true;
}

void FakeDesktop::KeyDown(int virtual_key) {
  std::lock_guard lock(mutex_);
  keys_.push_back({KeyEvent::Down, virtual_key, 0});
  if (virtual_key == vk::Shift) ++shift_down_;
}

void FakeDesktop::KeyUp(int virtual_key) {
  std::lock_guard lock(mutex_);
  keys_.push_back({KeyEvent::Up, virtual_key, 0});
  if (virtual_key == vk::Shift) shift_down_ = 0;
}

std::optional<KeyScan> FakeDesktop::VkKeyScan(char32_t character) {
  return UsLayoutKeyScan(character);
}

bool FakeDesktop::TypeUnmappedCharacter(char32_t character) {
  std::lock_guard lock(mutex_);
  keys_.push_back({KeyEvent::Unmapped, 0, character});
  return true;
}

bool FakeDesktop::ShiftDown() {
  std::lock_guard lock(mutex_);
  return shift_down_ > 0;
}

Result<void> FakeDesktop::RegisterHotKey(int id, HotkeyModifiers m, int virtual_key) {
  std::lock_guard lock(mutex_);
  const auto combination = std::make_tuple(m.ctrl, m.alt, m.shift, virtual_key);
  if (virtual_key <= 0 || virtual_key > 0xFE) return MakeError("not a valid key");
  if (held_elsewhere_.count(combination) != 0) return MakeError("held by another program");
  for (const auto& [other, held] : hotkeys_)
    if (held == combination) return MakeError("already registered");
  hotkeys_[id] = combination;
  return {};
}

void FakeDesktop::UnregisterHotKey(int id) {
  std::lock_guard lock(mutex_);
  hotkeys_.erase(id);
}

void FakeDesktop::Listen(Dispatcher& main_thread, DesktopEvents events) {
  std::lock_guard lock(mutex_);
  main_thread_ = &main_thread;
  events_ = std::move(events);
}

void FakeDesktop::ApplyWindowState(int pid, WindowState state) {
  std::lock_guard lock(mutex_);
  window_state_requests.emplace_back(pid, state);
}

bool FakeDesktop::SetWindowState(WindowHandle window, WindowState state) {
  std::lock_guard lock(mutex_);
  window_states.emplace_back(window, state);
  return true;
}

WindowHandle FakeDesktop::AddWindow(const std::string& title, bool visible,
                                    const std::string& window_class) {
  std::lock_guard lock(mutex_);
  const WindowHandle handle = next_handle_++;
  windows_.push_back({handle, title, window_class, visible, 0});
  return handle;
}

void FakeDesktop::AddWindowWithHandle(WindowHandle handle, const std::string& title) {
  std::lock_guard lock(mutex_);
  windows_.push_back({handle, title, "", true, 0});
}

void FakeDesktop::SetVisible(WindowHandle window, bool visible) {
  std::lock_guard lock(mutex_);
  for (DesktopWindow& w : windows_)
    if (w.handle == window) w.visible = visible;
}

void FakeDesktop::CloseWindow(WindowHandle window) {
  std::lock_guard lock(mutex_);
  std::erase_if(windows_, [&](const DesktopWindow& w) { return w.handle == window; });
}

int FakeDesktop::window_searches() const {
  std::lock_guard lock(mutex_);
  return searches_;
}

std::vector<FakeDesktop::KeyEvent> FakeDesktop::Keys() const {
  std::lock_guard lock(mutex_);
  return keys_;
}

void FakeDesktop::ClearKeys() {
  std::lock_guard lock(mutex_);
  keys_.clear();
}

std::string FakeDesktop::TypedText() const {
  std::lock_guard lock(mutex_);
  std::string text;
  bool shift = false;
  bool ctrl = false;
  for (const KeyEvent& e : keys_) {
    if (e.kind == KeyEvent::Unmapped) {
      // The test's characters are ASCII or single code units of UTF-8 tests.
      text += "<U+" + std::to_string(static_cast<unsigned>(e.character)) + ">";
      continue;
    }
    const bool down = e.kind == KeyEvent::Down;
    if (e.virtual_key == vk::Shift) {
      shift = down;
      continue;
    }
    if (e.virtual_key == vk::Control) {
      ctrl = down;
      continue;
    }
    if (e.virtual_key == vk::Alt || !down) continue;
    char typed = 0;
    for (int c = 32; c < 127 && typed == 0; ++c) {
      std::optional<KeyScan> scan = UsLayoutKeyScan(static_cast<char32_t>(c));
      if (scan && scan->virtual_key == e.virtual_key && scan->shift == shift)
        typed = static_cast<char>(c);
    }
    if (ctrl && typed != 0) {
      text += "^" + std::string(1, static_cast<char>(std::toupper(typed)));
    } else if (e.virtual_key == vk::Enter) {
      text += "\n";
    } else if (e.virtual_key == vk::Tab) {
      text += "\t";
    } else if (typed != 0) {
      text += typed;
    } else {
      text += "<" + std::to_string(e.virtual_key) + ">";
    }
  }
  return text;
}

void FakeDesktop::PressHotkey(HotkeyModifiers m, int virtual_key) {
  std::lock_guard lock(mutex_);
  const auto combination = std::make_tuple(m.ctrl, m.alt, m.shift, virtual_key);
  for (const auto& [id, held] : hotkeys_) {
    if (held != combination || main_thread_ == nullptr || !events_.hotkey) continue;
    main_thread_->post([callback = events_.hotkey, id = id] { callback(id); });
  }
}

void FakeDesktop::ChangeScreen() {
  std::lock_guard lock(mutex_);
  if (main_thread_ != nullptr && events_.screen_changed) main_thread_->post(events_.screen_changed);
}

void FakeDesktop::HoldElsewhere(HotkeyModifiers m, int virtual_key) {
  std::lock_guard lock(mutex_);
  held_elsewhere_.insert(std::make_tuple(m.ctrl, m.alt, m.shift, virtual_key));
}

std::map<int, std::tuple<bool, bool, bool, int>> FakeDesktop::Hotkeys() const {
  std::lock_guard lock(mutex_);
  return hotkeys_;
}

}  // namespace rv
