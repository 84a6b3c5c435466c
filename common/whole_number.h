#pragma once

// The string-to-integer conversion of the task file: optional blanks around
// an optional sign and decimal digits, within 32 bits. Anything else fails.

#include <cstdint>
#include <string_view>

#include "platform/result.h"

namespace rv {

Result<int32_t> ParseWholeNumber(std::string_view text);

}  // namespace rv
