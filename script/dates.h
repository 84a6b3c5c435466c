#pragma once

// Date values: days since 30 Dec 1899, the time of day as the fraction,
// local time. Texts use the month/day/year order of the suite's short date
// format ("12/31/2026 13:05:00").

#include <optional>
#include <string>
#include <string_view>

namespace rv::script {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// Month and day out of range roll over, as DateSerial does (month 13 is
// January of the next year).
double DateFromParts(int year, int month, int day);
double TimeFromParts(int hour, int minute, int second);
DateParts SplitDate(double date);
// 1 = Sunday ... 7 = Saturday.
int WeekdayOf(double date);

// Accepts "m/d/yyyy", "yyyy-mm-dd", either followed by a time, or a time
// alone ("h:mm[:ss] [AM|PM]"), and month names ("Dec 11, 2026", "11 December 2026").
std::optional<double> ParseDate(std::string_view text);
// "mm/dd/yyyy", "hh:mm:ss" or both, as the value has a date part, a time part or both.
std::string DateText(double date);

double NowAsDate();

}  // namespace rv::script
