#pragma once

// Sources of two system events for the launcher's event trigger, each a file
// descriptor the program's event loop watches:
// - DeviceChangeWatch: the kernel's device events (a device added, removed
//   or changed), from the uevent netlink socket; a burst of them is one
//   change for the caller to debounce.
// - MemoryPressureWatch: low memory. With pressure stall information, the
//   kernel signals (POLLPRI) when tasks stall on memory for 150 ms within a
//   2 s window; without it, the caller polls LowOnMemory(), which reports
//   each drop of available memory below 5 % once.

#include <optional>
#include <string>

#include "platform/result.h"

namespace rv {

class DeviceChangeWatch {
 public:
  static Result<DeviceChangeWatch> Open();
  DeviceChangeWatch(DeviceChangeWatch&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  DeviceChangeWatch& operator=(DeviceChangeWatch&&) = delete;
  ~DeviceChangeWatch();

  int fd() const { return fd_; }
  // Reads every queued event; true when there was at least one.
  bool Drain();

 private:
  explicit DeviceChangeWatch(int fd) : fd_(fd) {}
  int fd_ = -1;
};

class MemoryPressureWatch {
 public:
  // Prefers the kernel's pressure trigger; falls back to polling.
  static MemoryPressureWatch Open(const std::string& pressure_file = "/proc/pressure/memory",
                                  const std::string& meminfo_file = "/proc/meminfo");
  MemoryPressureWatch(MemoryPressureWatch&& other) noexcept
      : fd_(other.fd_), meminfo_(std::move(other.meminfo_)), low_(other.low_) {
    other.fd_ = -1;
  }
  MemoryPressureWatch& operator=(MemoryPressureWatch&&) = delete;
  ~MemoryPressureWatch();

  // The pressure trigger's descriptor (readiness is POLLPRI), or -1 when
  // the caller must poll.
  int fd() const { return fd_; }
  // Polling: true the first time available memory is below 5 % of the
  // total, and again only after it was above once more.
  bool LowOnMemory();

 private:
  MemoryPressureWatch(int fd, std::string meminfo) : fd_(fd), meminfo_(std::move(meminfo)) {}
  int fd_ = -1;
  std::string meminfo_;
  bool low_ = false;
};

}  // namespace rv
