#pragma once

// The programs' error files: exceptions that nothing else caught are
// appended to a file in the data directory ("rverrors.log" for the launcher,
// "rverr.rve" for the task manager), and the program runs on.

#include <exception>
#include <string>

namespace rv {

// "Exception CLASS in module MODULE: MESSAGE." for what reached the top.
std::string ExceptionText(std::exception_ptr error, const std::string& module = "runvane");

// Appends `text` and a line feed; false when the file cannot be opened or
// written.
bool AppendToErrorFile(const std::string& path, const std::string& text);

}  // namespace rv
