#pragma once

// Schedule arithmetic: the next launch moment of a recurring task and the
// text that names a recurrence. The members live on RVTask (Reschedule,
// ApplyRescheduleRule, FrequencyString); this header exposes the pieces the
// tests and benchmarks compare against.

#include <cstdint>
#include <string>

#include "common/clock.h"
#include "common/date_time.h"

namespace rv::schedule {

// Next launch moment strictly after now for `unit_code` and `interval`,
// starting from `base`. Missed steps are jumped over arithmetically; the last
// steps follow the step-by-step rule, so the result is the same moment, to
// the bit, that stepping one unit at a time gives.
TDateTime NextLaunch(TDateTime base, int32_t unit_code, int32_t interval, const Clock& clock);

// One step of the fixed-length advance (seconds, minutes, hours, days, weeks,
// bi-weeks): milliseconds dropped, then one step length added; the minute
// units keep the seconds of the moment they started from.
TDateTime FixedStep(TDateTime moment, int32_t unit_code, int32_t interval);

// One cycle (interval steps) of weekday or weekend stepping.
TDateTime WeekdayCycle(TDateTime moment, int32_t interval);
TDateTime WeekendCycle(TDateTime moment, int32_t interval);

bool IsFixedLengthUnit(int32_t unit_code);
bool IsCalendarMonthUnit(int32_t unit_code);
// Months per step for the calendar units (months, quarters, years).
int32_t MonthsPerStep(int32_t unit_code, int32_t interval);

std::string FrequencyText(int32_t frequency, int32_t unit_code, int32_t interval);

}  // namespace rv::schedule
