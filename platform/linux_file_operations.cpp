#include "platform/linux_file_operations.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_tree.h"
#include "platform/path_limits.h"
#include "platform/paths.h"
#include "platform/wildcard.h"

namespace rv {
namespace {

enum class Transfer { Copy, Move };

const char* Verb(Transfer transfer) {
  return transfer == Transfer::Copy ? "copy" : "move";
}

bool Exists(const std::string& path, struct stat* info = nullptr) {
  struct stat local {};
  return ::lstat(path.c_str(), info ? info : &local) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Result<void> CheckGiven(const char* what, const std::string& path) {
  if (path.empty()) return MakeError(std::string("no ") + what + " given");
  return CheckPathLength(path);
}

// The entries a source names: the one path, or every name in its directory
// that its last name matches as a pattern, sorted so runs are repeatable.
struct Sources {
  std::vector<std::string> paths;
  bool pattern = false;
};

Result<Sources> ExpandSource(const std::string& source) {
  Sources sources;
  const std::size_t slash = source.rfind('/');
  const std::string last = slash == std::string::npos ? source : source.substr(slash + 1);
  if (!HasWildcards(last)) {
    if (!Exists(source)) return SystemError("cannot find", source);
    sources.paths.push_back(source);
    return sources;
  }
  sources.pattern = true;
  const std::string directory = slash == std::string::npos ? "." : source.substr(0, slash + 1);
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return SystemError("cannot read the directory", directory);
  std::vector<std::string> names;
  errno = 0;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != ".." && MatchesWildcard(last, name)) names.push_back(name);
  }
  const int error = errno;
  ::closedir(dir);
  if (error != 0) {
    errno = error;
    return SystemError("cannot read the directory", directory);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    sources.paths.push_back(slash == std::string::npos ? name : directory + name);
  return sources;
}

Result<void> MakeParents(const std::string& directory) {
  if (IsDirectory(directory)) return {};
  if (!paths::MakeDirectories(directory))
    return SystemError("cannot create the directory", directory);
  return {};
}

Result<void> MoveEntry(const std::string& source, const std::string& target);

// Both are directories and the target is not empty: move the contents in
// one by one, then drop the emptied source.
Result<void> MergeDirectory(const std::string& source, const std::string& target) {
  Result<Sources> children = ExpandSource(JoinPath(source, "*"));
  if (!children) return MakeError(children.error());
  for (const std::string& child : children->paths) {
    if (Result<void> moved = MoveEntry(child, JoinPath(target, BaseName(child))); !moved)
      return moved;
  }
  if (::rmdir(source.c_str()) != 0) return SystemError("cannot remove", source);
  return {};
}

Result<void> MoveEntry(const std::string& source, const std::string& target) {
  if (Result<void> length = CheckPathLength(target); !length) return length;
  struct stat from {};
  if (::lstat(source.c_str(), &from) != 0) return SystemError("cannot move", source);
  struct stat to {};
  const bool target_exists = ::lstat(target.c_str(), &to) == 0;
  if (target_exists && from.st_dev == to.st_dev && from.st_ino == to.st_ino) {
    if (source == target) return {};
    return MakeError(QuotePath(source) + " and " + QuotePath(target) + " are the same file");
  }
  if (S_ISDIR(from.st_mode) && IsSameOrInside(target, source)) {
    return MakeError("cannot move the directory " + QuotePath(source) + " into itself (" +
                     QuotePath(target) + ")");
  }
  if (target_exists && S_ISDIR(to.st_mode) && !S_ISDIR(from.st_mode)) {
    return MakeError("cannot replace the directory " + QuotePath(target) + " with " +
                     QuotePath(source));
  }
  if (target_exists && !S_ISDIR(to.st_mode) && S_ISDIR(from.st_mode)) {
    return MakeError("cannot replace the file " + QuotePath(target) + " with the directory " +
                     QuotePath(source));
  }
  if (::rename(source.c_str(), target.c_str()) == 0) return {};
  const int error = errno;
  if ((error == ENOTEMPTY || error == EEXIST) && S_ISDIR(from.st_mode))
    return MergeDirectory(source, target);
  if (error == EXDEV) {
    // Another file system: the source goes only once its copy is whole.
    if (Result<void> copied = CopyEntry(source, target, SourceLink::Keep); !copied) return copied;
    return RemoveTree(source);
  }
  errno = error;
  return SystemError("cannot move " + QuotePath(source) + " to", target);
}

Result<void> TransferOne(Transfer transfer, const std::string& source, const std::string& target) {
  if (transfer == Transfer::Move) return MoveEntry(source, target);
  if (IsDirectory(source) && IsSameOrInside(target, source)) {
    return MakeError("cannot copy the directory " + QuotePath(source) + " into itself (" +
                     QuotePath(target) + ")");
  }
  return CopyEntry(source, target, SourceLink::Follow);
}

Result<void> TransferAll(Transfer transfer, const std::string& source,
                         const std::string& destination) {
  if (Result<void> ok = CheckGiven("source", source); !ok) return ok;
  if (Result<void> ok = CheckGiven("destination", destination); !ok) return ok;
  Result<Sources> sources = ExpandSource(source);
  if (!sources) return MakeError(sources.error());

  const bool into_directory =
      sources->pattern || destination.back() == '/' || IsDirectory(destination);
  if (into_directory) {
    if (sources->paths.empty()) return {};
    struct stat info {};
    if (Exists(destination, &info) && !IsDirectory(destination)) {
      return MakeError("cannot " + std::string(Verb(transfer)) + " into " + QuotePath(destination) +
                       ": it is a file, not a directory");
    }
    if (Result<void> made = MakeParents(destination); !made) return made;
    for (const std::string& path : sources->paths) {
      if (Result<void> done = TransferOne(transfer, path, JoinPath(destination, BaseName(path)));
          !done)
        return done;
    }
    return {};
  }
  if (Result<void> made = MakeParents(ParentPath(destination)); !made) return made;
  return TransferOne(transfer, sources->paths.front(), destination);
}

}  // namespace

Result<void> LinuxFileOperations::Copy(const std::string& source, const std::string& destination) {
  return TransferAll(Transfer::Copy, source, destination);
}

Result<void> LinuxFileOperations::Move(const std::string& source, const std::string& destination) {
  return TransferAll(Transfer::Move, source, destination);
}

Result<void> LinuxFileOperations::Delete(const std::string& source, Trash& trash) {
  if (Result<void> ok = CheckGiven("file", source); !ok) return ok;
  Result<Sources> sources = ExpandSource(source);
  if (!sources) return MakeError(sources.error());
  for (const std::string& path : sources->paths) {
    if (Result<void> done = trash.MoveToTrash(path); !done) return done;
  }
  return {};
}

Result<void> LinuxFileOperations::Rename(const std::string& from, const std::string& to) {
  if (Result<void> ok = CheckGiven("old name", from); !ok) return ok;
  if (Result<void> ok = CheckGiven("new name", to); !ok) return ok;
  struct stat info {};
  if (::lstat(from.c_str(), &info) != 0) return SystemError("cannot rename", from);
  auto exists_error = [&] {
    return MakeError("cannot rename " + QuotePath(from) + ": " + QuotePath(to) + " exists already");
  };
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  int error = errno;
  if (error == EEXIST) return exists_error();
  if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
    // The file system cannot refuse a replacement by itself. For a file a
    // hard link refuses it atomically; for the rest the check comes first.
    if (!S_ISDIR(info.st_mode) && ::link(from.c_str(), to.c_str()) == 0) {
      if (::unlink(from.c_str()) != 0) return SystemError("cannot remove the old name", from);
      return {};
    }
    if (errno == EEXIST || Exists(to)) return exists_error();
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    error = errno;
  }
  if (error == EXDEV && S_ISREG(info.st_mode)) {
    // A file may move to another file system: copy it to a free name
    // there, and take the new name with a hard link, which cannot replace.
    if (Exists(to)) return exists_error();
    std::string temporary = JoinPath(ParentPath(to), ".rv-rename-XXXXXX");
    if (Result<void> length = CheckPathLength(temporary); !length) return length;
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return SystemError("cannot create a file in", ParentPath(to));
    ::close(fd);
    if (Result<void> copied = CopyEntry(from, temporary, SourceLink::Keep); !copied) {
      ::unlink(temporary.c_str());
      return copied;
    }
    const bool linked = ::link(temporary.c_str(), to.c_str()) == 0;
    const int link_error = errno;
    ::unlink(temporary.c_str());
    if (!linked) {
      if (link_error == EEXIST) return exists_error();
      errno = link_error;
      return SystemError("cannot rename " + QuotePath(from) + " to", to);
    }
    if (::unlink(from.c_str()) != 0) return SystemError("cannot remove the old name", from);
    return {};
  }
  errno = error;
  return SystemError("cannot rename " + QuotePath(from) + " to", to);
}

Result<void> LinuxFileOperations::MakeDirectory(const std::string& path) {
  if (Result<void> ok = CheckGiven("directory", path); !ok) return ok;
  if (::mkdir(path.c_str(), 0777) == 0) return {};
  if (errno == ENOENT) {
    return MakeError("cannot create the directory " + QuotePath(path) + ": its parent " +
                     QuotePath(ParentPath(path)) + " does not exist");
  }
  if (errno == EEXIST) return MakeError("cannot create " + QuotePath(path) + ": it exists already");
  return SystemError("cannot create the directory", path);
}

Result<void> LinuxFileOperations::RemoveDirectory(const std::string& path) {
  if (Result<void> ok = CheckGiven("directory", path); !ok) return ok;
  if (::rmdir(path.c_str()) == 0) return {};
  if (errno == ENOTEMPTY || errno == EEXIST)
    return MakeError("cannot remove the directory " + QuotePath(path) + ": it is not empty");
  return SystemError("cannot remove the directory", path);
}

Result<void> LinuxFileOperations::ChangeDirectory(const std::string& path) {
  if (Result<void> ok = CheckGiven("directory", path); !ok) return ok;
  if (::chdir(path.c_str()) != 0) return SystemError("cannot change to the directory", path);
  return {};
}

}  // namespace rv
