#pragma once

// The calling thread's last automation error: set by a member that fails, so
// a client that only sees a failure result can still show the message.

#include <optional>
#include <string>

#include "automation/hresult.h"

namespace rv {

struct ErrorInfo {
  HRESULT code = 0;
  std::string description;
  int32_t help_context = 0;
};

void SetThreadErrorInfo(ErrorInfo info);
// Returns and clears the thread's error info.
std::optional<ErrorInfo> TakeThreadErrorInfo();

}  // namespace rv
