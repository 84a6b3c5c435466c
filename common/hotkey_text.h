#pragma once

// The stored hotkey text: modifier marks ("%" Ctrl, "^" Alt, "&" Shift)
// followed by one key character. Writers put the marks in the order Ctrl,
// Alt, Shift and the key in lower case; readers take every character but the
// last as a possible mark, in any order. The key character becomes a key
// code through the keyboard layout, which the desktop layer owns.

#include <optional>
#include <string>

namespace rv {

struct HotkeyText {
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  char key = 0;
};

// Empty text means no hotkey. Characters before the key that are not marks
// are ignored, as readers always did.
std::optional<HotkeyText> ParseHotkeyText(const std::string& text);
std::string FormatHotkeyText(const HotkeyText& hotkey);

}  // namespace rv
