#pragma once

// Tells when the system's wall clock was set (by hand, by time sync jumps):
// a timer file descriptor armed far in the future that the kernel cancels
// whenever CLOCK_REALTIME is changed discontinuously. The program's event
// loop watches fd(); on readiness it calls ClockWasSet().

#include "platform/result.h"

namespace rv {

class TimeChangeWatch {
 public:
  static Result<TimeChangeWatch> Open();
  TimeChangeWatch(TimeChangeWatch&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  TimeChangeWatch& operator=(TimeChangeWatch&&) = delete;
  ~TimeChangeWatch();

  int fd() const { return fd_; }
  // True when the clock was set since the last call; re-arms the watch.
  bool ClockWasSet();

 private:
  explicit TimeChangeWatch(int fd) : fd_(fd) {}
  bool Arm();
  int fd_ = -1;
};

}  // namespace rv
