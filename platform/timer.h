#pragma once

// A repeating timer of the program's main thread: every interval, while it is
// enabled, its callback runs on the main thread. The GUI programs use
// QtTimer (platform/qt/qt_timer.h); tests fire ManualTimer by hand.

#include <chrono>
#include <functional>

namespace rv {

class Timer {
 public:
  virtual ~Timer() = default;

  // A change takes effect from the next start; an enabled timer restarts.
  virtual void SetInterval(std::chrono::milliseconds interval) = 0;
  virtual std::chrono::milliseconds Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetCallback(std::function<void()> callback) = 0;
};

}  // namespace rv
