#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace rv {

Result<NamedMutex> NamedMutex::Acquire(const std::string& name) {
  const std::string path = paths::RuntimeDirectory() + name;
  dde::UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!fd.valid()) return MakeError("cannot open " + path + ": " + std::strerror(errno));
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return MakeError(name + " is held by another process");
    return MakeError("cannot lock " + path + ": " + std::strerror(errno));
  }
  return NamedMutex(std::move(fd));
}

}  // namespace rv
