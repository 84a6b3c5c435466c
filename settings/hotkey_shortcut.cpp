#include "settings/hotkey_shortcut.h"

#include "common/hotkey_text.h"

namespace rv {
namespace {

std::string KeyName(uint8_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
  if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
  if (key >= 0x60 && key <= 0x69) return "Num " + std::to_string(key - 0x60);
  switch (key) {
    case 0x08:
      return "BkSp";
    case 0x09:
      return "Tab";
    case 0x0D:
      return "Enter";
    case 0x1B:
      return "Esc";
    case 0x20:
      return "Space";
    case 0x21:
      return "PgUp";
    case 0x22:
      return "PgDn";
    case 0x23:
      return "End";
    case 0x24:
      return "Home";
    case 0x25:
      return "Left";
    case 0x26:
      return "Up";
    case 0x27:
      return "Right";
    case 0x28:
      return "Down";
    case 0x2D:
      return "Ins";
    case 0x2E:
      return "Del";
    case 0xBA:
      return ";";
    case 0xBB:
      return "=";
    case 0xBC:
      return ",";
    case 0xBD:
      return "-";
    case 0xBE:
      return ".";
    case 0xBF:
      return "/";
    case 0xC0:
      return "`";
    case 0xDB:
      return "[";
    case 0xDC:
      return "\\";
    case 0xDD:
      return "]";
    case 0xDE:
      return "'";
    default:
      return "";
  }
}

}  // namespace

uint16_t HotkeyShortcut(const std::string& stored, const KeyboardLayout& layout) {
  const std::optional<HotkeyText> hotkey = ParseHotkeyText(stored);
  if (!hotkey) return 0;
  const std::optional<KeyScan> scan = layout.VkKeyScan(hotkey->key);
  if (!scan || scan->shift_state != 0) return 0;
  uint16_t shortcut = scan->virtual_key;
  if (hotkey->ctrl) shortcut |= ShortcutBits::Ctrl;
  if (hotkey->alt) shortcut |= ShortcutBits::Alt;
  if (hotkey->shift) shortcut |= ShortcutBits::Shift;
  return shortcut;
}

std::string ShortCutToText(uint16_t shortcut) {
  const std::string key = KeyName(static_cast<uint8_t>(shortcut & 0xFF));
  if (key.empty()) return "";
  std::string text;
  if (shortcut & ShortcutBits::Shift) text += "Shift+";
  if (shortcut & ShortcutBits::Ctrl) text += "Ctrl+";
  if (shortcut & ShortcutBits::Alt) text += "Alt+";
  return text + key;
}

}  // namespace rv
