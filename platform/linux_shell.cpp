#include "platform/linux_shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/detached_process.h"
#include "platform/path_limits.h"
#include "platform/shell_words.h"

namespace rv {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// "scheme:" of at least two characters, so a URL such as "https://..." or
// "mailto:..." goes to the desktop even though no such file exists.
bool LooksLikeUrl(const std::string& text) {
  std::size_t i = 0;
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '+' ||
                             text[i] == '-' || text[i] == '.'))
    ++i;
  return i >= 2 && i < text.size() && text[i] == ':';
}

// The started program's working directory may differ from ours, so the file
// it is handed must not depend on ours.
std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char* cwd = ::getcwd(nullptr, 0);
  if (cwd == nullptr) return path;
  std::string absolute = std::string(cwd) + "/" + path;
  std::free(cwd);
  return absolute;
}

Result<void> StartWithDesktop(const std::string& target, const std::string& directory,
                              const LinuxShell::WindowStateRequest& on_started, WindowState state) {
  const std::string opener = FindInPath("xdg-open");
  if (opener.empty())
    return MakeError("cannot open \"" + target + "\": xdg-open is not installed (xdg-utils)");
  Result<int> pid = StartDetached({opener, {"xdg-open", target}, directory, false});
  if (!pid) return MakeError(pid.error());
  if (on_started) on_started(*pid, state);
  return {};
}

}  // namespace

std::string FindInPath(const std::string& name) {
  const char* env = std::getenv("PATH");
  const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t colon = path.find(':', start);
    if (colon == std::string::npos) colon = path.size();
    // An empty entry is the current directory.
    const std::string dir = colon > start ? path.substr(start, colon - start) : std::string(".");
    const std::string candidate = dir + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    start = colon + 1;
  }
  return {};
}

LinuxShell::LinuxShell(WindowStateRequest on_started) : on_started_(std::move(on_started)) {}

Result<void> LinuxShell::Open(const std::string& file, const std::string& parameters,
                              const std::string& directory, WindowState state) {
  if (file.empty()) return MakeError("no program or document given");
  if (Result<void> length = CheckPathLength(file); !length) return length;
  if (Result<void> length = CheckPathLength(directory); !length) return length;

  std::string path = file;
  if (file.find('/') == std::string::npos) {
    if (std::string found = FindInPath(file); !found.empty()) path = found;
  }
  const std::string working = IsDirectory(directory) ? directory : std::string();

  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    const int error = errno;
    if (LooksLikeUrl(file)) return StartWithDesktop(file, working, on_started_, state);
    return MakeError("cannot open \"" + file + "\": " + std::strerror(error));
  }
  if (S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0) {
    Result<std::vector<std::string>> words = SplitShellWords(parameters);
    if (!words) return MakeError("cannot start \"" + file + "\": " + words.error());
    std::vector<std::string> argv{file};
    argv.insert(argv.end(), words->begin(), words->end());
    Result<int> pid = StartDetached({Absolute(path), std::move(argv), working, false});
    if (!pid) return MakeError(pid.error());
    if (on_started_) on_started_(*pid, state);
    return {};
  }
  return StartWithDesktop(Absolute(path), working, on_started_, state);
}

Result<void> LinuxShell::Print(const std::string& file) {
  if (file.empty()) return MakeError("no document given");
  if (Result<void> length = CheckPathLength(file); !length) return length;
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0)
    return MakeError("cannot print \"" + file + "\": " + std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return MakeError("cannot print \"" + file + "\": not a file");
  const std::string lp = FindInPath("lp");
  if (lp.empty())
    return MakeError("cannot print \"" + file + "\": lp is not installed (cups-client)");
  // lp tells the request id on standard output; nobody reads it here.
  Result<int> pid = StartDetached({lp, {"lp", "--", Absolute(file)}, {}, true});
  if (!pid) return MakeError(pid.error());
  return {};
}

}  // namespace rv
