#pragma once

// What of a step line may be logged: the log-in form of OS with its
// password blanked out, any other line as it is.

#include <string>

namespace rv {

std::string StepLineForLog(const std::string& line);

}  // namespace rv
