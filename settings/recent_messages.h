#pragma once

// The launcher's last status messages, oldest first. A message is added
// after dropping the oldest line only once more than 50 lines are held, so
// the window keeps 51.

#include <deque>
#include <string>

namespace rv {

class RecentMessages {
 public:
  static constexpr size_t kDropAbove = 50;

  void AddMessage(const std::string& text);
  void Clear() { lines_.clear(); }
  const std::deque<std::string>& Lines() const { return lines_; }
  // Every line ended by CR LF, as Save As writes it.
  std::string Text() const;

 private:
  std::deque<std::string> lines_;
};

}  // namespace rv
