#pragma once

// Starts a program that is not the caller's child: it runs in a session of
// its own (no terminal hang-up reaches it), belongs to init or the session's
// subreaper from its first instruction on, and so never becomes a zombie of
// the caller and goes on running when the caller ends.

#include <string>
#include <vector>

#include "platform/result.h"

namespace rv {

struct DetachedStart {
  std::string program;  // the file to execute, absolute or relative to the current directory
  std::vector<std::string> argv;  // argv[0] first
  std::string directory;          // working directory; empty: the caller's current one
  bool quiet = false;             // standard output and error to /dev/null instead of the caller's
};

// The process id of the started program. Fails when the program could not
// be executed (not found, no permission, bad format, the directory missing).
Result<int> StartDetached(const DetachedStart& start);

}  // namespace rv
