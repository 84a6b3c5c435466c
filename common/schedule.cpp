#include "common/schedule.h"

#include <algorithm>
#include <cmath>

#include "common/task.h"

namespace rv::schedule {
namespace {

// Unit lengths are differences of encoded times, as the step rule measures
// them, so that the arithmetic stays bit-identical with it.
double SecondLength() {
  return EncodeTime(1, 0, 1, 0) - EncodeTime(1, 0, 0, 0);
}
double MinuteLength() {
  return EncodeTime(1, 1, 0, 0) - EncodeTime(1, 0, 0, 0);
}

struct FixedUnit {
  double unit_days;
  int64_t unit_ms;
  int64_t steps_per_interval;
  bool minute_unit;
};

bool FixedUnitOf(int32_t code, FixedUnit& out) {
  switch (static_cast<IntervalUnit>(code)) {
    case IntervalUnit::Seconds:
      out = {SecondLength(), 1000, 1, false};
      return true;
    case IntervalUnit::Minutes:
      out = {MinuteLength(), 60'000, 1, true};
      return true;
    case IntervalUnit::Hours:
      out = {MinuteLength(), 60'000, 60, true};
      return true;
    case IntervalUnit::Days:
      out = {1.0, kMillisecondsPerDay, 1, false};
      return true;
    case IntervalUnit::Weeks:
      out = {1.0, kMillisecondsPerDay, 7, false};
      return true;
    case IntervalUnit::BiWeeks:
      out = {1.0, kMillisecondsPerDay, 14, false};
      return true;
    default:
      return false;
  }
}

TDateTime NextFixed(TDateTime base, int32_t code, int32_t interval, const Clock& clock) {
  FixedUnit unit{};
  FixedUnitOf(code, unit);
  TDateTime launch = base;
  const TDateTime now = clock.Now();
  if (now >= launch) {
    // Jump to one step before the last whole step that lies at least one
    // step length behind now; the step rule below does the rest.
    const int64_t step_ms = unit.unit_ms * unit.steps_per_interval * interval;
    const int64_t start_ms = ToMilliseconds(WithoutMilliseconds(base));
    const int64_t behind_ms = ToMilliseconds(now) - start_ms;
    if (behind_ms > 0) {
      const int64_t skip = behind_ms / step_ms - 1;
      if (skip >= 1) launch = FromMilliseconds(start_ms + skip * step_ms);
    }
  }
  while (clock.Now() >= launch)
    launch = FixedStep(launch, code, interval);
  return launch;
}

TDateTime NextCalendar(TDateTime base, int32_t months, const Clock& clock) {
  TDateTime launch = IncMonth(base, months);
  // Months carry the shortened day from step to step, so they are walked
  // one by one; that is cheap integer work, and the clock is read once.
  const TDateTime now = clock.Now();
  while (launch <= now)
    launch = IncMonth(launch, months);
  while (launch <= clock.Now())
    launch = IncMonth(launch, months);
  return launch;
}

TDateTime NextStepping(TDateTime base, int32_t interval, bool weekend, const Clock& clock) {
  const TDateTime now = clock.Now();
  auto cycle = weekend ? WeekendCycle : WeekdayCycle;
  TDateTime launch = cycle(base, interval);
  // After one step the moment is on a weekday (weekend day); from there five
  // weekday cycles (two weekend cycles) cover exactly 7 * interval days.
  const double group_days = 7.0 * interval;
  if (launch <= now) {
    const double groups = std::floor((now - launch) / group_days) - 1;
    if (groups >= 1) launch += groups * group_days;
  }
  while (launch <= now)
    launch = cycle(launch, interval);
  return launch;
}

}  // namespace

bool IsFixedLengthUnit(int32_t code) {
  FixedUnit unit{};
  return FixedUnitOf(code, unit);
}

bool IsCalendarMonthUnit(int32_t code) {
  return code == static_cast<int32_t>(IntervalUnit::Months) ||
         code == static_cast<int32_t>(IntervalUnit::Quarters) ||
         code == static_cast<int32_t>(IntervalUnit::Years);
}

int32_t MonthsPerStep(int32_t code, int32_t interval) {
  // Beyond ten thousand years a step leaves every calendar the program knows.
  constexpr int64_t kMaxMonths = 120'000;
  int64_t months = interval;
  if (code == static_cast<int32_t>(IntervalUnit::Quarters)) months *= 3;
  if (code == static_cast<int32_t>(IntervalUnit::Years)) months *= 12;
  return static_cast<int32_t>(std::min(months, kMaxMonths));
}

TDateTime FixedStep(TDateTime moment, int32_t code, int32_t interval) {
  FixedUnit unit{};
  if (!FixedUnitOf(code, unit)) return moment;
  const TDateTime from = WithoutMilliseconds(moment);
  const double length = static_cast<double>(unit.steps_per_interval * interval) * unit.unit_days;
  TDateTime sum = from + length;
  if (unit.minute_unit) {
    CivilDateTime fields = Decode(sum);
    fields.time.second = Decode(from).time.second;
    fields.time.millisecond = 0;
    sum = EncodeDateTime(fields);
  }
  return sum;
}

namespace {

bool IsWeekendDay(TDateTime moment) {
  const int day = DayOfWeek(moment);
  return day == 1 || day == 7;
}

}  // namespace

TDateTime WeekdayCycle(TDateTime moment, int32_t interval) {
  int64_t remaining = interval;
  while (remaining > 0) {
    // From a weekday, five steps land on the same weekday a week later.
    if (remaining >= 5 && !IsWeekendDay(moment)) {
      const int64_t weeks = remaining / 5;
      moment += 7.0 * static_cast<double>(weeks);
      remaining -= weeks * 5;
      continue;
    }
    moment += 1;
    if (DayOfWeek(moment) == 7) moment += 2;
    if (DayOfWeek(moment) == 1) moment += 1;
    --remaining;
  }
  return moment;
}

TDateTime WeekendCycle(TDateTime moment, int32_t interval) {
  int64_t remaining = interval;
  while (remaining > 0) {
    // From a weekend day, two steps land on the same day a week later.
    if (remaining >= 2 && IsWeekendDay(moment)) {
      const int64_t weeks = remaining / 2;
      moment += 7.0 * static_cast<double>(weeks);
      remaining -= weeks * 2;
      continue;
    }
    do {
      moment += 1;
    } while (!IsWeekendDay(moment));
    --remaining;
  }
  return moment;
}

TDateTime NextLaunch(TDateTime base, int32_t code, int32_t interval, const Clock& clock) {
  // A stored interval below 1 would never pass now; it counts as 1.
  if (interval < 1) interval = 1;
  if (IsFixedLengthUnit(code)) return NextFixed(base, code, interval, clock);
  if (IsCalendarMonthUnit(code)) return NextCalendar(base, MonthsPerStep(code, interval), clock);
  if (code == static_cast<int32_t>(IntervalUnit::Weekdays)) {
    return NextStepping(base, interval, false, clock);
  }
  if (code == static_cast<int32_t>(IntervalUnit::WeekendDays)) {
    return NextStepping(base, interval, true, clock);
  }
  return base;
}

std::string FrequencyText(int32_t frequency, int32_t code, int32_t interval) {
  if (frequency == 0) return "Once";
  struct Words {
    const char* single;
    const char* plural;
  };
  static constexpr Words kWords[] = {
      {"Every minute", "minutes"},   {"Every hour", "hours"},       {"Every day", "days"},
      {"Every week", "weeks"},       {"Every weekday", "weekdays"}, {"Every weekend", "weekend"},
      {"Every bi-week", "bi-weeks"}, {"Every month", "months"},     {"Every quarter", "quarters"},
      {"Every year", "years"},       {"Every second", "seconds"},
  };
  if (code < 0 || code > 10) return "Every " + std::to_string(interval) + " ";
  const Words& words = kWords[code];
  if (interval <= 1) return words.single;
  return "Every " + std::to_string(interval) + " " + words.plural;
}

}  // namespace rv::schedule

namespace rv {

void RVTask::Reschedule(bool from_run_moment, const Clock& clock) {
  // An unknown unit leaves the launch moment alone, whatever the base.
  if (!schedule::IsFixedLengthUnit(IntervalType) && !schedule::IsCalendarMonthUnit(IntervalType) &&
      IntervalType != static_cast<int32_t>(IntervalUnit::Weekdays) &&
      IntervalType != static_cast<int32_t>(IntervalUnit::WeekendDays)) {
    return;
  }
  const TDateTime base = from_run_moment ? clock.Now() : LaunchDateTime;
  LaunchDateTime = schedule::NextLaunch(base, IntervalType, Interval, clock);
}

void RVTask::ApplyRescheduleRule(const Clock& clock) {
  if (Frequency == 0) {
    Active = false;
    return;
  }
  if (LateFlags & LateRule::FromLaunchTime) Reschedule(false, clock);
  if (LateFlags & LateRule::FromRunMoment) Reschedule(true, clock);
  if (LateFlags & LateRule::Disable) Active = false;
}

std::string RVTask::FrequencyString() const {
  return schedule::FrequencyText(Frequency, IntervalType, Interval);
}

}  // namespace rv
