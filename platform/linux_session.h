#pragma once

// The session requests through systemctl and loginctl, started detached so a
// request that logind keeps waiting (for an inhibitor, a polkit question)
// never holds up the caller. Never used by tests: they use FakeSession.

#include "platform/session.h"

namespace rv {

class LinuxSession final : public Session {
 public:
  Result<void> Reboot() override;
  Result<void> PowerOff() override;
  Result<void> LogOff() override;
};

}  // namespace rv
