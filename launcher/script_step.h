#pragma once

// The SCRIPT step: runs a BASIC script with the running task ("CurrentTask."),
// the system object ("Runvane.") and the action object ("Action.") in reach,
// reads the task back into the run's task copy, and stops the task when the
// script set CurrentTask.Active to 0.

#include <string>

#include "platform/result.h"

namespace rv {

class RVTask;

// The task copy as the record text the task object reads: the task file's
// record layout with the launch line padded ("06/09/1998 5:30:00 PM"), since
// the object takes the date from the line's first ten characters.
std::string ScriptTaskData(const RVTask& task);
// Replaces every field of `task` but Running (which stays set) by the
// record in `text`; on an error `task` is unchanged.
Result<void> ReadScriptTaskData(const std::string& text, RVTask& task);

inline constexpr size_t kMaxScriptFileName = 511;
inline constexpr size_t kMaxLegacyCode = 2031;

}  // namespace rv
