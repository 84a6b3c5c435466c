#pragma once

// Reads task records from the lines of a task file. Lines end at CR LF, a
// lone CR or a lone LF; a NUL ends the text. Line 0 (the magic text) is not
// examined here.

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace rv {

class RVTaskList;

inline constexpr std::string_view kTaskFileMagic = "__RVTLST__";

std::vector<std::string> SplitTaskFileLines(std::string_view bytes);

// Appends the records in `lines` (from line 1 on) to `list`. Stops at the
// first record that does not parse with "<label>:<line>: <what was wrong>";
// the records before it stay in the list, the broken one is not added.
Result<void> ReadTaskRecords(const std::vector<std::string>& lines, const std::string& label,
                             RVTaskList& list);

}  // namespace rv
