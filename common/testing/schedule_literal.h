#pragma once

// The schedule advances exactly as the step rule states them, one pass per
// missed step with a fresh read of the clock in every fixed-length test. The
// fast implementation must give the same moment to the bit; tests and
// benchmarks compare the two.

#include "common/date_time.h"
#include "common/schedule.h"

namespace rv::testing {

inline TDateTime LiteralNextLaunch(TDateTime base, int32_t code, int32_t interval,
                                   const Clock& clock) {
  if (interval < 1) interval = 1;
  if (schedule::IsFixedLengthUnit(code)) {
    TDateTime launch = base;
    while (clock.Now() >= launch)
      launch = schedule::FixedStep(launch, code, interval);
    return launch;
  }
  if (schedule::IsCalendarMonthUnit(code)) {
    const int32_t months = schedule::MonthsPerStep(code, interval);
    TDateTime launch = IncMonth(base, months);
    while (launch <= clock.Now())
      launch = IncMonth(launch, months);
    return launch;
  }
  if (code == 4 || code == 5) {
    const TDateTime now = clock.Now();
    auto cycle = [&](TDateTime moment) {
      for (int32_t i = 0; i < interval; ++i) {
        if (code == 4) {
          moment += 1;
          if (DayOfWeek(moment) == 7) moment += 2;
          if (DayOfWeek(moment) == 1) moment += 1;
        } else {
          do {
            moment += 1;
          } while (DayOfWeek(moment) != 7 && DayOfWeek(moment) != 1);
        }
      }
      return moment;
    };
    TDateTime launch = cycle(base);
    while (launch <= now)
      launch = cycle(launch);
    return launch;
  }
  return base;
}

}  // namespace rv::testing
