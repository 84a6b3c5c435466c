#pragma once

// A stored hotkey as the user reads it. The stored text becomes a shortcut
// value (virtual-key code plus the modifier bits below) through the keyboard
// layout, and the shortcut value becomes text in the fixed order Shift, Ctrl,
// Alt, then the key: "%^a" reads "Ctrl+Alt+A", "&%b" reads "Shift+Ctrl+B".

#include <cstdint>
#include <string>

#include "settings/keyboard_layout.h"

namespace rv {

namespace ShortcutBits {
inline constexpr uint16_t Shift = 0x2000;
inline constexpr uint16_t Ctrl = 0x4000;
inline constexpr uint16_t Alt = 0x8000;
}  // namespace ShortcutBits

// 0 for an empty text, and for a key character the layout cannot type
// without Shift (or at all): such a hotkey has no readable form.
uint16_t HotkeyShortcut(const std::string& stored, const KeyboardLayout& layout);

// "" for 0 and for a key code without a name.
std::string ShortCutToText(uint16_t shortcut);

inline std::string HotkeyDisplayText(const std::string& stored, const KeyboardLayout& layout) {
  return ShortCutToText(HotkeyShortcut(stored, layout));
}

}  // namespace rv
