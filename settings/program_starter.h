#pragma once

// Starting the outside programs the task manager offers: the launcher, the
// script editor, and files opened with the desktop's default application
// (the log, the help topics). Each argument reaches the program as one word.

#include <string>
#include <vector>

#include "platform/result.h"

namespace rv {

class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  virtual Result<void> Start(const std::string& program, const std::vector<std::string>& args) = 0;
};

class FakeProgramStarter final : public ProgramStarter {
 public:
  struct Call {
    std::string program;
    std::vector<std::string> args;
    bool operator==(const Call&) const = default;
  };
  Result<void> Start(const std::string& program, const std::vector<std::string>& args) override {
    calls.push_back({program, args});
    return {};
  }
  std::vector<Call> calls;
};

}  // namespace rv
