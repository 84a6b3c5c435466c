#pragma once

// The Format function: numbers by patterns of 0 # . , % E+ with up to three
// sections (positive;negative;zero) and the named formats ("Fixed",
// "Standard", "Percent", ...); dates and times by d m y h n s and AM/PM
// tokens and the named date formats ("Short Date", "Long Time", ...);
// text by > (upper case) and < (lower case).

#include <string>

#include "automation/variant.h"

namespace rv::script {

std::string FormatValue(const Variant& value, const std::string& pattern);

}  // namespace rv::script
