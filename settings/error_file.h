#pragma once

// The task manager's error file: exceptions that reach the program's top are
// appended to "rverr.rve" in the data directory instead of being shown,
// except conversion errors from edit fields of dialog pages, which are
// dropped.

#include <exception>
#include <stdexcept>
#include <string>

namespace rv {

// Where a conversion error came from: only those of dialog pages and panels
// (a half-typed number in an edit field) are harmless.
enum class ErrorSender { Other, TabSheet, Panel };

class EConvertError : public std::runtime_error {
 public:
  EConvertError(const std::string& message, ErrorSender sender)
      : std::runtime_error(message), sender_(sender) {}
  ErrorSender sender() const { return sender_; }

 private:
  ErrorSender sender_;
};

inline constexpr size_t kErrorTextLimit = 511;

// "Exception CLASS in module settings: MESSAGE.", cut to 511 characters.
std::string SettingsExceptionText(std::exception_ptr error);

// True for the conversion errors that are dropped.
bool IsIgnoredException(std::exception_ptr error);

enum class ErrorHandling { Ignored, Written, NotWritten };

// Appends the exception's text and a line break to `path` unless it is one
// of the ignored ones. NotWritten when the file cannot be opened or written:
// then the caller shows the text instead.
ErrorHandling HandleException(std::exception_ptr error, const std::string& path);

}  // namespace rv
