#pragma once

// The keystroke language of SEND, read from left to right:
//   + ^ %        Shift, Ctrl, Alt down; they stay down
//   (            nothing
//   )            Shift, Alt and Ctrl up
//   ~            Enter pressed
//   {NAME}       a named key pressed ({ENTER}, {TAB}, {F1}...; upper case)
//   {NAME n}     the named key pressed n times
//   {text}       the characters typed as they are (the way to type + ^ % ( ) ~ {)
//   {text n}     the characters typed n times
//   a { without a later } is dropped; any other character is typed.
// Characters are UTF-8. Parsing is pure; SendKeystrokes plays the result on
// a desktop.

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace rv {

class Desktop;

struct KeyAction {
  enum class Kind {
    Down,              // virtual key down
    Up,                // virtual key up
    Press,             // virtual key down and up
    Type,              // a character, with Shift around it when it needs Shift
    TypeInBraces,      // the same, but a Shift that was already down stays down
    ReleaseModifiers,  // Shift, Alt and Ctrl up
  };
  Kind kind;
  int virtual_key = 0;
  char32_t character = 0;
  bool operator==(const KeyAction&) const = default;
};

// The virtual key of a named-key token including its braces ("{ENTER}"),
// or 0 when it names none. Exact and case-sensitive.
int NamedKey(std::string_view token);

// Fails for a repeat count that is no whole number ("{a x}"), naming it.
Result<std::vector<KeyAction>> ParseKeystrokes(std::string_view text);

// Plays `actions` on `desktop`: Shift, Alt and Ctrl are released first and
// at the end, also when an error leaves early, and keys lent for characters
// off the layout are given back.
void SendKeystrokes(Desktop& desktop, const std::vector<KeyAction>& actions);

}  // namespace rv
