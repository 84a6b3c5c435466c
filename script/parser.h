#pragma once

// Builds the syntax tree of one script file from its tokens. Constructs the
// language does not support are refused here with a message naming them.

#include <string>
#include <vector>

#include "platform/result.h"
#include "script/ast.h"
#include "script/token.h"

namespace rv::script {

// Errors read "FILE:LINE: message".
Result<std::unique_ptr<Module>> Parse(std::vector<Token> tokens, const std::string& file);

}  // namespace rv::script
