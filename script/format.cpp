#include "script/format.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "script/dates.h"
#include "script/values.h"

namespace rv::script {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

std::string Two(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string FormatDate(double date, const std::string& pattern) {
  DateParts p = SplitDate(date);
  std::string out;
  bool has_ampm = Lower(pattern).find("am/pm") != std::string::npos ||
                  Lower(pattern).find("a/p") != std::string::npos;
  int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  bool after_hour = false;  // "m" right after an hour token means minutes
  size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t run = 1;
    while (i + run < pattern.size() &&
           std::tolower(static_cast<unsigned char>(pattern[i + run])) == lc)
      ++run;
    if (c == '"') {
      size_t close = pattern.find('"', i + 1);
      if (close == std::string::npos) close = pattern.size();
      out += pattern.substr(i + 1, close - i - 1);
      i = close + 1;
      continue;
    }
    if (c == '\\' && i + 1 < pattern.size()) {
      out += pattern[i + 1];
      i += 2;
      continue;
    }
    std::string rest = Lower(pattern.substr(i, 5));
    if (rest == "am/pm") {
      bool upper = std::isupper(static_cast<unsigned char>(c));
      out += p.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
      i += 5;
      continue;
    }
    if (rest.compare(0, 3, "a/p") == 0) {
      bool upper = std::isupper(static_cast<unsigned char>(c));
      out += p.hour < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
      i += 3;
      continue;
    }
    switch (lc) {
      case 'd':
        if (run == 1)
          out += std::to_string(p.day);
        else if (run == 2)
          out += Two(p.day);
        else if (run == 3)
          out += std::string(kDayNames[WeekdayOf(date) - 1]).substr(0, 3);
        else if (run == 4)
          out += kDayNames[WeekdayOf(date) - 1];
        else
          out += FormatDate(date, "mm/dd/yyyy");
        after_hour = false;
        break;
      case 'y':
        if (run >= 3) {
          out += std::to_string(p.year);
        } else if (run == 2) {
          out += Two(p.year % 100);
        } else {
          out +=
              std::to_string(static_cast<int>(std::floor(date) - DateFromParts(p.year, 1, 1)) + 1);
        }
        after_hour = false;
        break;
      case 'm':
        if (after_hour && run <= 2) {
          out += run == 1 ? std::to_string(p.minute) : Two(p.minute);
        } else if (run == 1) {
          out += std::to_string(p.month);
        } else if (run == 2) {
          out += Two(p.month);
        } else if (run == 3) {
          out += std::string(kMonthNames[p.month - 1]).substr(0, 3);
        } else {
          out += kMonthNames[p.month - 1];
        }
        after_hour = false;
        break;
      case 'h': {
        int h = has_ampm ? hour12 : p.hour;
        out += run == 1 ? std::to_string(h) : Two(h);
        after_hour = true;
        i += run;
        // Separators between the hour and its minutes keep "m" meaning minutes.
        while (i < pattern.size() && (pattern[i] == ':' || pattern[i] == ' '))
          out += pattern[i++];
        continue;
      }
      case 'n':
        out += run == 1 ? std::to_string(p.minute) : Two(p.minute);
        after_hour = false;
        break;
      case 's':
        out += run == 1 ? std::to_string(p.second) : Two(p.second);
        after_hour = false;
        break;
      case 'w':
        if (run == 1)
          out += std::to_string(WeekdayOf(date));
        else
          out += std::to_string(static_cast<int>((std::floor(date) - DateFromParts(p.year, 1, 1) +
                                                  WeekdayOf(DateFromParts(p.year, 1, 1)) - 1) /
                                                 7) +
                                1);
        after_hour = false;
        break;
      case 'q':
        out += std::to_string((p.month - 1) / 3 + 1);
        after_hour = false;
        break;
      case 'c':
        out += DateText(date);
        break;
      default:
        out.append(run, c);
        break;
    }
    i += run;
  }
  return out;
}

std::string Group(const std::string& digits) {
  std::string out;
  int n = static_cast<int>(digits.size());
  for (int k = 0; k < n; ++k) {
    out += digits[static_cast<size_t>(k)];
    int left = n - k - 1;
    if (left > 0 && left % 3 == 0) out += ',';
  }
  return out;
}

// One section of a number pattern applied to a non-negative value.
std::string FormatNumberSection(double value, const std::string& section) {
  // Split into literal prefix, the placeholder run and literal suffix.
  std::string prefix, suffix, body;
  bool percent = false;
  size_t first = std::string::npos, last = std::string::npos;
  for (size_t k = 0; k < section.size(); ++k) {
    char c = section[k];
    if (c == '"') {
      size_t close = section.find('"', k + 1);
      k = close == std::string::npos ? section.size() : close;
      continue;
    }
    if (c == '\\') {
      ++k;
      continue;
    }
    if (c == '0' || c == '#') {
      if (first == std::string::npos) first = k;
      last = k;
    }
  }
  auto literal = [&](size_t from, size_t to) {
    std::string out;
    for (size_t k = from; k < to; ++k) {
      char c = section[k];
      if (c == '"') {
        size_t close = section.find('"', k + 1);
        if (close == std::string::npos) close = section.size();
        out += section.substr(k + 1, close - k - 1);
        k = close;
      } else if (c == '\\' && k + 1 < to) {
        out += section[++k];
      } else if (c == '%') {
        percent = true;
        out += '%';
      } else {
        out += c;
      }
    }
    return out;
  };
  if (first == std::string::npos) return literal(0, section.size());
  // Take in a leading '.' ("#.00" starts at '#', ".00" at '.').
  if (first > 0 && section[first - 1] == '.') --first;
  // Exponent part after the last placeholder: E+00
  size_t exp_at = std::string::npos;
  for (size_t k = first; k < section.size(); ++k) {
    if ((section[k] == 'E' || section[k] == 'e') && k + 1 < section.size() &&
        (section[k + 1] == '+' || section[k + 1] == '-')) {
      exp_at = k;
      break;
    }
  }
  size_t body_end = last + 1;
  prefix = literal(0, first);
  body = section.substr(first, (exp_at == std::string::npos ? body_end : exp_at) - first);
  std::string exp_pattern;
  if (exp_at != std::string::npos) {
    size_t k = exp_at + 2;
    while (k < section.size() && (section[k] == '0' || section[k] == '#'))
      ++k;
    exp_pattern = section.substr(exp_at, k - exp_at);
    body_end = k;
  }
  suffix = literal(body_end, section.size());
  if (section.find('%') != std::string::npos) percent = true;
  if (percent) value *= 100;

  size_t dot = body.find('.');
  std::string int_part = dot == std::string::npos ? body : body.substr(0, dot);
  std::string frac_part = dot == std::string::npos ? "" : body.substr(dot + 1);
  bool grouping = int_part.find(',') != std::string::npos;
  int min_int = 0;
  for (char c : int_part)
    min_int += c == '0';
  int required_frac = 0, optional_frac = 0;
  for (char c : frac_part) {
    if (c == '0') ++required_frac;
    if (c == '#') ++optional_frac;
  }
  int decimals = required_frac + optional_frac;

  int exponent = 0;
  if (!exp_pattern.empty() && value != 0) {
    int int_digits = 0;
    for (char c : int_part)
      int_digits += c == '0' || c == '#';
    if (int_digits < 1) int_digits = 1;
    exponent = static_cast<int>(std::floor(std::log10(value))) - (int_digits - 1);
    value /= std::pow(10.0, exponent);
    double rounded = std::round(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    if (rounded >= std::pow(10.0, int_digits)) {
      value /= 10;
      ++exponent;
    }
  }
  std::string text = FixedText(value, decimals);
  std::string whole = text, frac;
  size_t point = text.find('.');
  if (point != std::string::npos) {
    whole = text.substr(0, point);
    frac = text.substr(point + 1);
  }
  while (static_cast<int>(frac.size()) > required_frac && !frac.empty() && frac.back() == '0')
    frac.pop_back();
  if (whole == "0" && min_int == 0) whole.clear();
  while (static_cast<int>(whole.size()) < min_int)
    whole = "0" + whole;
  if (grouping) whole = Group(whole);
  std::string out = prefix + whole;
  if (dot != std::string::npos) out += "." + frac;
  if (!exp_pattern.empty()) {
    int digits = 0;
    for (size_t k = 2; k < exp_pattern.size(); ++k)
      digits += exp_pattern[k] == '0';
    std::string e = std::to_string(std::abs(exponent));
    while (static_cast<int>(e.size()) < digits)
      e = "0" + e;
    out += exp_pattern[0];
    if (exponent < 0)
      out += '-';
    else if (exp_pattern[1] == '+')
      out += '+';
    out += e;
  }
  return out + suffix;
}

std::vector<std::string> Sections(const std::string& pattern) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (size_t k = 0; k < pattern.size(); ++k) {
    char c = pattern[k];
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      out.emplace_back();
      continue;
    }
    out.back() += c;
    if (c == '\\' && k + 1 < pattern.size()) out.back() += pattern[++k];
  }
  return out;
}

bool LooksLikeDatePattern(const std::string& pattern) {
  std::string lower = Lower(pattern);
  if (lower.find('0') != std::string::npos || lower.find('#') != std::string::npos) return false;
  for (char c : lower) {
    if (c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 'n' || c == 's' || c == 'q' ||
        c == 'w')
      return true;
  }
  return false;
}

}  // namespace

std::string FormatValue(const Variant& value, const std::string& pattern) {
  if (value.is_null()) return "";
  std::string name = Lower(pattern);
  if (pattern.empty()) return ToStr(value);
  // Named formats.
  if (name == "general number") return NumberText(ToDouble(value));
  if (name == "fixed") return FormatValue(value, "0.00");
  if (name == "standard") return FormatValue(value, "#,##0.00");
  if (name == "percent") return FormatValue(value, "0.00%");
  if (name == "scientific") return FormatValue(value, "0.00E+00");
  if (name == "currency") return FormatValue(value, "$#,##0.00;($#,##0.00)");
  if (name == "yes/no") return ToDouble(value) != 0 ? "Yes" : "No";
  if (name == "true/false") return ToDouble(value) != 0 ? "True" : "False";
  if (name == "on/off") return ToDouble(value) != 0 ? "On" : "Off";
  if (name == "general date") return DateText(ToDate(value));
  if (name == "long date") return FormatDate(ToDate(value), "dddd, mmmm d, yyyy");
  if (name == "medium date") return FormatDate(ToDate(value), "dd-mmm-yy");
  if (name == "short date") return FormatDate(ToDate(value), "mm/dd/yyyy");
  if (name == "long time") return FormatDate(ToDate(value), "hh:nn:ss");
  if (name == "medium time") return FormatDate(ToDate(value), "hh:nn AM/PM");
  if (name == "short time") return FormatDate(ToDate(value), "hh:nn");

  if (value.is_string()) {
    double d;
    bool text_pattern = pattern.find_first_of("@&<>") != std::string::npos;
    if (text_pattern || !ParseNumber(value.str(), &d)) {
      if (!text_pattern && LooksLikeDatePattern(pattern)) {
        if (std::optional<double> date = ParseDate(value.str())) return FormatDate(*date, pattern);
      }
      std::string s = value.str();
      if (pattern.find('>') != std::string::npos) {
        for (char& c : s)
          c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      } else if (pattern.find('<') != std::string::npos) {
        for (char& c : s)
          c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      return s;
    }
  }
  if (value.type() == VarType::Date || LooksLikeDatePattern(pattern))
    return FormatDate(ToDate(value), pattern);

  double v = ToDouble(value);
  std::vector<std::string> sections = Sections(pattern);
  if (v == 0 && sections.size() >= 3) return FormatNumberSection(0, sections[2]);
  if (v < 0 && sections.size() >= 2 && !sections[1].empty())
    return FormatNumberSection(-v, sections[1]);
  std::string text = FormatNumberSection(std::fabs(v), sections[0]);
  if (v < 0) {
    // No minus for a value that rounds to zero.
    bool nonzero = false;
    for (char c : text)
      nonzero |= c >= '1' && c <= '9';
    if (nonzero) text = "-" + text;
  }
  return text;
}

}  // namespace rv::script
