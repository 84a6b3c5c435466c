#pragma once

// Runs a helper program to its end and collects what it printed, with a
// time limit: a helper that hangs is killed and reported, never waited for
// for ever. The program is looked up in PATH when it has no slash.

#include <chrono>
#include <string>
#include <vector>

#include "platform/result.h"

namespace rv {

struct ProgramOutput {
  int exit_status = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Fails when the program cannot be started (the message names it and says
// why) or does not end within `limit`.
Result<ProgramOutput> CaptureProgram(const std::vector<std::string>& argv,
                                     std::chrono::milliseconds limit);

}  // namespace rv
