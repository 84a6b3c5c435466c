#pragma once

// Checks a user's log-in credentials: whether the user could log on with
// this password. Nothing is kept of the log-on afterwards, and the password
// is never written anywhere.

#include <string>

#include "platform/result.h"

namespace rv {

class LogonCheck {
 public:
  virtual ~LogonCheck() = default;

  // true: the credentials are good; false: refused. An error when the check
  // itself could not be made (no authentication service).
  virtual Result<bool> Check(const std::string& user, const std::string& password) = 0;
};

}  // namespace rv
