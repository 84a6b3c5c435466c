#include "launcher/send_keys.h"

#include <array>
#include <utility>

#include "common/step_line.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/virtual_key.h"

namespace rv {

namespace {

// One UTF-8 character from `at`; a stray byte is taken as the Latin-1
// character it would be, so nothing is lost.
char32_t NextCharacter(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(at);
  const std::size_t extra = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : first >= 0xC0 ? 1 : 0;
  char32_t c = first & (0x3F >> extra);
  bool whole = extra > 0 && at + extra < text.size();
  for (std::size_t i = 1; whole && i <= extra; ++i) {
    whole = (byte(at + i) & 0xC0) == 0x80;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (!whole) {
    ++at;
    return first;
  }
  at += extra + 1;
  return c;
}

void AppendCharacters(std::string_view text, KeyAction::Kind kind,
                      std::vector<KeyAction>& actions) {
  for (std::size_t at = 0; at < text.size();)
    actions.push_back({kind, 0, NextCharacter(text, at)});
}

}  // namespace

int NamedKey(std::string_view token) {
  static constexpr std::pair<std::string_view, int> kNames[] = {
      {"{BACKSPACE}", vk::Backspace},
      {"{BS}", vk::Backspace},
      {"{BKSP}", vk::Backspace},
      {"{BREAK}", vk::Break},
      {"{CAPSLOCK}", vk::CapsLock},
      {"{DELETE}", vk::Delete},
      {"{DEL}", vk::Delete},
      {"{DOWN}", vk::Down},
      {"{END}", vk::End},
      {"{ENTER}", vk::Enter},
      {"{ESC}", vk::Escape},
      {"{HELP}", vk::Help},
      {"{HOME}", vk::Home},
      {"{INSERT}", vk::Insert},
      {"{LEFT}", vk::Left},
      {"{NUMLOCK}", vk::NumLock},
      {"{PGDN}", vk::PageDown},
      {"{PGUP}", vk::PageUp},
      {"{PRTSC}", vk::PrintScreen},
      {"{RIGHT}", vk::Right},
      {"{SCROLLLOCK}", vk::ScrollLock},
      {"{TAB}", vk::Tab},
      {"{UP}", vk::Up},
  };
  for (const auto& [name, code] : kNames)
    if (token == name) return code;
  for (int n = 1; n <= 12; ++n)
    if (token == "{F" + std::to_string(n) + "}") return vk::F1 + n - 1;
  return 0;
}

Result<std::vector<KeyAction>> ParseKeystrokes(std::string_view text) {
  using Kind = KeyAction::Kind;
  std::vector<KeyAction> actions;
  std::size_t k = 0;
  while (k < text.size()) {
    const char c = text[k];
    switch (c) {
      case '+':
        actions.push_back({Kind::Down, vk::Shift});
        break;
      case '^':
        actions.push_back({Kind::Down, vk::Control});
        break;
      case '%':
        actions.push_back({Kind::Down, vk::Alt});
        break;
      case '(':
        break;
      case ')':
        actions.push_back({Kind::ReleaseModifiers});
        break;
      case '~':
        actions.push_back({Kind::Press, vk::Enter});
        break;
      case '{': {
        const std::size_t close = text.find('}', k);
        if (close == std::string_view::npos) break;  // the { is dropped
        std::string token(text.substr(k, close - k + 1));
        const std::size_t length = token.size();
        int count = 1;
        if (const std::size_t blank = token.find(' '); blank != std::string::npos) {
          const std::string count_text = token.substr(blank + 1, token.size() - blank - 2);
          Result<int> parsed = ParseInteger(count_text);
          if (!parsed) return MakeError("the repeat count in \"" + token + "\": " + parsed.error());
          count = *parsed;
          token = token.substr(0, blank) + "}";
        }
        const int named = NamedKey(token);
        const std::string_view inner = std::string_view(token).substr(1, token.size() - 2);
        for (int i = 0; i < count; ++i) {
          if (named != 0) {
            actions.push_back({Kind::Press, named});
          } else {
            AppendCharacters(inner, Kind::TypeInBraces, actions);
          }
        }
        k += length;
        continue;
      }
      default: {
        actions.push_back({Kind::Type, 0, NextCharacter(text, k)});
        continue;
      }
    }
    ++k;
  }
  return actions;
}

namespace {

void ReleaseModifiers(Desktop& desktop) {
  desktop.KeyUp(vk::Shift);
  desktop.KeyUp(vk::Alt);
  desktop.KeyUp(vk::Control);
}

// Releases the modifiers and gives back lent keys however the step ends.
class ModifierGuard {
 public:
  explicit ModifierGuard(Desktop& desktop) : desktop_(desktop) { ReleaseModifiers(desktop_); }
  ~ModifierGuard() {
    ReleaseModifiers(desktop_);
    desktop_.RestoreKeyboardMapping();
  }
  ModifierGuard(const ModifierGuard&) = delete;
  ModifierGuard& operator=(const ModifierGuard&) = delete;

 private:
  Desktop& desktop_;
};

void TypeCharacter(Desktop& desktop, char32_t c, bool keep_held_shift) {
  std::optional<KeyScan> scan = desktop.VkKeyScan(c);
  if (!scan) {
    // Off the layout: a lent key types it; only a desktop without keys at
    // all is left with the key that types nothing.
    if (!desktop.TypeUnmappedCharacter(c)) desktop.KeyPress(vk::NoKey);
    return;
  }
  if (!scan->shift) {
    desktop.KeyPress(scan->virtual_key);
    return;
  }
  const bool was_down = keep_held_shift && desktop.ShiftDown();
  desktop.KeyDown(vk::Shift);
  desktop.KeyPress(scan->virtual_key);
  if (!was_down) desktop.KeyUp(vk::Shift);
}

}  // namespace

void SendKeystrokes(Desktop& desktop, const std::vector<KeyAction>& actions) {
  ModifierGuard guard(desktop);
  for (const KeyAction& action : actions) {
    switch (action.kind) {
      case KeyAction::Kind::Down:
        desktop.KeyDown(action.virtual_key);
        break;
      case KeyAction::Kind::Up:
        desktop.KeyUp(action.virtual_key);
        break;
      case KeyAction::Kind::Press:
        desktop.KeyPress(action.virtual_key);
        break;
      case KeyAction::Kind::Type:
        TypeCharacter(desktop, action.character, false);
        break;
      case KeyAction::Kind::TypeInBraces:
        TypeCharacter(desktop, action.character, true);
        break;
      case KeyAction::Kind::ReleaseModifiers:
        ReleaseModifiers(desktop);
        break;
    }
  }
}

}  // namespace rv
