#pragma once

// Every read of "now" goes through a Clock, so tests can fix the time.

#include <atomic>

#include "common/date_time.h"

namespace rv {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time, with milliseconds.
  virtual TDateTime Now() const = 0;
};

// The system's wall clock in the local time zone. Stateless, so one shared
// instance serves the whole process.
class SystemClock final : public Clock {
 public:
  static const SystemClock& Instance();
  TDateTime Now() const override;
};

// A clock that only moves when told; safe to read from several threads.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(TDateTime start = 0) : now_(start) {}
  TDateTime Now() const override { return now_.load(); }
  void Set(TDateTime moment) { now_.store(moment); }
  void AdvanceMilliseconds(int64_t milliseconds);

 private:
  std::atomic<TDateTime> now_;
};

}  // namespace rv
