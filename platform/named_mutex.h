#pragma once

// A named mutex between the programs of one user: an exclusive flock on a
// file of that name in the runtime directory. The kernel drops the lock when
// the process ends, however it ends.

#include "platform/dde_wire.h"
#include "platform/result.h"

#include <string>

namespace rv {

class NamedMutex {
 public:
  // Fails at once, without waiting, when another process holds it.
  static Result<NamedMutex> Acquire(const std::string& name);

 private:
  explicit NamedMutex(dde::UniqueFd fd) : fd_(std::move(fd)) {}
  dde::UniqueFd fd_;
};

}  // namespace rv
