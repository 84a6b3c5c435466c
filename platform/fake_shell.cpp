#include "platform/fake_shell.h"

namespace rv {

Result<void> FakeShell::Open(const std::string& file, const std::string& parameters,
                             const std::string& directory, WindowState state) {
  return Record({"open", file, parameters, directory, state});
}

Result<void> FakeShell::Print(const std::string& file) {
  return Record({"print", file, "", "", std::nullopt});
}

void FakeShell::FailWith(std::string error) {
  std::lock_guard lock(mutex_);
  error_ = std::move(error);
}

std::vector<FakeShell::Request> FakeShell::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

Result<void> FakeShell::Record(Request request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
  if (!error_.empty()) return MakeError(error_);
  return {};
}

}  // namespace rv
