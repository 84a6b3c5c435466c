#pragma once

// The date line of the task file: "6/9/1998 5:30:0 PM". Written unpadded on
// the 12-hour clock; read with leading zeros allowed, and without the AM/PM
// mark as a 24-hour time.

#include <string>

#include "common/date_time.h"
#include "platform/result.h"

namespace rv {

// The longest date line the reader takes.
inline constexpr size_t kMaxDateLineLength = 31;

std::string FormatDateLine(TDateTime value);
void AppendDateLine(TDateTime value, std::string& out);

// The error text says what was wrong ("the time 25:0:0 does not exist"); the
// task file reader puts the file and line in front.
Result<TDateTime> ParseDateLine(const std::string& line);

}  // namespace rv
