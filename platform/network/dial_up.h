#pragma once

// Dial-up networking: the connections the system knows by name, which of
// them are up, and bringing one up or down. The editor lists the names, the
// INTERNET step dials and hangs up.

#include <string>
#include <vector>

#include "platform/result.h"

namespace rv {

struct ActiveConnection {
  std::string name;
  std::string handle;  // what Disconnect takes
};

class DialUp {
 public:
  virtual ~DialUp() = default;

  // The names of every known connection.
  virtual Result<std::vector<std::string>> ListConnections() = 0;
  // The connections that are up.
  virtual Result<std::vector<ActiveConnection>> ActiveConnections() = 0;
  // Brings up the connection of that name; fails for a name that is not known.
  virtual Result<void> Connect(const std::string& name) = 0;
  virtual Result<void> Disconnect(const std::string& handle) = 0;
};

}  // namespace rv
