#include "platform/fake_dde_client.h"

#include "platform/dde_wire.h"

namespace rv::dde {

std::string FakeClient::Key(const std::string& service, const std::string& topic) {
  Result<std::string> name = SocketFileName(service, topic);
  return name ? *name : std::string();
}

void FakeClient::SetRunning(const std::string& service, const std::string& topic, bool running) {
  std::lock_guard lock(mutex_);
  services_[Key(service, topic)].running = running;
}

void FakeClient::SetHandler(const std::string& service, const std::string& topic, Handler handler) {
  std::lock_guard lock(mutex_);
  Service& entry = services_[Key(service, topic)];
  entry.running = true;
  entry.handler = std::move(handler);
}

Result<void> FakeClient::Execute(const Command& command) {
  const std::string description = DescribeService(command.service, command.topic);
  Handler handler;
  {
    std::lock_guard lock(mutex_);
    Service& entry = services_[Key(command.service, command.topic)];
    if (!entry.running && !command.service_application.empty()) {
      started_.push_back(command.service_application);
      entry.running = true;
    }
    if (!entry.running) return MakeError("no DDE server answers for " + description);
    commands_.push_back(command);
    handler = entry.handler;
  }
  // Outside the lock: a handler may send commands of its own.
  bool accepted = handler ? handler(command.text) : true;
  if (command.wait == Wait::Yes && !accepted) {
    return MakeError("the DDE server for " + description + " did not accept the command");
  }
  return {};
}

bool FakeClient::IsServiceRunning(const std::string& service, const std::string& topic) {
  std::lock_guard lock(mutex_);
  auto found = services_.find(Key(service, topic));
  return found != services_.end() && found->second.running;
}

std::vector<Command> FakeClient::commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

std::vector<std::string> FakeClient::started_programs() const {
  std::lock_guard lock(mutex_);
  return started_;
}

}  // namespace rv::dde
