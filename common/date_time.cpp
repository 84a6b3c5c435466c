#include "common/date_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rv {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's
// days_from_civil), shifted to the 1899-12-30 epoch below.
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilDate CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr int64_t kEpochFromUnix = DaysFromCivil(1899, 12, 30);

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
         millisecond >= 0 && millisecond < 1000;
}

int64_t DayNumber(const CivilDate& date) {
  return DaysFromCivil(date.year, static_cast<unsigned>(date.month),
                       static_cast<unsigned>(date.day)) -
         kEpochFromUnix;
}

CivilDate DateOfDayNumber(int64_t day_number) {
  return CivilFromDays(day_number + kEpochFromUnix);
}

TDateTime EncodeDate(int year, int month, int day) {
  return static_cast<TDateTime>(DayNumber(CivilDate{year, month, day}));
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  const int64_t ms =
      ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<TDateTime>(ms) / static_cast<TDateTime>(kMillisecondsPerDay);
}

TDateTime EncodeDateTime(const CivilDateTime& moment) {
  return EncodeDate(moment.date.year, moment.date.month, moment.date.day) +
         EncodeTime(moment.time.hour, moment.time.minute, moment.time.second,
                    moment.time.millisecond);
}

int64_t ToMilliseconds(TDateTime value) {
  return static_cast<int64_t>(std::llround(value * static_cast<double>(kMillisecondsPerDay)));
}

TDateTime FromMilliseconds(int64_t milliseconds) {
  const int64_t day = FloorDiv(milliseconds, kMillisecondsPerDay);
  const int64_t in_day = milliseconds - day * kMillisecondsPerDay;
  return static_cast<TDateTime>(day) +
         static_cast<TDateTime>(in_day) / static_cast<TDateTime>(kMillisecondsPerDay);
}

CivilDateTime Decode(TDateTime value) {
  const int64_t ms = ToMilliseconds(value);
  const int64_t day = FloorDiv(ms, kMillisecondsPerDay);
  int64_t rest = ms - day * kMillisecondsPerDay;
  CivilDateTime out;
  out.date = DateOfDayNumber(day);
  out.time.millisecond = static_cast<int>(rest % 1000);
  rest /= 1000;
  out.time.second = static_cast<int>(rest % 60);
  rest /= 60;
  out.time.minute = static_cast<int>(rest % 60);
  out.time.hour = static_cast<int>(rest / 60);
  return out;
}

int DayOfWeek(TDateTime value) {
  const int64_t day = FloorDiv(ToMilliseconds(value), kMillisecondsPerDay);
  // Day 0, 1899-12-30, was a Saturday (7).
  return static_cast<int>(((day % 7) + 7 + 6) % 7) + 1;
}

TDateTime WithoutMilliseconds(TDateTime value) {
  CivilDateTime moment = Decode(value);
  moment.time.millisecond = 0;
  return EncodeDateTime(moment);
}

TDateTime IncMonth(TDateTime value, int months) {
  const CivilDateTime moment = Decode(value);
  int64_t index = static_cast<int64_t>(moment.date.year) * 12 + (moment.date.month - 1) + months;
  const int year = static_cast<int>(FloorDiv(index, 12));
  const int month = static_cast<int>(index - static_cast<int64_t>(year) * 12) + 1;
  const int day = std::min(moment.date.day, DaysInMonth(year, month));
  const TDateTime whole_days = std::floor(value);
  return EncodeDate(year, month, day) + (value - whole_days);
}

std::string FormatShortDate(TDateTime value) {
  const CivilDate date = Decode(value).date;
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.month, date.day, date.year);
  return text;
}

std::string FormatLongTime(TDateTime value) {
  const CivilTime time = Decode(value).time;
  int hour = time.hour % 12;
  if (hour == 0) hour = 12;
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour, time.minute, time.second,
                time.hour < 12 ? "AM" : "PM");
  return text;
}

std::string FormatDateTime(TDateTime value) {
  return FormatShortDate(value) + " " + FormatLongTime(value);
}

}  // namespace rv
