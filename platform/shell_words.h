#pragma once

// Splits a command-line parameter text into words the way a POSIX shell
// does, without any expansion: blanks, tabs and line breaks separate words;
// 'single quotes' keep everything literally; "double quotes" keep everything
// but a backslash before " \ $ ` or a line break; a backslash outside quotes
// makes the next character literal. Nothing else is special: "$HOME", "*"
// and "~" reach the program as written.

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace rv {

// An unclosed quote is an error that says which.
Result<std::vector<std::string>> SplitShellWords(std::string_view text);

}  // namespace rv
