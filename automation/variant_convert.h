#pragma once

// The conversions automation members apply to their VARIANT arguments: text
// and Long parameters, and the "bare" addition of a value to text built so
// far, which is concatenation for strings and a failing numeric addition for
// anything else.

#include <cstdint>
#include <string>

#include "automation/variant.h"
#include "platform/result.h"

namespace rv {

// Numbers become their decimal text, Booleans "True"/"False", Empty "".
Result<std::string> VariantToText(const Variant& value);
// Integral values as they are, reals rounded, numeric strings parsed.
Result<int32_t> VariantToLong(const Variant& value);
// text + value with the value's own addition: only a string concatenates.
Result<void> AppendBare(std::string& text, const Variant& value);

}  // namespace rv
