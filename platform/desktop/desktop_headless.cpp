#include "platform/desktop/desktop_headless.h"

#include <string_view>

#include "platform/desktop/virtual_key.h"

namespace rv {

std::optional<KeyScan> UsLayoutKeyScan(char32_t c) {
  if (c >= 'a' && c <= 'z') return KeyScan{static_cast<int>(c - 'a' + 'A'), false};
  if (c >= 'A' && c <= 'Z') return KeyScan{static_cast<int>(c), true};
  if (c >= '0' && c <= '9') return KeyScan{static_cast<int>(c), false};
  if (c == ' ') return KeyScan{vk::Space, false};
  if (c == '\t') return KeyScan{vk::Tab, false};
  if (c == '\n' || c == '\r') return KeyScan{vk::Enter, false};
  // Punctuation by the key it sits on: unshifted row, then shifted row.
  struct OemKey {
    int code;
    char plain;
    char shifted;
  };
  static constexpr OemKey kKeys[] = {
      {0xBA, ';', ':'},  {0xBB, '=', '+'}, {0xBC, ',', '<'},  {0xBD, '-', '_'},
      {0xBE, '.', '>'},  {0xBF, '/', '?'}, {0xC0, '`', '~'},  {0xDB, '[', '{'},
      {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
  };
  for (const OemKey& key : kKeys) {
    if (c == static_cast<char32_t>(key.plain)) return KeyScan{key.code, false};
    if (c == static_cast<char32_t>(key.shifted)) return KeyScan{key.code, true};
  }
  static constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
  for (std::size_t i = 0; i < kShiftedDigits.size(); ++i)
    if (c == static_cast<char32_t>(kShiftedDigits[i]))
      return KeyScan{static_cast<int>('0' + i), true};
  return std::nullopt;
}

std::optional<KeyScan> HeadlessDesktop::VkKeyScan(char32_t character) {
  return UsLayoutKeyScan(character);
}

Result<void> HeadlessDesktop::RegisterHotKey(int, HotkeyModifiers, int) {
  return MakeError("this session has no display for hotkeys");
}

}  // namespace rv
