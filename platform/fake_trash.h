#pragma once

// A trash for tests: records the paths it is given and touches nothing.

#include <mutex>
#include <string>
#include <vector>

#include "platform/trash.h"

namespace rv {

class FakeTrash final : public Trash {
 public:
  Result<void> MoveToTrash(const std::string& path) override {
    std::lock_guard lock(mutex_);
    paths_.push_back(path);
    if (!error_.empty()) return MakeError(error_);
    return {};
  }
  void FailWith(std::string error) {
    std::lock_guard lock(mutex_);
    error_ = std::move(error);
  }
  std::vector<std::string> paths() const {
    std::lock_guard lock(mutex_);
    return paths_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> paths_;
  std::string error_;
};

}  // namespace rv
