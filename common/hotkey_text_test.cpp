#include "common/hotkey_text.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(HotkeyText, MarksInAnyOrderAndTheLastCharacterAsKey) {
  struct Row {
    const char* text;
    bool ctrl, alt, shift;
    char key;
  };
  const Row rows[] = {
      {"%^a", true, true, false, 'a'},  {"a", false, false, false, 'a'},
      {"&%z", true, false, true, 'z'},  {"^&%5", true, true, true, '5'},
      {"%%", true, false, false, '%'},  // the last character is always the key
      {"x%q", true, false, false, 'q'},
  };
  for (const Row& row : rows) {
    auto hotkey = ParseHotkeyText(row.text);
    ASSERT_TRUE(hotkey) << row.text;
    EXPECT_EQ(hotkey->ctrl, row.ctrl) << row.text;
    EXPECT_EQ(hotkey->alt, row.alt) << row.text;
    EXPECT_EQ(hotkey->shift, row.shift) << row.text;
    EXPECT_EQ(hotkey->key, row.key) << row.text;
  }
  EXPECT_FALSE(ParseHotkeyText(""));
}

TEST(HotkeyText, WritesCtrlAltShiftThenTheLowerCaseKey) {
  EXPECT_EQ(FormatHotkeyText({true, true, false, 'A'}), "%^a");
  EXPECT_EQ(FormatHotkeyText({true, false, true, '5'}), "%&5");
  EXPECT_EQ(FormatHotkeyText({false, false, false, 'b'}), "b");
}

}  // namespace
}  // namespace rv
