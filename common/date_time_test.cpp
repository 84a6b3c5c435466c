#include "common/date_time.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(DateTime, EncodesTheEpochAndKnownDays) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1998, 6, 9), 35955.0);
  EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1) - EncodeDate(1900, 2, 28), 1.0);  // 1900 is no leap year
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
}

TEST(DateTime, DecodeRoundsToTheNearestMillisecond) {
  const TDateTime moment = EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 999);
  CivilDateTime fields = Decode(moment);
  EXPECT_EQ(fields.date.year, 2024);
  EXPECT_EQ(fields.date.month, 2);
  EXPECT_EQ(fields.date.day, 29);
  EXPECT_EQ(fields.time.hour, 23);
  EXPECT_EQ(fields.time.second, 59);
  EXPECT_EQ(fields.time.millisecond, 999);
  // A value a hair below midnight belongs to the next day.
  fields = Decode(EncodeDate(2024, 3, 1) - 1e-10);
  EXPECT_EQ(fields.date.day, 1);
  EXPECT_EQ(fields.time.hour, 0);
  // Before the epoch, days count down and the fraction still runs forward.
  fields = Decode(EncodeDate(1899, 12, 29) + 0.25);
  EXPECT_EQ(fields.date.day, 29);
  EXPECT_EQ(fields.time.hour, 6);
}

TEST(DateTime, DayOfWeekRunsFromSundayToSaturday) {
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 11)), 6);  // a Friday
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 13) + 0.99), 1);
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
}

TEST(DateTime, IncMonthKeepsTheDayUnlessTheMonthIsShorter) {
  const TDateTime time = EncodeTime(10, 0, 0, 250);
  EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31) + time, 1), EncodeDate(2023, 2, 28) + time);
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31) + time, 1), EncodeDate(2024, 2, 29) + time);
  EXPECT_EQ(IncMonth(EncodeDate(2000, 2, 29) + time, 12), EncodeDate(2001, 2, 28) + time);
  EXPECT_EQ(IncMonth(EncodeDate(1998, 11, 15), 3), EncodeDate(1999, 2, 15));
  EXPECT_EQ(IncMonth(EncodeDate(1999, 2, 15), -3), EncodeDate(1998, 11, 15));
}

TEST(DateTime, FormatsShortDateAndLongTime) {
  struct Row {
    TDateTime moment;
    const char* text;
  };
  const Row rows[] = {
      {EncodeDate(1998, 6, 9) + EncodeTime(17, 3, 7, 0), "06/09/1998 5:03:07 PM"},
      {EncodeDate(1998, 6, 9), "06/09/1998 12:00:00 AM"},
      {EncodeDate(1998, 6, 9) + EncodeTime(12, 0, 1, 0), "06/09/1998 12:00:01 PM"},
      {EncodeDate(2031, 12, 31) + EncodeTime(9, 45, 0, 999), "12/31/2031 9:45:00 AM"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(FormatDateTime(row.moment), row.text);
}

}  // namespace
}  // namespace rv
