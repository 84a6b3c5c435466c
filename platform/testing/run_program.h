#pragma once

// Runs a program of the build for a black-box test and collects its output.

#include <string>
#include <vector>

namespace rv::testing {

struct ProgramResult {
  int exit_status = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// `argv[0]` is a path. Standard input is /dev/null. The environment is this
// process's (so RUNVANE_HOME carries over), plus `extra_env` ("NAME=value").
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extra_env = {});

}  // namespace rv::testing
