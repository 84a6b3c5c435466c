#include "platform/system_event_watches.h"

#include <fcntl.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace rv {

Result<DeviceChangeWatch> DeviceChangeWatch::Open() {
  const int fd =
      ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  if (fd < 0) return MakeError(std::string("no device events: ") + std::strerror(errno));
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = 1;  // the kernel's own events
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    const std::string reason = std::strerror(errno);
    ::close(fd);
    return MakeError("no device events: " + reason);
  }
  return DeviceChangeWatch(fd);
}

DeviceChangeWatch::~DeviceChangeWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool DeviceChangeWatch::Drain() {
  bool any = false;
  char buffer[8192];
  while (::recv(fd_, buffer, sizeof buffer, 0) > 0)
    any = true;
  return any;
}

MemoryPressureWatch MemoryPressureWatch::Open(const std::string& pressure_file,
                                              const std::string& meminfo_file) {
  const int fd = ::open(pressure_file.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    static constexpr char kTrigger[] = "some 150000 2000000";
    if (::write(fd, kTrigger, sizeof kTrigger) > 0) return MemoryPressureWatch(fd, meminfo_file);
    ::close(fd);
  }
  return MemoryPressureWatch(-1, meminfo_file);
}

MemoryPressureWatch::~MemoryPressureWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool MemoryPressureWatch::LowOnMemory() {
  std::ifstream in(meminfo_);
  std::string line;
  long long total = -1, available = -1;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name;
    long long value = 0;
    fields >> name >> value;
    if (name == "MemTotal:") total = value;
    if (name == "MemAvailable:") available = value;
  }
  if (total <= 0 || available < 0) return false;
  const bool low = available * 20 < total;
  const bool newly_low = low && !low_;
  low_ = low;
  return newly_low;
}

}  // namespace rv
