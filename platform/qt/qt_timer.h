#pragma once

// The Timer interface on a QTimer of the main thread.

#include <QTimer>
#include <chrono>
#include <functional>

#include "platform/timer.h"

namespace rv {

class QtTimer final : public Timer {
 public:
  QtTimer();
  void SetInterval(std::chrono::milliseconds interval) override;
  std::chrono::milliseconds Interval() const override;
  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void SetCallback(std::function<void()> callback) override;

 private:
  QTimer timer_;
  std::function<void()> callback_;
};

}  // namespace rv
