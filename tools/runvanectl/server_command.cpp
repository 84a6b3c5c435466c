#include <dlfcn.h>

#include <filesystem>

#include "automation/class_factory.h"
#include "platform/paths.h"
#include "tools/runvanectl/command.h"

namespace rv::ctl {

int ServerCommand(const std::string& command, const Arguments& args, Streams io) {
  if (args.size() > 1) {
    io.err << "usage: runvanectl " << command << " [LIBRARY]\n";
    return 2;
  }
  std::string library = args.empty() ? paths::ExecutableDirectory() + "librvole.so" : args[0];
  std::error_code ec;
  // The registration records the full path, so a relative one is made absolute.
  std::filesystem::path absolute = std::filesystem::absolute(library, ec);
  if (!ec) library = absolute.string();
  if (!std::filesystem::exists(library, ec)) {
    io.err << "runvanectl: " << library
           << " does not exist; name the automation server library: runvanectl " << command
           << " PATH/librvole.so\n";
    return 1;
  }
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    io.err << "runvanectl: cannot load " << library << ": " << dlerror() << "\n";
    return 1;
  }
  const char* entry = command == "register" ? "DllRegisterServer" : "DllUnregisterServer";
  auto call = reinterpret_cast<DllRegisterServerFn>(dlsym(handle, entry));
  if (!call) {
    io.err << "runvanectl: " << library << " has no " << entry << "\n";
    dlclose(handle);
    return 1;
  }
  const HRESULT hr = call();
  dlclose(handle);
  if (Failed(hr)) {
    io.err << "runvanectl: " << entry << " of " << library << " failed\n";
    return 1;
  }
  io.out << (command == "register" ? "registered " : "unregistered ") << library << "\n";
  return 0;
}

}  // namespace rv::ctl
