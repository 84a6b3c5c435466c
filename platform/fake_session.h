#pragma once

// A session for tests: records each request and answers as told; nothing
// reaches the system.

#include <string>
#include <vector>

#include "platform/session.h"

namespace rv {

class FakeSession final : public Session {
 public:
  Result<void> Reboot() override { return Record("reboot"); }
  Result<void> PowerOff() override { return Record("poweroff"); }
  Result<void> LogOff() override { return Record("logoff"); }

  std::vector<std::string> requests;
  // Set to make every request fail, as when systemctl is missing.
  std::string refusal;

 private:
  Result<void> Record(const char* what) {
    requests.push_back(what);
    if (!refusal.empty()) return MakeError(refusal);
    return {};
  }
};

}  // namespace rv
