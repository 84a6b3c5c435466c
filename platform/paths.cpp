#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace rv::paths {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string HomeDirectory() {
  std::string home = Env("HOME");
  return home.empty() ? std::string("/tmp") : home;
}

}  // namespace

bool MakeDirectories(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  std::string partial;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    partial = path.substr(0, slash);
    if (!partial.empty()) {
      if (::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) return false;
    }
    start = slash + 1;
  }
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string DataDirectory() {
  std::string dir;
  if (std::string home = Env("RUNVANE_HOME"); !home.empty()) {
    dir = WithSlash(home) + "data/";
  } else if (std::string xdg = Env("XDG_DATA_HOME"); !xdg.empty()) {
    dir = WithSlash(xdg) + "runvane/";
  } else {
    dir = HomeDirectory() + "/.local/share/runvane/";
  }
  MakeDirectories(dir, 0700);
  return dir;
}

std::string RegistryDatabase() {
  std::string dir;
  if (std::string home = Env("RUNVANE_HOME"); !home.empty()) {
    dir = WithSlash(home);
  } else if (std::string xdg = Env("XDG_CONFIG_HOME"); !xdg.empty()) {
    dir = WithSlash(xdg) + "runvane/";
  } else {
    dir = HomeDirectory() + "/.config/runvane/";
  }
  MakeDirectories(dir, 0700);
  return dir + "registry.db";
}

std::string RuntimeDirectory() {
  std::string dir;
  if (std::string home = Env("RUNVANE_HOME"); !home.empty()) {
    dir = WithSlash(home) + "run/";
  } else if (std::string xdg = Env("XDG_RUNTIME_DIR"); !xdg.empty()) {
    dir = WithSlash(xdg) + "runvane/";
  } else {
    dir = "/tmp/runvane-" + std::to_string(::getuid()) + "/";
  }
  MakeDirectories(dir, 0700);
  ::chmod(dir.c_str(), 0700);
  return dir;
}

std::string ExecutableDirectory() {
  char buffer[4096];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace rv::paths
