// The keystroke language: what each token becomes, and what a focused text
// field receives when it is played on the fake desktop's US layout.

#include "launcher/send_keys.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/desktop/fake_desktop.h"
#include "platform/desktop/virtual_key.h"

namespace rv {
namespace {

using ::testing::ElementsAre;
using Kind = KeyAction::Kind;

std::string Typed(const std::string& keys) {
  FakeDesktop desktop;
  Result<std::vector<KeyAction>> actions = ParseKeystrokes(keys);
  EXPECT_TRUE(actions) << actions.error();
  SendKeystrokes(desktop, *actions);
  return desktop.TypedText();
}

TEST(SendKeys, TheLanguageAsAFocusedFieldReceivesIt) {
  struct Row {
    const char* keys;
    const char* typed;
  };
  for (const Row& row : {
           Row{"abc{ENTER}", "abc\n"},
           Row{"{TAB 3}", "\t\t\t"},
           Row{"{ab 2}", "abab"},
           Row{"{+}{^}{%}{(}{)}{~}{{}", "+^%()~{"},
           Row{"a{b", "ab"},
           Row{"{enter}", "enter"},
           Row{"+abc", "ABC"},
           Row{"^(c)v", "^Cv"},
           Row{"x~y", "x\ny"},
           Row{"A+b", "AB"},
           Row{"a,b\"c", "a,b\"c"},
           Row{"{F5}{BS}{DEL 2}", "<116><8><46><46>"},
           Row{"{ENTER 0}x", "x"},
       }) {
    EXPECT_EQ(Typed(row.keys), row.typed) << row.keys;
  }
}

TEST(SendKeys, ShiftHeldByAPlusStaysDownThroughBracesButATypedCapitalReleasesIt) {
  // Inside braces a capital keeps the held Shift: "+{A}b" gives "AB".
  EXPECT_EQ(Typed("+{A}b"), "AB");
  // Outside braces a capital releases it: "+Ab" gives "Ab".
  EXPECT_EQ(Typed("+Ab"), "Ab");
  // A capital in braces without a held Shift does not leave Shift down.
  EXPECT_EQ(Typed("{A}b"), "Ab");
}

TEST(SendKeys, ModifiersAreReleasedFirstAndLastWhateverTheTextLeavesDown) {
  FakeDesktop desktop;
  SendKeystrokes(desktop, *ParseKeystrokes("^%"));
  using E = FakeDesktop::KeyEvent;
  EXPECT_THAT(desktop.Keys(),
              ElementsAre(E{E::Up, vk::Shift}, E{E::Up, vk::Alt}, E{E::Up, vk::Control},
                          E{E::Down, vk::Control}, E{E::Down, vk::Alt}, E{E::Up, vk::Shift},
                          E{E::Up, vk::Alt}, E{E::Up, vk::Control}));
}

TEST(SendKeys, ACharacterOffTheLayoutIsTypedThroughALentKeyNotLost) {
  FakeDesktop desktop;
  SendKeystrokes(desktop, *ParseKeystrokes("a\xE2\x82\xAC{\xC3\xA9 2}"));
  EXPECT_EQ(desktop.TypedText(), "a<U+8364><U+233><U+233>");
}

TEST(SendKeys, TokensAndNamedKeys) {
  EXPECT_EQ(NamedKey("{ENTER}"), vk::Enter);
  EXPECT_EQ(NamedKey("{BKSP}"), vk::Backspace);
  EXPECT_EQ(NamedKey("{F12}"), 123);
  EXPECT_EQ(NamedKey("{F13}"), 0);
  EXPECT_EQ(NamedKey("{Enter}"), 0);
  EXPECT_THAT(*ParseKeystrokes("+(^a)"),
              ElementsAre(KeyAction{Kind::Down, vk::Shift}, KeyAction{Kind::Down, vk::Control},
                          KeyAction{Kind::Type, 0, U'a'}, KeyAction{Kind::ReleaseModifiers}));
  // The first } closes the braces; what follows is typed as usual.
  EXPECT_THAT(*ParseKeystrokes("{}}"), ElementsAre(KeyAction{Kind::Type, 0, U'}'}));
}

TEST(SendKeys, ARepeatCountThatIsNoNumberIsAnErrorNamingIt) {
  Result<std::vector<KeyAction>> bad = ParseKeystrokes("ab{TAB x}c");
  ASSERT_FALSE(bad);
  EXPECT_THAT(bad.error(), ::testing::HasSubstr("\"{TAB x}\""));
}

}  // namespace
}  // namespace rv
