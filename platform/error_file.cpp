#include "platform/error_file.h"

#include <cxxabi.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace rv {
namespace {

std::string Demangled(const char* name) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> plain(
      abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
  return status == 0 && plain ? std::string(plain.get()) : std::string(name);
}

}  // namespace

std::string ExceptionText(std::exception_ptr error, const std::string& module) {
  std::string kind = "unknown";
  std::string message = "unknown error";
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& caught) {
    kind = Demangled(typeid(caught).name());
    message = caught.what();
  } catch (...) {
    if (const std::type_info* type = abi::__cxa_current_exception_type()) {
      kind = Demangled(type->name());
    }
  }
  return "Exception " + kind + " in module " + module + ": " + message + ".";
}

bool AppendToErrorFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // One line per exception, so the file stays readable.
  const std::string line = text + "\n";
  const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::close(fd);
  return written;
}

}  // namespace rv
