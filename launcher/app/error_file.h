#pragma once

// The launcher's error file: exceptions that nothing else caught are
// appended to "rverrors.log" in the data directory, and the launcher runs on.

#include <exception>
#include <string>

namespace rv {

// "Exception CLASS in module runvane: MESSAGE." for what reached the top.
std::string ExceptionText(std::exception_ptr error);

// Appends `text` and a line feed; false when the file cannot be opened or
// written.
bool AppendToErrorFile(const std::string& path, const std::string& text);

}  // namespace rv
