#include "platform/qt/qt_timer.h"

namespace rv {

QtTimer::QtTimer() {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (callback_) callback_();
  });
}

void QtTimer::SetInterval(std::chrono::milliseconds interval) {
  timer_.setInterval(interval);
}

std::chrono::milliseconds QtTimer::Interval() const {
  return timer_.intervalAsDuration();
}

void QtTimer::SetEnabled(bool enabled) {
  // Enabling a running timer does not restart its interval.
  if (enabled) {
    if (!timer_.isActive()) timer_.start();
  } else {
    timer_.stop();
  }
}

bool QtTimer::Enabled() const {
  return timer_.isActive();
}

void QtTimer::SetCallback(std::function<void()> callback) {
  callback_ = std::move(callback);
}

}  // namespace rv
