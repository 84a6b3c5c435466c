#pragma once

// TRVAction, the automation object "RVOLE.RVAction": each method builds the
// step line its step would have in a task and asks the running launcher to
// play it with "PLAYSTEPS: ". The launcher not running is not an error: the
// call succeeds and nothing happens. Only building the line can fail.

#include <memory>

#include "automation/member_object.h"
#include "platform/dde_client.h"

namespace rv {

const InterfaceInfo& ActionInterface();

class TRVAction : public MemberObject {
 public:
  // Without a client the object talks to the launcher over the sockets.
  explicit TRVAction(std::shared_ptr<dde::Client> client = nullptr);

  // The step line the method `id` builds from `args`.
  static Result<std::string> BuildLine(DISPID id, std::span<Variant> args);

 protected:
  Result<Variant> Call(DISPID id, MemberKind kind, std::span<Variant> args) override;

 private:
  std::shared_ptr<dde::Client> client_;
};

}  // namespace rv
