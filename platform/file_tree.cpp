#include "platform/file_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/path_limits.h"

namespace rv {
namespace {

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
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
  // Closes now, so a failing close (a full disk on some file systems) is seen.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

Result<std::vector<std::string>> ListNames(const std::string& directory) {
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return SystemError("cannot read the directory", directory);
  std::vector<std::string> names;
  errno = 0;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  const int error = errno;
  ::closedir(dir);
  if (error != 0) {
    errno = error;
    return SystemError("cannot read the directory", directory);
  }
  return names;
}

// A free name beside `target` for writing before the final rename.
Result<std::string> MakeTemporaryFile(const std::string& target, int* fd) {
  std::string name = JoinPath(ParentPath(target), ".rv-copy-XXXXXX");
  if (Result<void> length = CheckPathLength(name); !length) return MakeError(length.error());
  *fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (*fd < 0) return SystemError("cannot create a file in", ParentPath(target));
  return name;
}

Result<void> CopyFileContents(const std::string& source, const std::string& target) {
  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return SystemError("cannot read", source);
  struct stat info {};
  if (::fstat(in.get(), &info) != 0) return SystemError("cannot read", source);
  if (!S_ISREG(info.st_mode)) return MakeError(QuotePath(source) + " is not a file");

  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      return MakeError("cannot replace the directory " + QuotePath(target) + " with the file " +
                       QuotePath(source));
    }
    // Replacing a file with itself would leave an empty copy of nothing.
    if (existing.st_dev == info.st_dev && existing.st_ino == info.st_ino)
      return MakeError(QuotePath(source) + " and " + QuotePath(target) + " are the same file");
  }

  int raw = -1;
  Result<std::string> temporary = MakeTemporaryFile(target, &raw);
  if (!temporary) return MakeError(temporary.error());
  FileDescriptor out(raw);
  auto fail = [&](Error error) -> Result<void> {
    ::unlink(temporary->c_str());
    return error;
  };

  std::vector<char> buffer(256 * 1024);
  for (;;) {
    ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return fail(SystemError("cannot read", source));
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = ::write(out.get(), buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return fail(SystemError("cannot write", target));
      done += put;
    }
  }
  const timespec times[2] = {info.st_atim, info.st_mtim};
  if (::fchmod(out.get(), info.st_mode & 0777) != 0 || ::futimens(out.get(), times) != 0)
    return fail(SystemError("cannot set the attributes of", target));
  if (!out.Close()) return fail(SystemError("cannot write", target));
  if (::rename(temporary->c_str(), target.c_str()) != 0)
    return fail(SystemError("cannot replace", target));
  return {};
}

Result<void> CopyLink(const std::string& source, const std::string& target) {
  std::vector<char> buffer(kMaxPathBytes + 1);
  const ssize_t size = ::readlink(source.c_str(), buffer.data(), buffer.size());
  if (size < 0) return SystemError("cannot read the link", source);
  const std::string points_to(buffer.data(), static_cast<size_t>(size));
  struct stat existing {};
  if (::lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
    return MakeError("cannot replace the directory " + QuotePath(target) + " with the link " +
                     QuotePath(source));
  }
  // Made under a free name, then renamed over the target, like a file.
  for (int attempt = 0; attempt < 100; ++attempt) {
    int fd = -1;
    Result<std::string> temporary = MakeTemporaryFile(target, &fd);
    if (!temporary) return MakeError(temporary.error());
    ::close(fd);
    ::unlink(temporary->c_str());
    if (::symlink(points_to.c_str(), temporary->c_str()) != 0) {
      if (errno == EEXIST) continue;
      return SystemError("cannot create the link", target);
    }
    if (::rename(temporary->c_str(), target.c_str()) != 0) {
      Error error = SystemError("cannot replace", target);
      ::unlink(temporary->c_str());
      return error;
    }
    return {};
  }
  return MakeError("cannot find a free temporary name beside " + QuotePath(target));
}

Result<void> CopyDirectory(const std::string& source, const struct stat& info,
                           const std::string& target) {
  struct stat existing {};
  if (::lstat(target.c_str(), &existing) == 0) {
    if (!S_ISDIR(existing.st_mode)) {
      return MakeError("cannot replace the file " + QuotePath(target) + " with the directory " +
                       QuotePath(source));
    }
  } else if (::mkdir(target.c_str(), 0700) != 0) {
    return SystemError("cannot create the directory", target);
  }
  Result<std::vector<std::string>> names = ListNames(source);
  if (!names) return MakeError(names.error());
  for (const std::string& name : *names) {
    if (Result<void> done =
            CopyEntry(JoinPath(source, name), JoinPath(target, name), SourceLink::Keep);
        !done)
      return done;
  }
  // Last, so that a read-only directory could still be filled.
  const timespec times[2] = {info.st_atim, info.st_mtim};
  if (::chmod(target.c_str(), info.st_mode & 0777) != 0 ||
      ::utimensat(AT_FDCWD, target.c_str(), times, 0) != 0)
    return SystemError("cannot set the attributes of", target);
  return {};
}

}  // namespace

Error SystemError(const std::string& what, const std::string& path) {
  const int error = errno;
  return MakeError(what + " " + QuotePath(path) + ": " + std::strerror(error));
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

std::string ParentPath(const std::string& path) {
  const std::string stripped = StripTrailingSlashes(path);
  const std::size_t slash = stripped.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return stripped.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::string stripped = StripTrailingSlashes(path);
  const std::size_t slash = stripped.rfind('/');
  return slash == std::string::npos ? stripped : stripped.substr(slash + 1);
}

Result<void> CopyEntry(const std::string& source, const std::string& target, SourceLink link) {
  if (Result<void> length = CheckPathLength(target); !length) return length;
  struct stat info {};
  const int got =
      link == SourceLink::Follow ? ::stat(source.c_str(), &info) : ::lstat(source.c_str(), &info);
  if (got != 0) return SystemError("cannot copy", source);
  if (S_ISDIR(info.st_mode)) return CopyDirectory(source, info, target);
  if (S_ISREG(info.st_mode)) return CopyFileContents(source, target);
  if (S_ISLNK(info.st_mode)) return CopyLink(source, target);
  return MakeError("cannot copy " + QuotePath(source) + ": not a file, directory or link");
}

Result<void> RemoveTree(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return SystemError("cannot remove", path);
  if (S_ISDIR(info.st_mode)) {
    Result<std::vector<std::string>> names = ListNames(path);
    if (!names) return MakeError(names.error());
    for (const std::string& name : *names) {
      if (Result<void> done = RemoveTree(JoinPath(path, name)); !done) return done;
    }
    if (::rmdir(path.c_str()) != 0) return SystemError("cannot remove", path);
    return {};
  }
  if (::unlink(path.c_str()) != 0) return SystemError("cannot remove", path);
  return {};
}

bool IsSameOrInside(const std::string& target, const std::string& source) {
  char* resolved_source = ::realpath(source.c_str(), nullptr);
  if (resolved_source == nullptr) return false;
  const std::string from = resolved_source;
  std::free(resolved_source);
  // The target need not exist yet: resolve its nearest existing ancestor.
  std::string existing = StripTrailingSlashes(target);
  std::string rest;
  for (;;) {
    if (char* resolved = ::realpath(existing.c_str(), nullptr)) {
      std::string to = std::string(resolved) + rest;
      std::free(resolved);
      return to == from || (to.size() > from.size() && to.compare(0, from.size(), from) == 0 &&
                            (from == "/" || to[from.size()] == '/'));
    }
    const std::string parent = ParentPath(existing);
    if (parent == existing) return false;
    rest = "/" + BaseName(existing) + rest;
    existing = parent;
  }
}

}  // namespace rv
