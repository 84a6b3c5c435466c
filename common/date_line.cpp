#include "common/date_line.h"

#include <charconv>
#include <string_view>

#include "common/whole_number.h"

namespace rv {
namespace {

// Takes the next token the way the C tokenizer does with a one-character
// separator: separators before the token are skipped, the token ends at the
// next separator, which is consumed. A missing token is empty.
std::string_view NextToken(std::string_view& rest, char separator) {
  size_t start = 0;
  while (start < rest.size() && rest[start] == separator)
    ++start;
  if (start == rest.size()) {
    rest = {};
    return {};
  }
  size_t end = rest.find(separator, start);
  std::string_view token =
      rest.substr(start, end == std::string_view::npos ? rest.size() - start : end - start);
  rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  return token;
}

}  // namespace

void AppendDateLine(TDateTime value, std::string& out) {
  const CivilDateTime moment = Decode(value);
  int hour = moment.time.hour % 12;
  if (hour == 0) hour = 12;
  auto number = [&out](int n, char after) {
    char digits[16];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
    out.push_back(after);
  };
  number(moment.date.month, '/');
  number(moment.date.day, '/');
  number(moment.date.year, ' ');
  number(hour, ':');
  number(moment.time.minute, ':');
  number(moment.time.second, ' ');
  out.push_back(moment.time.hour < 12 ? 'A' : 'P');
  out.push_back('M');
}

std::string FormatDateLine(TDateTime value) {
  std::string line;
  AppendDateLine(value, line);
  return line;
}

Result<TDateTime> ParseDateLine(const std::string& line) {
  if (line.size() > kMaxDateLineLength) {
    return MakeError("the date line is longer than " + std::to_string(kMaxDateLineLength) +
                     " characters");
  }
  if (line.find('\0') != std::string::npos) {
    return MakeError("the date line holds a NUL character");
  }
  std::string_view rest = line;
  static constexpr char kSeparators[] = {'/', '/', ' ', ':', ':', ' ', ' '};
  static constexpr const char* kNames[] = {"month", "day", "year", "hour", "minute", "second"};
  std::string_view tokens[7];
  for (int i = 0; i < 7; ++i)
    tokens[i] = NextToken(rest, kSeparators[i]);

  int fields[6] = {};
  for (int i = 0; i < 6; ++i) {
    Result<int32_t> number = ParseWholeNumber(tokens[i]);
    if (!number) {
      return MakeError("expected a date line such as \"6/9/1998 5:30:0 PM\", found \"" + line +
                       "\" (the " + kNames[i] + " is not a whole number)");
    }
    fields[i] = *number;
  }
  int hour = fields[3];
  if (tokens[6] == "AM" && hour == 12) {
    hour = 0;
  } else if (tokens[6] == "PM" && hour != 12) {
    hour += 12;
  }
  if (!IsValidDate(fields[2], fields[0], fields[1])) {
    return MakeError("the date " + std::to_string(fields[0]) + "/" + std::to_string(fields[1]) +
                     "/" + std::to_string(fields[2]) + " does not exist (date line \"" + line +
                     "\")");
  }
  if (!IsValidTime(hour, fields[4], fields[5], 0)) {
    return MakeError("the time " + std::string(tokens[3]) + ":" + std::string(tokens[4]) + ":" +
                     std::string(tokens[5]) + (tokens[6].empty() ? "" : " ") +
                     std::string(tokens[6]) + " does not exist (date line \"" + line + "\")");
  }
  return EncodeDate(fields[2], fields[0], fields[1]) + EncodeTime(hour, fields[4], fields[5], 0);
}

}  // namespace rv
