#include "common/schedule.h"

#include <random>
#include <string_view>

#include <gtest/gtest.h>

#include "common/task.h"
#include "common/testing/schedule_literal.h"

namespace rv {
namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
}

struct Case {
  const char* name;
  int32_t unit;
  int32_t interval;
  TDateTime base;
  TDateTime now;
  TDateTime expected;
};

// 2026-12-07 is a Monday; 2026-12-11 a Friday; 2026-12-13 a Sunday.
const Case kCases[] = {
    {"days from yesterday 23:30", 2, 1, At(2026, 12, 10, 23, 30), At(2026, 12, 11, 8),
     At(2026, 12, 11, 23, 30)},
    {"two days from Monday", 2, 2, At(2026, 12, 7, 9), At(2026, 12, 9, 10), At(2026, 12, 11, 9)},
    {"weeks: two steps are not enough", 3, 1, At(2026, 11, 23, 9), At(2026, 12, 8, 9),
     At(2026, 12, 14, 9)},
    {"bi-weeks advance 14 days", 6, 1, At(2026, 12, 1, 9), At(2026, 12, 1, 9, 0, 1),
     At(2026, 12, 15, 9)},
    {"months from 31 January", 7, 1, At(2023, 1, 31, 10), At(2023, 2, 1), At(2023, 2, 28, 10)},
    {"months stay short after February", 7, 1, At(2023, 2, 28, 10), At(2023, 3, 1),
     At(2023, 3, 28, 10)},
    {"months advance from a base in the future", 7, 1, At(2030, 5, 5), At(2026, 1, 1),
     At(2030, 6, 5)},
    {"years from a leap day", 9, 1, At(2000, 2, 29), At(2000, 3, 1), At(2001, 2, 28)},
    {"quarters", 8, 1, At(1998, 11, 15), At(1998, 11, 20), At(1999, 2, 15)},
    {"weekdays skip the weekend", 4, 1, At(2026, 12, 11, 17), At(2026, 12, 11, 17, 1),
     At(2026, 12, 14, 17)},
    {"two weekdays from Friday", 4, 2, At(2026, 12, 11, 17), At(2026, 12, 11, 17, 1),
     At(2026, 12, 15, 17)},
    {"weekend from Sunday", 5, 1, At(2026, 12, 13, 10), At(2026, 12, 13, 10, 5),
     At(2026, 12, 19, 10)},
    {"weekend from Friday", 5, 1, At(2026, 12, 11, 10), At(2026, 12, 11, 11), At(2026, 12, 12, 10)},
    {"fixed base in the future keeps its milliseconds", 10, 1, At(2027, 1, 1, 0, 0, 0, 250),
     At(2026, 1, 1), At(2027, 1, 1, 0, 0, 0, 250)},
    {"launch equal to now is due again", 0, 1, At(2026, 12, 11, 9), At(2026, 12, 11, 9),
     At(2026, 12, 11, 9, 1)},
    {"hours", 1, 3, At(2026, 12, 11, 9, 15, 7, 900), At(2026, 12, 11, 13),
     At(2026, 12, 11, 15, 15, 7)},
    {"unknown unit", 11, 1, At(2020, 1, 1), At(2026, 1, 1), At(2020, 1, 1)},
    {"interval 0 counts as 1", 2, 0, At(2026, 12, 10, 6), At(2026, 12, 11, 8), At(2026, 12, 12, 6)},
    {"per second, ten years behind", 10, 1, At(2016, 12, 11, 8, 0, 0, 123),
     At(2026, 12, 11, 8, 30, 0, 500), At(2026, 12, 11, 8, 30, 1)},
};

TEST(Schedule, NextLaunchCases) {
  for (const Case& c : kCases) {
    ManualClock clock(c.now);
    const TDateTime next = schedule::NextLaunch(c.base, c.unit, c.interval, clock);
    EXPECT_EQ(FormatDateTime(next), FormatDateTime(c.expected)) << c.name;
    EXPECT_EQ(ToMilliseconds(next), ToMilliseconds(c.expected)) << c.name;
    if (std::string_view(c.name).find("ten years") == std::string_view::npos) {
      EXPECT_EQ(next, testing::LiteralNextLaunch(c.base, c.unit, c.interval, clock)) << c.name;
    }
  }
}

TEST(Schedule, RescheduleFromTheRunMomentDropsMilliseconds) {
  ManualClock clock(At(2026, 12, 11, 14, 3, 27, 600));
  RVTask task(clock);
  task.Frequency = 1;
  task.Interval = 5;
  task.IntervalType = 0;
  task.LaunchDateTime = At(2026, 12, 1);
  task.Reschedule(true, clock);
  EXPECT_EQ(task.LaunchDateTime, At(2026, 12, 11, 14, 8, 27));

  task.IntervalType = 2;
  task.Interval = 2;
  clock.Set(At(2026, 12, 9, 10, 0, 5, 250));
  task.Reschedule(true, clock);
  EXPECT_EQ(task.LaunchDateTime, At(2026, 12, 11, 10, 0, 5));

  // An unknown unit leaves the moment alone even from the run moment.
  task.IntervalType = 42;
  task.Reschedule(true, clock);
  EXPECT_EQ(task.LaunchDateTime, At(2026, 12, 11, 10, 0, 5));
}

TEST(Schedule, RescheduleRule) {
  ManualClock clock(At(2026, 12, 11, 12));
  struct Row {
    int32_t frequency;
    int32_t late_flags;
    bool active_after;
    TDateTime launch_after;
  };
  const TDateTime launch = At(2026, 12, 11, 9);
  const Row rows[] = {
      {0, 8, false, launch},                    // run once: disabled, time kept
      {1, 1 | 8, true, At(2026, 12, 12, 9)},    // from the launch time
      {1, 1 | 16, true, At(2026, 12, 12, 12)},  // from the moment of the run
      {1, 1 | 32, false, launch},               // disable after the run
      {1, 8 | 32, false, At(2026, 12, 12, 9)},  // more than one bit: all of them
      {1, 1, true, launch},                     // no reschedule bit at all
  };
  for (const Row& row : rows) {
    RVTask task(clock);
    task.Frequency = row.frequency;
    task.Interval = 1;
    task.IntervalType = 2;
    task.LateFlags = row.late_flags;
    task.Active = true;
    task.LaunchDateTime = launch;
    task.ApplyRescheduleRule(clock);
    EXPECT_EQ(task.Active, row.active_after) << row.late_flags;
    EXPECT_EQ(task.LaunchDateTime, row.launch_after) << row.late_flags;
  }
}

TEST(Schedule, FastPathAgreesWithStepByStepOnRandomSchedules) {
  std::mt19937_64 random(20261211);
  const TDateTime earliest = At(1985, 1, 1);  // some runs cross 1989-09-18, day 32768
  const TDateTime latest = At(2040, 12, 31);
  std::uniform_real_distribution<double> moment(earliest, latest);
  std::uniform_int_distribution<int> unit(0, 10);
  std::uniform_int_distribution<int> small_interval(1, 4);
  std::uniform_int_distribution<int> milliseconds(0, 999);
  std::uniform_int_distribution<int> shape(0, 5);
  int checked = 0;
  for (int round = 0; round < 6000; ++round) {
    const int32_t code = unit(random);
    int32_t interval = small_interval(random);
    TDateTime base = moment(random);
    TDateTime now = moment(random);
    switch (shape(random)) {
      case 0:  // month ends and leap days
        base = At(1992 + round % 40, 1 + round % 12, DaysInMonth(1992 + round % 40, 1 + round % 12),
                  round % 24, round % 60, round % 60, milliseconds(random));
        break;
      case 1:  // now close behind the base, a few steps
        now = base + (round % 50) * 0.013;
        break;
      case 2:  // now exactly on a step boundary
        now = FromMilliseconds(ToMilliseconds(WithoutMilliseconds(base)) +
                               (1 + round % 7) * 60'000LL * interval);
        break;
      case 3:  // long intervals
        interval = 1 + round % 400;
        break;
      default:
        break;
    }
    // The literal loop is slow for fine units far behind; keep it to a
    // bounded number of passes.
    const double unit_days[] = {1.0 / 1440, 1.0 / 24, 1, 7, 1, 1, 14, 30, 91, 365, 1.0 / 86400};
    if ((now - base) / (unit_days[code] * interval) > 5000) {
      base = now - (round % 1000) * unit_days[code] * interval;
    }
    ManualClock clock(now);
    const TDateTime fast = schedule::NextLaunch(base, code, interval, clock);
    const TDateTime literal = testing::LiteralNextLaunch(base, code, interval, clock);
    ASSERT_EQ(fast, literal) << "unit " << code << " interval " << interval << " base "
                             << FormatDateTime(base) << " now " << FormatDateTime(now);
    ASSERT_GT(fast, now);
    ++checked;
  }
  EXPECT_EQ(checked, 6000);
}

TEST(Schedule, FrequencyStrings) {
  struct Row {
    int32_t frequency, unit, interval;
    const char* text;
  };
  const Row rows[] = {
      {0, 2, 5, "Once"},
      {1, 5, 3, "Every 3 weekend"},
      {1, 5, 1, "Every weekend"},
      {1, 2, 0, "Every day"},
      {1, 10, 1, "Every second"},
      {1, 10, 30, "Every 30 seconds"},
      {1, 0, 2, "Every 2 minutes"},
      {1, 6, 1, "Every bi-week"},
      {1, 6, 2, "Every 2 bi-weeks"},
      {1, 4, 2, "Every 2 weekdays"},
      {1, 9, 1, "Every year"},
      {1, 8, 4, "Every 4 quarters"},
      {1, 12, 1, "Every 1 "},
      {1, -1, 7, "Every 7 "},
      {2, 1, 1, "Every hour"},
  };
  for (const Row& row : rows) {
    RVTask task;
    task.Frequency = row.frequency;
    task.IntervalType = row.unit;
    task.Interval = row.interval;
    EXPECT_EQ(task.FrequencyString(), row.text);
  }
}

}  // namespace
}  // namespace rv
