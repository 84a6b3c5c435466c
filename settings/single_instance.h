#pragma once

// One task manager per user session: an exclusive flock on
// "RunvaneSettingsMutex" in the runtime directory, held for the program's
// life and dropped by the kernel however the program ends.

#include <string>

#include "platform/result.h"

namespace rv {

class SingleInstance {
 public:
  // Fails at once, without waiting, when another process holds the lock.
  static Result<SingleInstance> Acquire(const std::string& name = "RunvaneSettingsMutex");

  SingleInstance(SingleInstance&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  SingleInstance& operator=(SingleInstance&&) = delete;
  SingleInstance(const SingleInstance&) = delete;
  ~SingleInstance();

 private:
  explicit SingleInstance(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace rv
