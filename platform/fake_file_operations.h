#pragma once

// File operations for tests: every call is recorded as one line ("copy a ->
// b", "delete x", "cd d") and touches nothing; a test may make them fail.

#include <mutex>
#include <string>
#include <vector>

#include "platform/file_operations.h"

namespace rv {

class FakeFileOperations final : public FileOperations {
 public:
  Result<void> Copy(const std::string& source, const std::string& destination) override {
    return Record("copy " + source + " -> " + destination);
  }
  Result<void> Move(const std::string& source, const std::string& destination) override {
    return Record("move " + source + " -> " + destination);
  }
  Result<void> Delete(const std::string& source, Trash&) override {
    return Record("delete " + source);
  }
  Result<void> Rename(const std::string& from, const std::string& to) override {
    return Record("rename " + from + " -> " + to);
  }
  Result<void> MakeDirectory(const std::string& path) override { return Record("mkdir " + path); }
  Result<void> RemoveDirectory(const std::string& path) override { return Record("rmdir " + path); }
  Result<void> ChangeDirectory(const std::string& path) override { return Record("cd " + path); }

  // Every later call fails with this text; empty: they succeed.
  void FailWith(std::string error) {
    std::lock_guard lock(mutex_);
    error_ = std::move(error);
  }
  std::vector<std::string> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  Result<void> Record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
    if (!error_.empty()) return MakeError(error_);
    return {};
  }

  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::string error_;
};

}  // namespace rv
