#include "automation/error_info.h"

#include <utility>

namespace rv {

namespace {
// Per thread by design: each apartment reads its own last error.
std::optional<ErrorInfo>& Slot() {
  thread_local std::optional<ErrorInfo> slot;
  return slot;
}
}  // namespace

void SetThreadErrorInfo(ErrorInfo info) {
  Slot() = std::move(info);
}

std::optional<ErrorInfo> TakeThreadErrorInfo() {
  return std::exchange(Slot(), std::nullopt);
}

}  // namespace rv
