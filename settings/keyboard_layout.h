#pragma once

// How a typed character maps onto the keyboard: its virtual-key code and the
// shift state it needs (bit 0 Shift, bit 1 Ctrl, bit 2 Alt), as the desktop's
// layout query answers it. The list view asks this to turn a stored hotkey
// into a shortcut.

#include <cstdint>
#include <optional>

namespace rv {

struct KeyScan {
  uint8_t virtual_key = 0;
  uint8_t shift_state = 0;
};

class KeyboardLayout {
 public:
  virtual ~KeyboardLayout() = default;
  // Nothing when no key of the layout types `character`.
  virtual std::optional<KeyScan> VkKeyScan(char character) const = 0;
};

// The US layout, the reference the stored hotkeys were written against; the
// desktop layer may offer the layout of the running session instead.
class UsKeyboardLayout final : public KeyboardLayout {
 public:
  std::optional<KeyScan> VkKeyScan(char character) const override;
};

}  // namespace rv
