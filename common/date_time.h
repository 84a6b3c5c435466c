#pragma once

// Moments are TDateTime values: days since 1899-12-30 00:00 local wall-clock
// time, the time of day as the fraction. Decoding rounds to the nearest
// millisecond, so values built by adding whole units decode to the expected
// fields despite binary fractions.

#include <cstdint>
#include <string>

namespace rv {

using TDateTime = double;

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
};

struct CivilTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

struct CivilDateTime {
  CivilDate date;
  CivilTime time;
};

constexpr int64_t kMillisecondsPerDay = 86'400'000;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);

// Day number (days since 1899-12-30) of a valid civil date.
int64_t DayNumber(const CivilDate& date);
CivilDate DateOfDayNumber(int64_t day_number);

// The caller ensures the fields are valid (IsValidDate / IsValidTime).
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDateTime(const CivilDateTime& moment);

// Whole milliseconds since the epoch, rounded to the nearest.
int64_t ToMilliseconds(TDateTime value);
TDateTime FromMilliseconds(int64_t milliseconds);

CivilDateTime Decode(TDateTime value);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// The same moment with the milliseconds removed.
TDateTime WithoutMilliseconds(TDateTime value);

// Advances by whole calendar months, keeping the day unless the target month
// is shorter (then its last day) and keeping the time of day.
TDateTime IncMonth(TDateTime value, int months);

// "mm/dd/yyyy", the short date format both programs use.
std::string FormatShortDate(TDateTime value);
// "h:mm:ss AM", the long time format: unpadded hour on the 12-hour clock.
std::string FormatLongTime(TDateTime value);
// Short date, one blank, long time: the text of log lines and messages.
std::string FormatDateTime(TDateTime value);

}  // namespace rv
