#include "platform/freedesktop_trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/file_tree.h"
#include "platform/path_limits.h"
#include "platform/paths.h"

namespace rv {
namespace {

// Cuts a name to at most `bytes` without splitting a UTF-8 character.
std::string CutName(const std::string& name, std::size_t bytes) {
  if (name.size() <= bytes) return name;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
    --end;
  return name.substr(0, end);
}

// The name in the trash: the entry's own for the first try, then
// "stem.N.ext". The info file adds ".trashinfo" to it, so the name is kept
// short enough for that to fit one file name.
std::string TrashName(const std::string& name, int attempt) {
  constexpr std::size_t kInfoSuffix = sizeof(".trashinfo") - 1;
  const std::string number = attempt == 1 ? "" : "." + std::to_string(attempt);
  const std::size_t dot = name.rfind('.');
  const bool has_extension = dot != std::string::npos && dot > 0;
  const std::string stem = has_extension ? name.substr(0, dot) : name;
  const std::string extension = has_extension ? name.substr(dot) : "";
  const std::size_t room = kMaxNameBytes - kInfoSuffix - number.size();
  if (extension.size() >= room) return CutName(name, room) + number;
  return CutName(stem, room - extension.size()) + number + extension;
}

std::string LocalTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

Result<void> WriteAll(int fd, const std::string& text, const std::string& path) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return SystemError("cannot write", path);
    done += static_cast<std::size_t>(put);
  }
  return {};
}

}  // namespace

std::string EncodeTrashPath(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return encoded;
}

FreedesktopTrash::FreedesktopTrash(std::string trash_directory)
    : trash_directory_(std::move(trash_directory)) {}

std::string FreedesktopTrash::Directory() const {
  if (!trash_directory_.empty()) return trash_directory_;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return JoinPath(xdg, "Trash");
  const char* home = std::getenv("HOME");
  return JoinPath(home ? home : "/tmp", ".local/share/Trash");
}

Result<void> FreedesktopTrash::MoveToTrash(const std::string& path) {
  if (path.empty()) return MakeError("no file given");
  if (Result<void> length = CheckPathLength(path); !length) return length;
  const std::string name = BaseName(path);
  if (name.empty() || name == "." || name == ".." || name == "/")
    return MakeError("cannot move " + QuotePath(path) + " to the trash");
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return SystemError("cannot move to the trash", path);

  // Path= is absolute; the parent is resolved, the entry itself is not (it
  // may be a link, which is what goes to the trash).
  char* parent = ::realpath(ParentPath(path).c_str(), nullptr);
  if (parent == nullptr) return SystemError("cannot move to the trash", path);
  const std::string original = JoinPath(parent, name);
  std::free(parent);

  const std::string trash = Directory();
  const std::string files = JoinPath(trash, "files");
  const std::string infos = JoinPath(trash, "info");
  if (IsSameOrInside(original, trash))
    return MakeError("cannot move " + QuotePath(path) + " to the trash: it is in the trash");
  if (IsSameOrInside(trash, original))
    return MakeError("cannot move " + QuotePath(path) + " to the trash: it holds the trash");
  for (const std::string& dir : {files, infos}) {
    if (!paths::MakeDirectories(dir, 0700))
      return SystemError("cannot create the trash directory", dir);
  }

  std::string trashed;
  std::string info_path;
  for (int attempt = 1;; ++attempt) {
    if (attempt > 10000)
      return MakeError("cannot find a free name in the trash for " + QuotePath(path));
    const std::string candidate = TrashName(name, attempt);
    trashed = JoinPath(files, candidate);
    info_path = JoinPath(infos, candidate + ".trashinfo");
    if (Result<void> length = CheckPathLength(info_path); !length) return length;
    struct stat taken {};
    if (::lstat(trashed.c_str(), &taken) == 0) continue;
    // Exclusive creation reserves the name against another deleting process.
    const int fd = ::open(info_path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return SystemError("cannot write", info_path);
    const std::string record = "[Trash Info]\nPath=" + EncodeTrashPath(original) +
                               "\nDeletionDate=" + LocalTimestamp() + "\n";
    Result<void> written = WriteAll(fd, record, info_path);
    if (::close(fd) != 0 && written) written = SystemError("cannot write", info_path);
    if (!written) {
      ::unlink(info_path.c_str());
      return written;
    }
    break;
  }

  if (::rename(path.c_str(), trashed.c_str()) == 0) return {};
  if (errno != EXDEV) {
    Error error = SystemError("cannot move to the trash", path);
    ::unlink(info_path.c_str());
    return error;
  }
  // Another file system: the original goes only once the trash holds a
  // whole copy.
  if (Result<void> copied = CopyEntry(path, trashed, SourceLink::Keep); !copied) {
    struct stat partial {};
    if (::lstat(trashed.c_str(), &partial) == 0) (void)RemoveTree(trashed);
    ::unlink(info_path.c_str());
    return copied;
  }
  if (Result<void> removed = RemoveTree(path); !removed) {
    return MakeError("copied " + QuotePath(path) +
                     " to the trash but could not remove all of it: " + removed.error());
  }
  return {};
}

}  // namespace rv
