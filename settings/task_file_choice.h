#pragma once

// Which task file the task manager opens at start-up: the configured one
// when it exists, else a valid "TASKS.RVD" in the data directory (then
// remembered in the preferences). Nothing when the user must choose.

#include <optional>
#include <string>

#include "platform/result.h"

namespace rv {

class RVPreferences;

inline constexpr const char* kTaskFileHeader = "__RVTLST__";

std::optional<std::string> ConfiguredTaskFile(RVPreferences& preferences);

// Writes an empty task file: the header line and CR LF.
Result<void> CreateEmptyTaskFile(const std::string& path);

}  // namespace rv
