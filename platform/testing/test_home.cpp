#include "platform/testing/test_home.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace rv::testing {
namespace {

std::string& HomeStorage() {
  static std::string home;
  return home;
}

}  // namespace

void InitTestHome() {
  // Short paths: a Unix socket path holds at most 107 bytes.
  char pattern[] = "/tmp/rvt-XXXXXX";
  char* made = ::mkdtemp(pattern);
  if (made == nullptr) throw std::runtime_error("cannot create the test home");
  std::string home = std::string(made) + "/";
  HomeStorage() = home;
  ::setenv("RUNVANE_HOME", made, 1);
  ::setenv("XDG_DATA_HOME", (home + "xdg-data").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home + "xdg-config").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (home + "xdg-run").c_str(), 1);
  ::mkdir((home + "xdg-run").c_str(), 0700);
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  ::unsetenv("PULSE_SERVER");
  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

void RemoveTestHome() {
  if (HomeStorage().empty() || std::getenv("RUNVANE_KEEP_TEST_HOME")) return;
  std::error_code ignored;
  std::filesystem::remove_all(HomeStorage(), ignored);
}

const std::string& TestHome() {
  return HomeStorage();
}

std::string MakeTempDir(const std::string& stem) {
  std::string pattern = TestHome() + stem + "-XXXXXX";
  std::string buffer = pattern;
  if (::mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return buffer + "/";
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BuildDir() {
  const char* dir = std::getenv("RUNVANE_TEST_BUILD_DIR");
  return std::string(dir ? dir : RUNVANE_BUILD_DIR) + "/";
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) {
    had_old_ = true;
    old_ = old;
  }
  if (value) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (had_old_) {
    ::setenv(name_.c_str(), old_.c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

}  // namespace rv::testing
