#pragma once

// The desktop shell: start a program, open a document with the program the
// desktop associates with it, print a document. Calls return once the
// program has been started; they never wait for it to end.

#include <string>

#include "platform/result.h"

namespace rv {

// How the first window of a started program is to be shown. The numbers are
// those of a START step line.
enum class WindowState {
  Normal = 0,
  Maximized = 1,
  Minimized = 2,
  Hidden = 3,
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Starts `file` when it is an executable file, with `parameters` as its
  // command-line parameters; otherwise opens it (a document, a directory, a
  // URL) with the desktop's program for it. `directory`, when not empty, is
  // the working directory of what is started. Fails when nothing could be
  // started, saying why.
  virtual Result<void> Open(const std::string& file, const std::string& parameters,
                            const std::string& directory, WindowState state) = 0;

  // Hands `file` to the print spooler.
  virtual Result<void> Print(const std::string& file) = 0;
};

}  // namespace rv
