#pragma once

// The log-in check through PAM: authentication and account check of the
// first service of the list that has a configuration file in one of the
// configuration directories ("runvane", falling back to "login").

#include <string>
#include <vector>

#include "platform/logon_check.h"

namespace rv {

class PamLogonCheck final : public LogonCheck {
 public:
  PamLogonCheck(std::vector<std::string> services = {"runvane", "login"},
                std::vector<std::string> config_directories = {"/etc/pam.d", "/usr/lib/pam.d"});

  Result<bool> Check(const std::string& user, const std::string& password) override;

  // The service Check uses; empty when none of them is configured.
  std::string Service() const;

 private:
  std::vector<std::string> services_;
  std::vector<std::string> config_directories_;
};

}  // namespace rv
