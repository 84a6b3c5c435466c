#include "settings/hotkey_shortcut.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(HotkeyShortcut, ReadsStoredTextAsShiftCtrlAltThenKey) {
  const UsKeyboardLayout layout;
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"%^a", "Ctrl+Alt+A"},
      {"&%b", "Shift+Ctrl+B"},
      {"^&%z", "Shift+Ctrl+Alt+Z"},  // marks in any order, shown in a fixed one
      {"^7", "Alt+7"},
      {"%;", "Ctrl+;"},
      {"% ", "Ctrl+Space"},
      {"x%q", "Ctrl+Q"},  // unknown marks are ignored
      {"b", "B"},
      {"", ""},
      {"%A", ""},     // needs Shift on the layout: no readable form
      {"%!", ""},     // likewise
      {"%\xc3", ""},  // no key types it
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HotkeyDisplayText(c.stored, layout), c.shown) << "stored: " << c.stored;
  }
}

TEST(HotkeyShortcut, ValueIsKeyCodePlusModifierBits) {
  const UsKeyboardLayout layout;
  EXPECT_EQ(HotkeyShortcut("%^a", layout), 'A' | ShortcutBits::Ctrl | ShortcutBits::Alt);
  EXPECT_EQ(HotkeyShortcut("%A", layout), 0);
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(0x70 | ShortcutBits::Shift), "Shift+F1");
}

}  // namespace
}  // namespace rv
