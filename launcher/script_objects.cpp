#include "launcher/script_objects.h"

#include <strings.h>

#include "automation/action_object.h"
#include "automation/system_object.h"
#include "automation/task_object.h"
#include "platform/desktop/system_desktop.h"
#include "platform/network/nmcli_dial_up.h"

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
}  // namespace

ScriptObjects& InProcessScriptObjects() {
  static InProcess objects;
  return objects;
}

}  // namespace rv
