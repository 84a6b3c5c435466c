#pragma once

// TRVSystem, the automation object "RVOLE.RVSystem": window lookups on the
// desktop, dial-up connections with the last error kept for the script, the
// launcher's running tasks, and starting a task in the launcher by name.

#include <memory>
#include <string>

#include "automation/member_object.h"
#include "platform/dde_client.h"

namespace rv {

class Desktop;
class DialUp;
class Registry;

const InterfaceInfo& SystemInterface();

struct SystemServices {
  // Without a desktop the window lookups answer 0; without dial-up the RAS
  // members fail saying so.
  Desktop* desktop = nullptr;
  DialUp* dial_up = nullptr;
  std::shared_ptr<dde::Client> dde;
  // Where the launcher keeps its running set; null for the default store.
  Registry* store = nullptr;
};

class TRVSystem : public MemberObject {
 public:
  explicit TRVSystem(SystemServices services);

 protected:
  Result<Variant> Call(DISPID id, MemberKind kind, std::span<Variant> args) override;

 private:
  Result<std::vector<std::string>> RunningTasks();
  void RecordDialError(const std::string& message);
  int64_t FindContaining(const std::string& title, const std::string& window_class);

  SystemServices services_;
  int32_t last_error_code_ = 0;
  std::string last_error_text_;
};

}  // namespace rv
