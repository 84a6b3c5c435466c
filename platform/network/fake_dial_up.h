#pragma once

// A dial-up service for tests: a list of known names, the set that is up,
// and a record of every call.

#include <algorithm>
#include <mutex>

#include "platform/network/dial_up.h"

namespace rv {

class FakeDialUp : public DialUp {
 public:
  Result<std::vector<std::string>> ListConnections() override {
    std::lock_guard lock(mutex_);
    calls.push_back("list");
    if (!failure.empty()) return MakeError(failure);
    return known;
  }
  Result<std::vector<ActiveConnection>> ActiveConnections() override {
    std::lock_guard lock(mutex_);
    calls.push_back("active");
    if (!failure.empty()) return MakeError(failure);
    return active;
  }
  Result<void> Connect(const std::string& name) override {
    std::lock_guard lock(mutex_);
    calls.push_back("connect " + name);
    if (!failure.empty()) return MakeError(failure);
    if (std::find(known.begin(), known.end(), name) == known.end())
      return MakeError("no connection named '" + name + "'");
    active.push_back({name, "handle-" + name});
    return {};
  }
  Result<void> Disconnect(const std::string& handle) override {
    std::lock_guard lock(mutex_);
    calls.push_back("disconnect " + handle);
    if (!failure.empty()) return MakeError(failure);
    std::erase_if(active, [&](const ActiveConnection& c) { return c.handle == handle; });
    return {};
  }

  std::vector<std::string> known;
  std::vector<ActiveConnection> active;
  std::string failure;  // when set, every call fails with it
  std::vector<std::string> calls;

 private:
  std::mutex mutex_;
};

}  // namespace rv
