#include "platform/time_change_watch.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace rv {

Result<TimeChangeWatch> TimeChangeWatch::Open() {
  const int fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd < 0) return MakeError(std::string("cannot watch the clock: ") + std::strerror(errno));
  TimeChangeWatch watch(fd);
  if (!watch.Arm())
    return MakeError(std::string("cannot watch the clock: ") + std::strerror(errno));
  return watch;
}

TimeChangeWatch::~TimeChangeWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool TimeChangeWatch::Arm() {
  // An absolute expiry far ahead; only a clock change ends the wait.
  itimerspec spec{};
  spec.it_value.tv_sec = INT32_MAX;
  return ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
}

bool TimeChangeWatch::ClockWasSet() {
  uint64_t expirations = 0;
  const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
  const bool set = n < 0 && errno == ECANCELED;
  if (set) Arm();
  return set;
}

}  // namespace rv
