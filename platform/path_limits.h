#pragma once

// The lengths the kernel accepts for a path: PATH_MAX bytes including the
// terminating zero, and NAME_MAX bytes for each name in it. A longer path is
// refused with a reason instead of being cut, so a step never works on a
// different file than the one it names.

#include <string>
#include <string_view>

#include "platform/result.h"

namespace rv {

inline constexpr std::size_t kMaxPathBytes = 4095;  // PATH_MAX less the zero
inline constexpr std::size_t kMaxNameBytes = 255;   // NAME_MAX

Result<void> CheckPathLength(std::string_view path);

// A path for messages: whole when short, else its start and its length, so
// one over-long path does not flood the log.
std::string QuotePath(std::string_view path);

}  // namespace rv
