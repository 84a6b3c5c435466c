#pragma once

// The user's desktop session and the computer's power state: restart, shut
// down, log off. Each call only asks the system (logind, which asks polkit
// whether this user may); a refusal happens later and out of sight, so
// success means the request went out, not that it was granted.

#include "platform/result.h"

namespace rv {

class Session {
 public:
  virtual ~Session() = default;

  // Restart and shut down close running applications without asking them.
  virtual Result<void> Reboot() = 0;
  virtual Result<void> PowerOff() = 0;
  // Ends the user's session; running applications are asked to close.
  virtual Result<void> LogOff() = 0;
};

}  // namespace rv
