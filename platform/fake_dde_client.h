#pragma once

// A DDE client for tests: services "run" when the test says so, every
// command that reaches one is recorded, and a test may give a service a
// handler that decides whether it accepts. A command with a service
// application to a service that does not run "starts" it.

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/dde_client.h"

namespace rv::dde {

class FakeClient final : public Client {
 public:
  using Handler = std::function<bool(const std::string& text)>;

  void SetRunning(const std::string& service, const std::string& topic, bool running);
  // Also marks the service running.
  void SetHandler(const std::string& service, const std::string& topic, Handler handler);

  using Client::Execute;
  Result<void> Execute(const Command& command) override;
  bool IsServiceRunning(const std::string& service, const std::string& topic) override;

  // Commands that reached a running service, in order.
  std::vector<Command> commands() const;
  std::vector<std::string> started_programs() const;

 private:
  struct Service {
    bool running = false;
    Handler handler;
  };
  static std::string Key(const std::string& service, const std::string& topic);

  mutable std::mutex mutex_;
  std::map<std::string, Service> services_;
  std::vector<Command> commands_;
  std::vector<std::string> started_;
};

}  // namespace rv::dde
