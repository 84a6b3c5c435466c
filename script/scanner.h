#pragma once

// Turns script text into tokens. Comments (' and Rem) and line
// continuations (" _" at the end of a line) never reach the parser; a
// newline and ':' separate statements.

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "script/token.h"

namespace rv::script {

// Errors read "FILE:LINE: message".
Result<std::vector<Token>> Scan(std::string_view text, const std::string& file);

}  // namespace rv::script
