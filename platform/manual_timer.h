#pragma once

// A timer that fires only when a test says so.

#include <chrono>
#include <functional>
#include <utility>

#include "platform/timer.h"

namespace rv {

class ManualTimer final : public Timer {
 public:
  void SetInterval(std::chrono::milliseconds interval) override { interval_ = interval; }
  std::chrono::milliseconds Interval() const override { return interval_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void SetCallback(std::function<void()> callback) override { callback_ = std::move(callback); }

  // Runs the callback as one tick would; false (and nothing runs) when the
  // timer is disabled.
  bool Fire() {
    if (!enabled_ || !callback_) return false;
    callback_();
    return true;
  }

 private:
  std::chrono::milliseconds interval_{0};
  bool enabled_ = false;
  std::function<void()> callback_;
};

}  // namespace rv
