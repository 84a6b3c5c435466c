#include "common/clock.h"

#include <time.h>

namespace rv {

const SystemClock& SystemClock::Instance() {
  static const SystemClock clock;
  return clock;
}

TDateTime SystemClock::Now() const {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  ::localtime_r(&now.tv_sec, &local);
  CivilDateTime moment;
  moment.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  // A leap second (tm_sec 60) is folded into the last regular second.
  moment.time = {local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                 static_cast<int>(now.tv_nsec / 1'000'000)};
  return EncodeDateTime(moment);
}

void ManualClock::AdvanceMilliseconds(int64_t milliseconds) {
  now_.store(FromMilliseconds(ToMilliseconds(now_.load()) + milliseconds));
}

}  // namespace rv
