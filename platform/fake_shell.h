#pragma once

// A shell for tests: records every request and starts nothing. A test may
// make the calls fail.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace rv {

class FakeShell final : public Shell {
 public:
  struct Request {
    std::string verb;  // "open" or "print"
    std::string file;
    std::string parameters;
    std::string directory;
    std::optional<WindowState> state;  // none for "print"
    bool operator==(const Request&) const = default;
  };

  Result<void> Open(const std::string& file, const std::string& parameters,
                    const std::string& directory, WindowState state) override;
  Result<void> Print(const std::string& file) override;

  // Every later call fails with this text; empty: they succeed.
  void FailWith(std::string error);
  std::vector<Request> requests() const;

 private:
  Result<void> Record(Request request);

  mutable std::mutex mutex_;
  std::vector<Request> requests_;
  std::string error_;
};

}  // namespace rv
