#include "script/dates.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace rv::script {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kEpochOffset = 25569;  // 1970-01-01 as a date value

const char* const kMonths[] = {"january",   "february", "march",    "april",
                               "may",       "june",     "july",     "august",
                               "september", "october",  "november", "december"};

int MonthFromName(const std::string& word) {
  if (word.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    std::string name = kMonths[i];
    if (name.compare(0, word.size(), word) == 0) return i + 1;
  }
  return 0;
}

}  // namespace

double DateFromParts(int year, int month, int day) {
  int64_t y = year;
  int64_t m = month - 1;
  y += m >= 0 ? m / 12 : (m - 11) / 12;
  m = ((m % 12) + 12) % 12;
  int64_t days = DaysFromCivil(y, m + 1, 1) + (day - 1);
  return static_cast<double>(days + kEpochOffset);
}

double TimeFromParts(int hour, int minute, int second) {
  return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

DateParts SplitDate(double date) {
  DateParts p;
  // Negative values count days back while the time still runs forward.
  double whole = std::floor(date);
  double fraction = std::fabs(date - std::trunc(date));
  if (date < 0) whole = std::ceil(date);
  int64_t seconds = std::llround(fraction * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    whole += date < 0 ? -1 : 1;
  }
  CivilFromDays(static_cast<int64_t>(whole) - kEpochOffset, p.year, p.month, p.day);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  return p;
}

int WeekdayOf(double date) {
  int64_t days = static_cast<int64_t>(std::floor(date));
  // Day 0 (30 Dec 1899) was a Saturday.
  return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

std::optional<double> ParseDate(std::string_view text) {
  // Split into number and word pieces, remembering the separators.
  struct Piece {
    bool number;
    int value;
    std::string word;
    char sep;  // separator after the piece
  };
  std::vector<Piece> pieces;
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  while (i < text.size()) {
    Piece piece{false, 0, "", ' '};
    if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      piece.number = true;
      size_t start = i;
      while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
      if (i - start > 5) return std::nullopt;
      piece.value = std::stoi(std::string(text.substr(start, i - start)));
    } else if (std::isalpha(static_cast<unsigned char>(text[i]))) {
      while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        piece.word += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        ++i;
      }
    } else {
      return std::nullopt;
    }
    size_t spaces = i;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
      ++i;
    if (i < text.size() &&
        (text[i] == '/' || text[i] == '-' || text[i] == ':' || text[i] == ',' || text[i] == '.')) {
      piece.sep = text[i++];
      while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    } else if (i == spaces && i < text.size()) {
      piece.sep = 0;  // "12am": no separator
    }
    pieces.push_back(piece);
  }
  if (pieces.empty()) return std::nullopt;

  int year = -1, month = -1, day = -1;
  int hour = -1, minute = 0, second = 0;
  bool pm = false, am = false;
  std::vector<int> date_numbers;
  for (size_t k = 0; k < pieces.size(); ++k) {
    const Piece& p = pieces[k];
    if (!p.number) {
      if (p.word == "am") {
        am = true;
      } else if (p.word == "pm") {
        pm = true;
      } else if (int m = MonthFromName(p.word)) {
        if (month != -1) return std::nullopt;
        month = m;
      } else {
        return std::nullopt;
      }
      continue;
    }
    if (p.sep == ':' || (k > 0 && pieces[k - 1].sep == ':')) {
      // Time pieces: h:m[:s]
      if (hour == -1) {
        hour = p.value;
      } else if (k > 0 && pieces[k - 1].sep == ':' && k >= 2 && pieces[k - 2].sep == ':') {
        second = p.value;
      } else {
        minute = p.value;
      }
      continue;
    }
    date_numbers.push_back(p.value);
  }
  if (pm || am) {
    if (hour == -1) {
      // "3 PM": the last number is the hour
      if (date_numbers.empty()) return std::nullopt;
      hour = date_numbers.back();
      date_numbers.pop_back();
    }
    if (hour < 1 || hour > 12) return std::nullopt;
    if (pm && hour != 12) hour += 12;
    if (am && hour == 12) hour = 0;
  }
  if (month != -1) {
    // Month name with day and year numbers in either order.
    if (date_numbers.size() != 2 && date_numbers.size() != 1) return std::nullopt;
    if (date_numbers.size() == 1) {
      day = date_numbers[0];
      year = SplitDate(NowAsDate()).year;
    } else if (date_numbers[0] > 31) {
      year = date_numbers[0];
      day = date_numbers[1];
    } else {
      day = date_numbers[0];
      year = date_numbers[1];
    }
  } else if (date_numbers.size() == 3) {
    if (date_numbers[0] > 31) {
      year = date_numbers[0];
      month = date_numbers[1];
      day = date_numbers[2];
    } else {
      month = date_numbers[0];
      day = date_numbers[1];
      year = date_numbers[2];
    }
  } else if (date_numbers.size() == 2) {
    month = date_numbers[0];
    day = date_numbers[1];
    year = SplitDate(NowAsDate()).year;
  } else if (!date_numbers.empty()) {
    return std::nullopt;
  }
  if (year != -1 && year < 100) year += year < 30 ? 2000 : 1900;
  double result = 0;
  if (month != -1) {
    if (month < 1 || month > 12 || day < 1) return std::nullopt;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > kDays[month - 1]) return std::nullopt;
    result = DateFromParts(year, month, day);
    if (SplitDate(result).day != day) return std::nullopt;  // 29 Feb of a common year
  }
  if (hour != -1) {
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    double t = TimeFromParts(hour, minute, second);
    result = result < 0 ? result - t : result + t;
  } else if (month == -1) {
    return std::nullopt;
  }
  return result;
}

std::string DateText(double date) {
  DateParts p = SplitDate(date);
  char buffer[64];
  bool has_date = std::trunc(date) != 0;
  bool has_time = p.hour != 0 || p.minute != 0 || p.second != 0;
  if (has_date && has_time) {
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", p.month, p.day, p.year,
                  p.hour, p.minute, p.second);
  } else if (has_time) {
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  } else {
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", p.month, p.day, p.year);
  }
  return buffer;
}

double NowAsDate() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  return DateFromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) / 86400.0;
}

}  // namespace rv::script
