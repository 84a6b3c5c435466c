#pragma once

// The commands of runvanectl. Each takes the words after its name, writes
// its output and errors to the given streams and returns the exit status.

#include <ostream>
#include <string>
#include <vector>

namespace rv::ctl {

using Arguments = std::vector<std::string>;

struct Streams {
  std::ostream& out;
  std::ostream& err;
};

int CheckCommand(const Arguments& args, Streams io);
int ListCommand(const Arguments& args, Streams io);
int RescheduleCommand(const Arguments& args, Streams io);
int RegistryCommand(const Arguments& args, Streams io);
int SendCommand(const Arguments& args, Streams io);
// launch, kill, update, start-processing, stop-processing, quit, play.
int LauncherShorthand(const std::string& command, const Arguments& args, Streams io);
int StepCommand(const Arguments& args, Streams io);
int PrefsCommand(const Arguments& args, Streams io);
// register, unregister: the automation server's registration exports.
int ServerCommand(const std::string& command, const Arguments& args, Streams io);

}  // namespace rv::ctl
