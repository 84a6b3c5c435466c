#include "settings/keyboard_layout.h"

#include <string_view>

namespace rv {
namespace {

struct PunctuationKey {
  char plain;
  char shifted;
  uint8_t virtual_key;
};

// The punctuation keys of the US layout and their virtual-key codes.
constexpr PunctuationKey kPunctuation[] = {
    {';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC},  {'-', '_', 0xBD},
    {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0},  {'[', '{', 0xDB},
    {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
};

// The digits' shifted characters, from 0 to 9.
constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";

}  // namespace

std::optional<KeyScan> UsKeyboardLayout::VkKeyScan(char character) const {
  if (character >= 'a' && character <= 'z') {
    return KeyScan{static_cast<uint8_t>(character - 'a' + 'A'), 0};
  }
  if (character >= 'A' && character <= 'Z') return KeyScan{static_cast<uint8_t>(character), 1};
  if (character >= '0' && character <= '9') return KeyScan{static_cast<uint8_t>(character), 0};
  if (const size_t digit = kShiftedDigits.find(character); digit != std::string_view::npos) {
    return KeyScan{static_cast<uint8_t>('0' + digit), 1};
  }
  for (const PunctuationKey& key : kPunctuation) {
    if (character == key.plain) return KeyScan{key.virtual_key, 0};
    if (character == key.shifted) return KeyScan{key.virtual_key, 1};
  }
  switch (character) {
    case ' ':
      return KeyScan{0x20, 0};
    case '\t':
      return KeyScan{0x09, 0};
    case '\r':
      return KeyScan{0x0D, 0};
    case '\b':
      return KeyScan{0x08, 0};
    case '\x1b':
      return KeyScan{0x1B, 0};
    default:
      return std::nullopt;
  }
}

}  // namespace rv
