#pragma once

// Dial-up networking on NetworkManager, through its command-line client
// nmcli: connection profiles are the named entries, a connection's UUID is
// its handle. Without NetworkManager every call fails and says so.

#include <chrono>
#include <string>

#include "platform/network/dial_up.h"

namespace rv {

class NmcliDialUp : public DialUp {
 public:
  // `program` is the nmcli to run (looked up in PATH without a slash).
  explicit NmcliDialUp(std::string program = "nmcli",
                       std::chrono::seconds limit = std::chrono::seconds(120));

  Result<std::vector<std::string>> ListConnections() override;
  Result<std::vector<ActiveConnection>> ActiveConnections() override;
  Result<void> Connect(const std::string& name) override;
  Result<void> Disconnect(const std::string& handle) override;

 private:
  Result<std::string> Run(std::vector<std::string> args);

  std::string program_;
  std::chrono::seconds limit_;
};

// The fields of one line of nmcli's terse output ("a\:b:c" is "a:b", "c").
std::vector<std::string> SplitTerseLine(const std::string& line);

}  // namespace rv
