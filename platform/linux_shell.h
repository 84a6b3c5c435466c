#pragma once

// The shell on Linux. An executable file is started directly, detached (see
// detached_process.h), its parameters split into words as a shell does but
// never expanded; a name without a slash is looked up in PATH first. Any
// other file, a directory or a URL goes to xdg-open, and printing to lp.
//
// A working directory that does not exist is not an error: the program
// starts in the launcher's current directory, as it would without one.
// Relative file names are taken from the launcher's current directory, not
// from the working directory given.

#include <functional>
#include <string>

#include "platform/shell.h"

namespace rv {

class LinuxShell final : public Shell {
 public:
  // Told the process id of every program started and the window state asked
  // for it, so the desktop layer can apply the state to the first window
  // that process maps. Without it the request is dropped.
  using WindowStateRequest = std::function<void(int pid, WindowState state)>;

  explicit LinuxShell(WindowStateRequest on_started = {});

  Result<void> Open(const std::string& file, const std::string& parameters,
                    const std::string& directory, WindowState state) override;
  Result<void> Print(const std::string& file) override;

 private:
  WindowStateRequest on_started_;
};

// The first executable regular file called `name` in the directories of
// PATH; empty when there is none.
std::string FindInPath(const std::string& name);

}  // namespace rv
