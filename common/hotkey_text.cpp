#include "common/hotkey_text.h"

#include <cctype>

namespace rv {

std::optional<HotkeyText> ParseHotkeyText(const std::string& text) {
  if (text.empty()) return std::nullopt;
  HotkeyText hotkey;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%') hotkey.ctrl = true;
    if (text[i] == '^') hotkey.alt = true;
    if (text[i] == '&') hotkey.shift = true;
  }
  hotkey.key = text.back();
  return hotkey;
}

std::string FormatHotkeyText(const HotkeyText& hotkey) {
  std::string text;
  if (hotkey.ctrl) text += '%';
  if (hotkey.alt) text += '^';
  if (hotkey.shift) text += '&';
  text += static_cast<char>(std::tolower(static_cast<unsigned char>(hotkey.key)));
  return text;
}

}  // namespace rv
