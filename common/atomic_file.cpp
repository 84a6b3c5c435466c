#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace rv {
namespace {

std::string Reason() {
  return std::strerror(errno);
}

std::string Folder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Resolves a chain of symbolic links to the file they name (which need not
// exist yet).
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 16; ++depth) {
    char target[PATH_MAX];
    ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
    if (length < 0) return current;
    std::string next(target, static_cast<size_t>(length));
    if (next.empty() || next.front() != '/') next = Folder(current) + "/" + next;
    current = next;
  }
  return current;
}

}  // namespace

Result<void> WriteFileAtomically(const std::string& requested_path, std::string_view bytes,
                                 unsigned new_file_mode) {
  const std::string path = FollowLinks(requested_path);
  const std::string folder = Folder(path);
  std::string temp = path + ".tmp-XXXXXX";
  FileDescriptor fd(::mkstemp(temp.data()));
  if (fd.get() < 0) {
    return MakeError("cannot create a temporary file beside " + requested_path + ": " + Reason());
  }
  auto fail = [&](const std::string& what) {
    std::string message = what + " " + requested_path + ": " + Reason();
    ::unlink(temp.c_str());
    return MakeError(message);
  };

  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) {
    ::fchmod(fd.get(), old.st_mode & 07777);
    if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
      // Not owner of the old file's group or user: the new file keeps ours.
    }
  } else {
    ::fchmod(fd.get(), new_file_mode);
  }

  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("cannot write");
    }
    written += static_cast<size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return fail("cannot flush");
  if (::close(fd.release()) != 0) return fail("cannot close");
  if (::rename(temp.c_str(), path.c_str()) != 0) return fail("cannot replace");
  // The rename itself must reach the disk too.
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return {};
}

Result<std::string> ReadWholeFile(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return MakeError("cannot open " + path + ": " + Reason());
  std::string bytes;
  struct stat info {};
  if (::fstat(fd.get(), &info) == 0 && info.st_size > 0) {
    bytes.reserve(static_cast<size_t>(info.st_size));
  }
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return MakeError("cannot read " + path + ": " + Reason());
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

}  // namespace rv
