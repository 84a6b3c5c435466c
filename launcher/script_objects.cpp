#include "launcher/script_objects.h"

#include <strings.h>

#include <filesystem>

#include "automation/action_object.h"
#include "automation/registered_object.h"
#include "automation/rvole/registration.h"
#include "automation/system_object.h"
#include "automation/task_object.h"
#include "platform/desktop/system_desktop.h"
#include "platform/network/nmcli_dial_up.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace rv {

namespace {
class InProcess final : public ScriptObjects {
 public:
  Result<ComPtr<IDispatch>> Create(const std::string& progid) override {
    if (strcasecmp(progid.c_str(), "RVOLE.Task") == 0) return ComPtr<IDispatch>(MakeCom<TTask>());
    if (strcasecmp(progid.c_str(), "RVOLE.RVAction") == 0) {
      return ComPtr<IDispatch>(MakeCom<TRVAction>());
    }
    if (strcasecmp(progid.c_str(), "RVOLE.RVSystem") == 0) {
      static NmcliDialUp dial_up;
      return ComPtr<IDispatch>(
          MakeCom<TRVSystem>(SystemServices{&SystemDesktop(), &dial_up, {}, {}}));
    }
    return MakeError("the automation class \"" + progid + "\" is not available");
  }
};

bool IsServerClass(const std::string& progid) {
  for (const ServerClass& c : ServerClasses()) {
    if (strcasecmp(progid.c_str(), c.progid) == 0) return true;
  }
  return false;
}

class Registered final : public ScriptObjects {
 public:
  Result<ComPtr<IDispatch>> Create(const std::string& progid) override {
    Result<std::unique_ptr<Registry>> store = Registry::OpenDefault();
    if (!store) {
      if (IsServerClass(progid)) return InProcessScriptObjects().Create(progid);
      return MakeError("cannot open the store: " + store.error());
    }
    Result<ComPtr<IDispatch>> made = CreateObjectByName(**store, progid);
    if (made || !IsServerClass(progid)) return made;
    // Missing or stale entries: register the server beside this program.
    const std::string library = paths::ExecutableDirectory() + "librvole.so";
    std::error_code ec;
    if (std::filesystem::exists(library, ec) && RegisterServer(**store, library)) {
      made = CreateObjectByName(**store, progid);
      if (made) return made;
    }
    return InProcessScriptObjects().Create(progid);
  }
};

}  // namespace

ScriptObjects& InProcessScriptObjects() {
  static InProcess objects;
  return objects;
}

ScriptObjects& RegisteredScriptObjects() {
  static Registered objects;
  return objects;
}

}  // namespace rv
