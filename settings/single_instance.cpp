#include "settings/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace rv {

Result<SingleInstance> SingleInstance::Acquire(const std::string& name) {
  const std::string path = paths::RuntimeDirectory() + name;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return MakeError(path + ": " + std::strerror(errno));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return MakeError(path + ": " +
                     (error == EWOULDBLOCK ? std::string("held by another process")
                                           : std::string(std::strerror(error))));
  }
  return SingleInstance(fd);
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace rv
