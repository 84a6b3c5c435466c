#include "script/builtins.h"

#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "script/dates.h"
#include "script/format.h"
#include "script/interp.h"
#include "script/script_error.h"
#include "script/values.h"

extern char** environ;

namespace rv::script {

namespace {

using Args = std::span<Variant>;

bool Has(Args a, size_t i) {
  return i < a.size() && !IsMissingArg(a[i]);
}
std::string S(const Variant& v) {
  return ToStr(v);
}
int64_t L(const Variant& v) {
  return ToLong(v);
}
double D(const Variant& v) {
  return ToDouble(v);
}
bool AnyNull(Args a, size_t n) {
  for (size_t i = 0; i < n && i < a.size(); ++i) {
    if (a[i].is_null()) return true;
  }
  return false;
}

std::string LowerStr(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool TextCompare(Args a, size_t i) {
  return Has(a, i) && L(a[i]) == 1;
}

size_t Find(const std::string& s, const std::string& what, size_t from, bool text) {
  if (!text) return s.find(what, from);
  return LowerStr(s).find(LowerStr(what), from);
}

Variant Count(int64_t n) {
  return Variant::Long(static_cast<int32_t>(n));
}

// ---- strings
Variant Len(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Count(static_cast<int64_t>(S(a[0]).size()));
}
Variant Left(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  int64_t n = L(a[1]);
  if (n < 0) Raise(err::kInvalidCall);
  return Variant::Str(S(a[0]).substr(0, static_cast<size_t>(n)));
}
Variant Right(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  int64_t n = L(a[1]);
  if (n < 0) Raise(err::kInvalidCall);
  std::string s = S(a[0]);
  size_t k = std::min(static_cast<size_t>(n), s.size());
  return Variant::Str(s.substr(s.size() - k));
}
Variant Mid(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  int64_t start = L(a[1]);
  if (start < 1) Raise(err::kInvalidCall);
  std::string s = S(a[0]);
  if (static_cast<size_t>(start) > s.size()) return Variant::Str("");
  size_t len = std::string::npos;
  if (Has(a, 2)) {
    int64_t n = L(a[2]);
    if (n < 0) Raise(err::kInvalidCall);
    len = static_cast<size_t>(n);
  }
  return Variant::Str(s.substr(static_cast<size_t>(start - 1), len));
}
Variant InStr(Interp&, Args a) {
  // InStr([start,] string1, string2[, compare])
  size_t base = 0;
  int64_t start = 1;
  if (a.size() >= 3) {
    base = 1;
    if (a[0].is_null()) Raise(err::kInvalidNull);
    start = L(a[0]);
    if (start < 1) Raise(err::kInvalidCall);
  }
  if (a[base].is_null() || a[base + 1].is_null()) return Variant::Null();
  std::string s = S(a[base]), what = S(a[base + 1]);
  if (static_cast<size_t>(start) > s.size() + 1) return Count(0);
  if (what.empty()) return Count(start);
  size_t at = Find(s, what, static_cast<size_t>(start - 1), TextCompare(a, base + 2));
  return Count(at == std::string::npos ? 0 : static_cast<int64_t>(at) + 1);
}
Variant InStrRev(Interp&, Args a) {
  if (AnyNull(a, 2)) return Variant::Null();
  std::string s = S(a[0]), what = S(a[1]);
  int64_t start = Has(a, 2) ? L(a[2]) : -1;
  if (start == 0 || start < -1) Raise(err::kInvalidCall);
  bool text = TextCompare(a, 3);
  if (text) {
    s = LowerStr(s);
    what = LowerStr(what);
  }
  if (start == -1) start = static_cast<int64_t>(s.size());
  if (start > static_cast<int64_t>(s.size())) return Count(0);
  if (what.empty()) return Count(start);
  if (static_cast<int64_t>(what.size()) > start) return Count(0);
  size_t at = s.rfind(what, static_cast<size_t>(start) - what.size());
  return Count(at == std::string::npos ? 0 : static_cast<int64_t>(at) + 1);
}
Variant LCase(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Variant::Str(LowerStr(S(a[0])));
}
Variant UCase(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  std::string s = S(a[0]);
  for (char& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return Variant::Str(s);
}
Variant Trimmed(const Variant& v, bool left, bool right) {
  if (v.is_null()) return Variant::Null();
  std::string s = S(v);
  size_t b = 0, e = s.size();
  if (left)
    while (b < e && s[b] == ' ')
      ++b;
  if (right)
    while (e > b && s[e - 1] == ' ')
      --e;
  return Variant::Str(s.substr(b, e - b));
}
Variant LTrim(Interp&, Args a) {
  return Trimmed(a[0], true, false);
}
Variant RTrim(Interp&, Args a) {
  return Trimmed(a[0], false, true);
}
Variant Trim(Interp&, Args a) {
  return Trimmed(a[0], true, true);
}
Variant Space(Interp&, Args a) {
  int64_t n = L(a[0]);
  if (n < 0) Raise(err::kInvalidCall);
  return Variant::Str(std::string(static_cast<size_t>(n), ' '));
}
// Outside Print, Tab and Spc give blanks.
Variant Spc(Interp&, Args a) {
  int64_t n = L(a[0]);
  return Variant::Str(std::string(static_cast<size_t>(n < 0 ? 0 : n), ' '));
}
Variant Tab(Interp&, Args a) {
  int64_t n = Has(a, 0) ? L(a[0]) : 1;
  return Variant::Str(std::string(static_cast<size_t>(n < 1 ? 0 : n - 1), ' '));
}

Variant StringFn(Interp&, Args a) {
  int64_t n = L(a[0]);
  if (n < 0) Raise(err::kInvalidCall);
  if (a[1].is_null()) return Variant::Null();
  char c;
  if (a[1].is_string()) {
    if (a[1].str().empty()) Raise(err::kInvalidCall);
    c = a[1].str()[0];
  } else {
    c = static_cast<char>(L(a[1]) & 0xFF);
  }
  return Variant::Str(std::string(static_cast<size_t>(n), c));
}
Variant Chr(Interp&, Args a) {
  int64_t n = L(a[0]);
  if (n < 0 || n > 255) Raise(err::kInvalidCall);
  return Variant::Str(std::string(1, static_cast<char>(n)));
}
Variant Asc(Interp&, Args a) {
  std::string s = S(a[0]);
  if (s.empty()) Raise(err::kInvalidCall);
  return Variant::Integer(static_cast<unsigned char>(s[0]));
}
Variant Replace(Interp&, Args a) {
  if (AnyNull(a, 3)) return Variant::Null();
  std::string s = S(a[0]), find = S(a[1]), with = S(a[2]);
  int64_t start = Has(a, 3) ? L(a[3]) : 1;
  int64_t count = Has(a, 4) ? L(a[4]) : -1;
  if (start < 1 || count < -1) Raise(err::kInvalidCall);
  bool text = TextCompare(a, 5);
  // The result starts at `start`, as the function has always done.
  s = static_cast<size_t>(start) > s.size() ? "" : s.substr(static_cast<size_t>(start - 1));
  if (find.empty() || count == 0) return Variant::Str(s);
  std::string out;
  size_t pos = 0;
  int64_t done = 0;
  while (count < 0 || done < count) {
    size_t at = Find(s, find, pos, text);
    if (at == std::string::npos) break;
    out.append(s, pos, at - pos);
    out += with;
    pos = at + find.size();
    ++done;
  }
  out.append(s, pos, std::string::npos);
  return Variant::Str(out);
}
Variant MakeArray(std::vector<Variant> items, VarType type = VarType::Variant) {
  auto array = std::make_shared<VariantArray>();
  array->element_type = type;
  array->bounds = {ArrayBound{0, static_cast<int32_t>(items.size())}};
  array->items = std::move(items);
  return Variant::Array(std::move(array));
}
Variant Split(Interp&, Args a) {
  if (a[0].is_null()) Raise(err::kInvalidNull);
  std::string s = S(a[0]);
  std::string delim = Has(a, 1) ? S(a[1]) : " ";
  int64_t limit = Has(a, 2) ? L(a[2]) : -1;
  bool text = TextCompare(a, 3);
  std::vector<Variant> parts;
  if (s.empty() || limit == 0) return MakeArray({}, VarType::String);
  if (delim.empty()) return MakeArray({Variant::Str(s)}, VarType::String);
  size_t pos = 0;
  while (true) {
    if (limit > 0 && static_cast<int64_t>(parts.size()) == limit - 1) break;
    size_t at = Find(s, delim, pos, text);
    if (at == std::string::npos) break;
    parts.push_back(Variant::Str(s.substr(pos, at - pos)));
    pos = at + delim.size();
  }
  parts.push_back(Variant::Str(s.substr(pos)));
  return MakeArray(std::move(parts), VarType::String);
}
Variant Join(Interp&, Args a) {
  if (!a[0].is_array()) Raise(err::kTypeMismatch);
  const VariantArray& array = *a[0].array();
  if (array.dims() > 1) Raise(err::kTypeMismatch);
  std::string delim = Has(a, 1) ? S(a[1]) : " ";
  std::string out;
  for (size_t i = 0; i < array.items.size(); ++i) {
    if (i) out += delim;
    if (!array.items[i].is_null()) AppendStr(out, array.items[i]);
  }
  return Variant::Str(out);
}
Variant StrComp(Interp&, Args a) {
  if (AnyNull(a, 2)) return Variant::Null();
  return Variant::Integer(static_cast<int16_t>(
      CompareValues(Variant::Str(S(a[0])), Variant::Str(S(a[1])), TextCompare(a, 2))));
}
Variant StrReverse(Interp&, Args a) {
  std::string s = S(a[0]);
  std::reverse(s.begin(), s.end());
  return Variant::Str(s);
}
Variant Format(Interp&, Args a) {
  return Variant::Str(FormatValue(a[0], Has(a, 1) ? S(a[1]) : ""));
}

// ---- conversions
Variant CStr(Interp&, Args a) {
  return Variant::Str(S(a[0]));
}
Variant CInt(Interp&, Args a) {
  return Variant::Integer(ToInteger(a[0]));
}
Variant CLng(Interp&, Args a) {
  return Variant::Long(ToLong(a[0]));
}
Variant CLngLng(Interp&, Args a) {
  return Variant::LongLong(ToInt64(a[0]));
}
Variant CDbl(Interp&, Args a) {
  return Variant::Double(D(a[0]));
}
Variant CSng(Interp&, Args a) {
  return ConvertTo(a[0], VarType::Single);
}
Variant CBool(Interp&, Args a) {
  return Variant::Bool(ToBool(a[0]));
}
Variant CDate(Interp&, Args a) {
  return Variant::Date(ToDate(a[0]));
}
Variant CVar(Interp&, Args a) {
  return a[0];
}
Variant CByte(Interp&, Args a) {
  int64_t n = ToInt64(a[0]);
  if (n < 0 || n > 255) Raise(err::kOverflow);
  return Variant::Integer(static_cast<int16_t>(n));
}
Variant Val(Interp&, Args a) {
  std::string s;
  for (char c : S(a[0])) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
  }
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'h' || s[1] == 'H' || s[1] == 'o' || s[1] == 'O')) {
    char* end = nullptr;
    long long v = std::strtoll(s.c_str() + 2, &end, s[1] == 'h' || s[1] == 'H' ? 16 : 8);
    return Variant::Double(static_cast<double>(v));
  }
  // The longest leading piece that reads as a number.
  size_t k = 0;
  if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
  while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
    ++k;
  if (k < s.size() && s[k] == '.') {
    ++k;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
      ++k;
  }
  if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
    size_t e = k + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    if (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) {
      while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e])))
        ++e;
      k = e;
    }
  }
  size_t start = k > 0 && (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (k == start || (k == start + 1 && s[start] == '.')) return Variant::Double(0);
  return Variant::Double(DecimalValue(s.substr(0, k)));
}
Variant Str(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  std::string s = ToStr(Variant::Double(D(a[0])));
  if (a[0].is_integral()) s = ToStr(a[0]);
  return Variant::Str(s[0] == '-' ? s : " " + s);
}
Variant Hex(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  int64_t n = ToInt64(a[0]);
  char buffer[24];
  if (a[0].type() == VarType::Integer && n < 0) {
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(static_cast<uint16_t>(n)));
  } else if (n >= INT32_MIN && n <= UINT32_MAX && n < 0) {
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<uint32_t>(n));
  } else {
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(n));
  }
  return Variant::Str(buffer);
}
Variant Oct(Interp&, Args a) {
  int64_t n = ToInt64(a[0]);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%llo",
                static_cast<unsigned long long>(n < 0 ? static_cast<uint32_t>(n) : n));
  return Variant::Str(buffer);
}
Variant Rounded(const Variant& v, double (*fn)(double)) {
  if (v.is_null()) return Variant::Null();
  if (v.is_integral()) return v;
  if (v.is_string()) return Variant::Double(fn(D(v)));
  if (v.type() == VarType::Boolean) return Variant::Integer(v.bool_value() ? -1 : 0);
  double r = fn(D(v));
  if (v.type() == VarType::Single) return Variant::Single(r);
  if (v.type() == VarType::Date) return Variant::Date(r);
  return Variant::Double(r);
}
Variant Int(Interp&, Args a) {
  return Rounded(a[0], [](double d) { return std::floor(d); });
}
Variant Fix(Interp&, Args a) {
  return Rounded(a[0], [](double d) { return std::trunc(d); });
}
Variant Round(Interp&, Args a) {
  int64_t places = Has(a, 1) ? L(a[1]) : 0;
  if (places < 0 || places > 22) Raise(err::kInvalidCall);
  if (a[0].is_integral()) return a[0];
  double scale = std::pow(10.0, static_cast<double>(places));
  double v = D(a[0]) * scale;
  double r = std::nearbyint(v);
  // Values like 2.675 * 100 land just below the half; round as written.
  double again = DecimalValue(GeneralText(v, 15));
  r = std::nearbyint(again);
  return Variant::Double(r / scale);
}

// ---- math
Variant Abs(Interp&, Args a) {
  const Variant& v = a[0];
  if (v.is_null()) return Variant::Null();
  if (v.is_integral()) {
    if (v.int_value() == INT64_MIN) Raise(err::kOverflow);
    return Variant::FittingInt(std::llabs(v.int_value()));
  }
  return Variant::Double(std::fabs(D(v)));
}
Variant Sgn(Interp&, Args a) {
  double d = D(a[0]);
  return Variant::Integer(static_cast<int16_t>(d > 0 ? 1 : (d < 0 ? -1 : 0)));
}
Variant Sqr(Interp&, Args a) {
  double d = D(a[0]);
  if (d < 0) Raise(err::kInvalidCall);
  return Variant::Double(std::sqrt(d));
}
Variant Exp(Interp&, Args a) {
  double r = std::exp(D(a[0]));
  if (std::isinf(r)) Raise(err::kOverflow);
  return Variant::Double(r);
}
Variant Log(Interp&, Args a) {
  double d = D(a[0]);
  if (d <= 0) Raise(err::kInvalidCall);
  return Variant::Double(std::log(d));
}
Variant Sin(Interp&, Args a) {
  return Variant::Double(std::sin(D(a[0])));
}
Variant Cos(Interp&, Args a) {
  return Variant::Double(std::cos(D(a[0])));
}
Variant Tan(Interp&, Args a) {
  return Variant::Double(std::tan(D(a[0])));
}
Variant Atn(Interp&, Args a) {
  return Variant::Double(std::atan(D(a[0])));
}
Variant Rnd(Interp& in, Args a) {
  std::optional<double> arg;
  if (Has(a, 0)) arg = D(a[0]);
  return Variant::Single(in.NextRandom(arg));
}
Variant Randomize(Interp& in, Args a) {
  std::optional<double> seed;
  if (Has(a, 0)) seed = D(a[0]);
  in.Randomize(seed);
  return Variant();
}

// ---- dates
Variant Now(Interp&, Args) {
  return Variant::Date(NowAsDate());
}
Variant DateFn(Interp&, Args) {
  return Variant::Date(std::floor(NowAsDate()));
}
Variant TimeFn(Interp&, Args) {
  double now = NowAsDate();
  return Variant::Date(now - std::floor(now));
}
Variant Timer(Interp&, Args) {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  double ms =
      static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return Variant::Single(local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ms / 1000.0);
}
DateParts Parts(const Variant& v) {
  return SplitDate(ToDate(v));
}
Variant Year(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Variant::Integer(static_cast<int16_t>(Parts(a[0]).year));
}
Variant Month(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Variant::Integer(static_cast<int16_t>(Parts(a[0]).month));
}
Variant Day(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Variant::Integer(static_cast<int16_t>(Parts(a[0]).day));
}
Variant Hour(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Variant::Integer(static_cast<int16_t>(Parts(a[0]).hour));
}
Variant Minute(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Variant::Integer(static_cast<int16_t>(Parts(a[0]).minute));
}
Variant Second(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  return Variant::Integer(static_cast<int16_t>(Parts(a[0]).second));
}
int FirstDay(Args a, size_t i) {
  int first = Has(a, i) ? static_cast<int>(L(a[i])) : 1;
  if (first == 0) first = 1;
  if (first < 1 || first > 7) Raise(err::kInvalidCall);
  return first;
}
Variant Weekday(Interp&, Args a) {
  if (a[0].is_null()) return Variant::Null();
  int first = FirstDay(a, 1);
  int w = WeekdayOf(ToDate(a[0]));
  return Variant::Integer(static_cast<int16_t>((w - first + 7) % 7 + 1));
}
Variant DateSerial(Interp&, Args a) {
  int year = static_cast<int>(L(a[0]));
  if (year >= 0 && year < 100) year += year < 30 ? 2000 : 1900;
  return Variant::Date(DateFromParts(year, static_cast<int>(L(a[1])), static_cast<int>(L(a[2]))));
}
Variant TimeSerial(Interp&, Args a) {
  double t = TimeFromParts(static_cast<int>(L(a[0])), static_cast<int>(L(a[1])),
                           static_cast<int>(L(a[2])));
  return Variant::Date(t);
}
Variant DateValue(Interp&, Args a) {
  return Variant::Date(std::floor(ToDate(a[0])));
}
Variant TimeValue(Interp&, Args a) {
  double d = ToDate(a[0]);
  return Variant::Date(d - std::floor(d));
}

std::string Interval(const Variant& v) {
  std::string s = LowerStr(S(v));
  static const char* const kKnown[] = {"yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s"};
  for (const char* k : kKnown) {
    if (s == k) return s;
  }
  Raise(err::kInvalidCall, "Invalid procedure call or argument: unknown interval \"" + S(v) + "\"");
}

double AddMonths(double date, int64_t months) {
  DateParts p = SplitDate(date);
  double time = date - std::floor(date);
  int64_t total = p.month - 1 + months;
  int year = p.year + static_cast<int>(std::floor(total / 12.0));
  int month = static_cast<int>(((total % 12) + 12) % 12) + 1;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int last = kDays[month - 1];
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) last = 29;
  return DateFromParts(year, month, std::min(p.day, last)) + time;
}

Variant DateAdd(Interp&, Args a) {
  std::string unit = Interval(a[0]);
  double n = D(a[1]);
  double date = ToDate(a[2]);
  int64_t whole = static_cast<int64_t>(std::trunc(n));
  double r;
  if (unit == "yyyy")
    r = AddMonths(date, whole * 12);
  else if (unit == "q")
    r = AddMonths(date, whole * 3);
  else if (unit == "m")
    r = AddMonths(date, whole);
  else if (unit == "y" || unit == "d" || unit == "w")
    r = date + static_cast<double>(whole);
  else if (unit == "ww")
    r = date + static_cast<double>(whole) * 7;
  else if (unit == "h")
    r = date + static_cast<double>(whole) / 24.0;
  else if (unit == "n")
    r = date + static_cast<double>(whole) / 1440.0;
  else
    r = date + static_cast<double>(whole) / 86400.0;
  return Variant::Date(r);
}

Variant DateDiff(Interp&, Args a) {
  std::string unit = Interval(a[0]);
  double d1 = ToDate(a[1]), d2 = ToDate(a[2]);
  DateParts p1 = SplitDate(d1), p2 = SplitDate(d2);
  int64_t r = 0;
  auto seconds = [](double d) { return static_cast<int64_t>(std::llround(d * 86400.0)); };
  auto floor_div = [](int64_t x, int64_t y) { return x >= 0 ? x / y : -((-x + y - 1) / y); };
  if (unit == "yyyy")
    r = p2.year - p1.year;
  else if (unit == "q")
    r = (p2.year - p1.year) * 4 + ((p2.month - 1) / 3 - (p1.month - 1) / 3);
  else if (unit == "m")
    r = (p2.year - p1.year) * 12 + (p2.month - p1.month);
  else if (unit == "y" || unit == "d")
    r = static_cast<int64_t>(std::floor(d2) - std::floor(d1));
  else if (unit == "w")
    r = static_cast<int64_t>(std::floor(d2) - std::floor(d1)) / 7;
  else if (unit == "ww") {
    int first = FirstDay(a, 3);
    auto week_start = [first](double d) {
      double day = std::floor(d);
      int w = WeekdayOf(day);
      return day - ((w - first + 7) % 7);
    };
    r = static_cast<int64_t>(week_start(d2) - week_start(d1)) / 7;
  } else if (unit == "h")
    r = floor_div(seconds(d2), 3600) - floor_div(seconds(d1), 3600);
  else if (unit == "n")
    r = floor_div(seconds(d2), 60) - floor_div(seconds(d1), 60);
  else
    r = seconds(d2) - seconds(d1);
  return Variant::FittingInt(r).type() == VarType::Integer ? Variant::Long(static_cast<int32_t>(r))
                                                           : Variant::FittingInt(r);
}

Variant DatePart(Interp&, Args a) {
  std::string unit = Interval(a[0]);
  double d = ToDate(a[1]);
  DateParts p = SplitDate(d);
  int r = 0;
  if (unit == "yyyy")
    r = p.year;
  else if (unit == "q")
    r = (p.month - 1) / 3 + 1;
  else if (unit == "m")
    r = p.month;
  else if (unit == "y")
    r = static_cast<int>(std::floor(d) - DateFromParts(p.year, 1, 1)) + 1;
  else if (unit == "d")
    r = p.day;
  else if (unit == "w")
    r = (WeekdayOf(d) - FirstDay(a, 2) + 7) % 7 + 1;
  else if (unit == "ww") {
    double jan1 = DateFromParts(p.year, 1, 1);
    int first = FirstDay(a, 2);
    r = static_cast<int>((std::floor(d) - jan1 + ((WeekdayOf(jan1) - first + 7) % 7)) / 7) + 1;
  } else if (unit == "h")
    r = p.hour;
  else if (unit == "n")
    r = p.minute;
  else
    r = p.second;
  return Variant::Integer(static_cast<int16_t>(r));
}

Variant MonthName(Interp&, Args a) {
  static const char* const kNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};
  int64_t m = L(a[0]);
  if (m < 1 || m > 12) Raise(err::kInvalidCall);
  std::string name = kNames[m - 1];
  if (Has(a, 1) && ToBool(a[1])) name = name.substr(0, 3);
  return Variant::Str(name);
}
Variant WeekdayName(Interp&, Args a) {
  static const char* const kNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
  int64_t w = L(a[0]);
  if (w < 1 || w > 7) Raise(err::kInvalidCall);
  int first = FirstDay(a, 2);
  std::string name = kNames[(w - 1 + first - 1) % 7];
  if (Has(a, 1) && ToBool(a[1])) name = name.substr(0, 3);
  return Variant::Str(name);
}

// ---- type tests
Variant IsNumeric(Interp&, Args a) {
  const Variant& v = a[0];
  if (IsNumber(v) && v.type() != VarType::Date) return Variant::Bool(true);
  if (v.is_empty()) return Variant::Bool(true);
  double d;
  return Variant::Bool(v.is_string() && ParseNumber(v.str(), &d));
}
Variant IsDate(Interp&, Args a) {
  const Variant& v = a[0];
  if (v.type() == VarType::Date) return Variant::Bool(true);
  return Variant::Bool(v.is_string() && ParseDate(v.str()).has_value());
}
Variant IsEmpty(Interp&, Args a) {
  return Variant::Bool(a[0].is_empty());
}
Variant IsNull(Interp&, Args a) {
  return Variant::Bool(a[0].is_null());
}
Variant IsArray(Interp&, Args a) {
  return Variant::Bool(a[0].is_array());
}
Variant IsObject(Interp&, Args a) {
  return Variant::Bool(a[0].is_object());
}
Variant IsMissing(Interp&, Args a) {
  return Variant::Bool(IsMissingArg(a[0]));
}
Variant IsError(Interp&, Args a) {
  return Variant::Bool(a[0].type() == VarType::Error);
}
Variant TypeNameFn(Interp&, Args a) {
  return Variant::Str(TypeName(a[0]));
}
Variant VarTypeFn(Interp&, Args a) {
  return Variant::Integer(static_cast<int16_t>(VarTypeOf(a[0])));
}

// ---- arrays and choices
Variant ArrayFn(Interp&, Args a) {
  std::vector<Variant> items(a.begin(), a.end());
  return MakeArray(std::move(items));
}
const VariantArray& NeedArray(const Variant& v) {
  if (!v.is_array()) Raise(err::kTypeMismatch);
  return *v.array();
}
Variant Bound(Args a, bool upper) {
  const VariantArray& array = NeedArray(a[0]);
  int64_t dim = Has(a, 1) ? L(a[1]) : 1;
  if (dim < 1 || dim > array.dims()) Raise(err::kSubscript);
  const ArrayBound& b = array.bounds[static_cast<size_t>(dim - 1)];
  return Variant::Long(upper ? b.upper() : b.lower);
}
Variant LBound(Interp&, Args a) {
  return Bound(a, false);
}
Variant UBound(Interp&, Args a) {
  return Bound(a, true);
}
Variant IIf(Interp&, Args a) {
  return !a[0].is_null() && ToBool(a[0]) ? a[1] : a[2];
}
Variant Choose(Interp&, Args a) {
  int64_t i = L(a[0]);
  if (i < 1 || i >= static_cast<int64_t>(a.size())) return Variant::Null();
  return a[static_cast<size_t>(i)];
}
Variant ErrorFn(Interp& in, Args a) {
  if (!Has(a, 0)) return Variant::Str(in.err().description);
  return Variant::Str(ErrorText(static_cast<int>(L(a[0]))));
}
Variant Rgb(Interp&, Args a) {
  auto c = [](const Variant& v) { return std::clamp<int64_t>(ToInt64(v), 0, 255); };
  return Variant::Long(static_cast<int32_t>(c(a[0]) | (c(a[1]) << 8) | (c(a[2]) << 16)));
}

// ---- files
bool WildMatch(const std::string& name, const std::string& pattern) {
  return Like(name, pattern, true);
}
bool HasWildcards(const std::string& s) {
  return s.find_first_of("*?") != std::string::npos;
}

void SplitPath(const std::string& full, std::string* dir, std::string* name) {
  size_t slash = full.rfind('/');
  if (slash == std::string::npos) {
    *dir = ".";
    *name = full;
  } else {
    *dir = slash == 0 ? "/" : full.substr(0, slash);
    *name = full.substr(slash + 1);
  }
}

std::vector<std::string> Matches(const std::string& full, bool with_dirs) {
  std::string dir, pattern;
  SplitPath(full, &dir, &pattern);
  if (pattern == "*.*") pattern = "*";
  std::vector<std::string> out;
  if (!HasWildcards(pattern)) {
    struct stat st {};
    if (!pattern.empty() && stat(full.c_str(), &st) == 0 && (with_dirs || !S_ISDIR(st.st_mode)))
      out.push_back(pattern);
    return out;
  }
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (dirent* entry = readdir(d)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!WildMatch(name, pattern)) continue;
    struct stat st {};
    std::string path = dir + "/" + name;
    if (stat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode) && !with_dirs) continue;
    out.push_back(name);
  }
  closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

Variant Dir(Interp& in, Args a) {
  std::vector<std::string>& pending = in.dir_matches();
  if (Has(a, 0)) {
    bool with_dirs = Has(a, 1) && (L(a[1]) & 16);
    std::string pattern = S(a[0]);
    if (pattern.empty()) pattern = "*";
    std::string full = in.FullPath(pattern);
    struct stat st {};
    if (!HasWildcards(pattern) && stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
        !pattern.empty() && pattern.back() == '/')
      full += "*";
    pending = Matches(full, with_dirs);
    std::reverse(pending.begin(), pending.end());
  }
  if (pending.empty()) return Variant::Str("");
  std::string next = pending.back();
  pending.pop_back();
  return Variant::Str(next);
}
Variant Kill(Interp& in, Args a) {
  std::string full = in.FullPath(S(a[0]));
  std::string dir, name;
  SplitPath(full, &dir, &name);
  std::vector<std::string> names = Matches(full, false);
  if (names.empty()) Raise(err::kFileNotFound, "File not found: " + S(a[0]));
  for (const std::string& n : names) {
    std::string path = HasWildcards(name) ? dir + "/" + n : full;
    if (std::remove(path.c_str()) != 0) Raise(err::kPermissionDenied, "Permission denied: " + path);
  }
  return Variant();
}
Variant FileCopy(Interp& in, Args a) {
  std::string from = in.FullPath(S(a[0])), to = in.FullPath(S(a[1]));
  std::ifstream src(from, std::ios::binary);
  if (!src) Raise(err::kFileNotFound, "File not found: " + from);
  std::ofstream dst(to, std::ios::binary | std::ios::trunc);
  if (!dst) Raise(err::kPathNotFound, "Path not found: " + to);
  dst << src.rdbuf();
  if (!dst) Raise(57, "Device I/O error: " + to);
  return Variant();
}
Variant MkDir(Interp& in, Args a) {
  std::string path = in.FullPath(S(a[0]));
  if (mkdir(path.c_str(), 0777) != 0)
    Raise(err::kPathFileAccess, "Path/File access error: " + path);
  return Variant();
}
Variant RmDir(Interp& in, Args a) {
  std::string path = in.FullPath(S(a[0]));
  if (rmdir(path.c_str()) != 0) {
    if (errno == ENOENT) Raise(err::kPathNotFound, "Path not found: " + path);
    Raise(err::kPathFileAccess, "Path/File access error: " + path);
  }
  return Variant();
}
Variant FileLen(Interp& in, Args a) {
  std::string path = in.FullPath(S(a[0]));
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) Raise(err::kFileNotFound, "File not found: " + path);
  return Variant::FittingInt(st.st_size).type() == VarType::Integer
             ? Variant::Long(static_cast<int32_t>(st.st_size))
             : Variant::FittingInt(st.st_size);
}
Variant FileDateTime(Interp& in, Args a) {
  std::string path = in.FullPath(S(a[0]));
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) Raise(err::kFileNotFound, "File not found: " + path);
  std::tm local{};
  localtime_r(&st.st_mtime, &local);
  return Variant::Date(DateFromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
                       TimeFromParts(local.tm_hour, local.tm_min, local.tm_sec));
}
Variant CurDir(Interp& in, Args) {
  return Variant::Str(in.current_dir());
}
Variant ChDir(Interp& in, Args a) {
  std::string path = in.FullPath(S(a[0]));
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    Raise(err::kPathNotFound, "Path not found: " + path);
  char resolved[4096];
  in.current_dir() = realpath(path.c_str(), resolved) ? resolved : path;
  return Variant();
}
Variant Eof(Interp& in, Args a) {
  return Variant::Bool(in.files().AtEnd(static_cast<int>(L(a[0]))));
}
Variant Lof(Interp& in, Args a) {
  return Variant::FittingInt(in.files().Length(static_cast<int>(L(a[0]))));
}
Variant FreeFile(Interp& in, Args) {
  return Variant::Integer(static_cast<int16_t>(in.files().FreeNumber()));
}

// ---- system
Variant Environ(Interp&, Args a) {
  if (IsNumber(a[0])) {
    int64_t n = L(a[0]);
    if (n < 1) Raise(err::kInvalidCall);
    for (int64_t i = 1; environ && environ[i - 1]; ++i) {
      if (i == n) return Variant::Str(environ[i - 1]);
    }
    return Variant::Str("");
  }
  const char* value = std::getenv(S(a[0]).c_str());
  return Variant::Str(value ? value : "");
}
// Starts the command without waiting for it. A helper shell puts it in the
// background and reports its process id, so the started program is never
// left behind as an unreaped child of the host.
Variant Shell(Interp& in, Args a) {
  std::string command = S(a[0]);
  if (command.empty()) Raise(err::kInvalidCall);
  int report[2];
  if (pipe(report) != 0) Raise(err::kOutOfMemory);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, in.current_dir().c_str());
  posix_spawn_file_actions_addclose(&actions, report[0]);
  posix_spawn_file_actions_adddup2(&actions, report[1], 3);
  const char* argv[] = {
      "/bin/sh",       "-c",   "/bin/sh -c \"$1\" 3>&- </dev/null & echo $! >&3", "sh",
      command.c_str(), nullptr};
  pid_t helper = 0;
  int rc =
      posix_spawn(&helper, "/bin/sh", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(report[1]);
  std::string text;
  if (rc == 0) {
    char buffer[32];
    ssize_t n;
    while ((n = read(report[0], buffer, sizeof buffer)) > 0)
      text.append(buffer, static_cast<size_t>(n));
    waitpid(helper, nullptr, 0);
  }
  close(report[0]);
  double pid = 0;
  if (rc != 0 || !ParseNumber(text, &pid) || pid <= 0)
    Raise(err::kFileNotFound, "File not found: " + command);
  return Variant::Double(pid);
}
Variant Wait(Interp& in, Args a) {
  double seconds = D(a[0]);
  if (seconds < 0) Raise(err::kInvalidCall);
  in.Pause(seconds);
  return Variant();
}
Variant Sleep(Interp& in, Args a) {
  double ms = D(a[0]);
  if (ms < 0) Raise(err::kInvalidCall);
  in.Pause(ms / 1000.0);
  return Variant();
}
Variant Beep(Interp&, Args) {
  return Variant();
}
Variant DoEvents(Interp& in, Args) {
  if (in.host().do_events) in.host().do_events();
  in.Poll();
  return Variant::Integer(0);
}

// ---- user interface
Variant MsgBox(Interp& in, Args a) {
  std::string prompt = a[0].is_null() ? "Null" : S(a[0]);
  int buttons = Has(a, 1) ? static_cast<int>(L(a[1])) : 0;
  std::string title = Has(a, 2) ? S(a[2]) : "Runvane BASIC";
  if (in.host().message_box)
    return Variant::Integer(static_cast<int16_t>(in.host().message_box(prompt, buttons, title)));
  // Without a user interface the prompt goes to the output and the default
  // button answers.
  in.PrintLine(prompt);
  static const int kFirst[][3] = {{1, 1, 1}, {1, 2, 2}, {3, 4, 5}, {6, 7, 2}, {6, 7, 7}, {4, 2, 2}};
  int set = buttons & 7;
  int which = (buttons >> 8) & 3;
  if (set > 5 || which > 2) return Variant::Integer(1);
  return Variant::Integer(static_cast<int16_t>(kFirst[set][which]));
}
Variant InputBox(Interp& in, Args a) {
  std::string prompt = S(a[0]);
  std::string title = Has(a, 1) ? S(a[1]) : "Runvane BASIC";
  std::string fallback = Has(a, 2) ? S(a[2]) : "";
  if (!in.host().input_box) return Variant::Str(fallback);
  std::optional<std::string> answer = in.host().input_box(prompt, title, fallback);
  return Variant::Str(answer ? *answer : "");
}
Variant CreateObject(Interp& in, Args a) {
  std::string progid = S(a[0]);
  std::string error;
  ComPtr<IDispatch> object;
  if (in.host().create_object) object = in.host().create_object(progid, &error);
  if (!object) {
    Raise(err::kCantCreateObject,
          "Cannot create object " + progid + (error.empty() ? "" : ": " + error));
  }
  return Variant::Object(object.get());
}

#define B(name, min, max, fn, spelling) \
  { name, min, max, fn, spelling }
const Builtin kBuiltins[] = {
    B("len", 1, 1, Len, "Len"),
    B("left", 2, 2, Left, "Left"),
    B("right", 2, 2, Right, "Right"),
    B("mid", 2, 3, Mid, "Mid"),
    B("instr", 2, 4, InStr, "InStr"),
    B("instrrev", 2, 4, InStrRev, "InStrRev"),
    B("lcase", 1, 1, LCase, "LCase"),
    B("ucase", 1, 1, UCase, "UCase"),
    B("ltrim", 1, 1, LTrim, "LTrim"),
    B("rtrim", 1, 1, RTrim, "RTrim"),
    B("trim", 1, 1, Trim, "Trim"),
    B("space", 1, 1, Space, "Space"),
    B("spc", 1, 1, Spc, "Spc"),
    B("tab", 0, 1, Tab, "Tab"),
    B("string", 2, 2, StringFn, "String"),
    B("chr", 1, 1, Chr, "Chr"),
    B("chrw", 1, 1, Chr, "ChrW"),
    B("asc", 1, 1, Asc, "Asc"),
    B("ascw", 1, 1, Asc, "AscW"),
    B("replace", 3, 6, Replace, "Replace"),
    B("split", 1, 4, Split, "Split"),
    B("join", 1, 2, Join, "Join"),
    B("strcomp", 2, 3, StrComp, "StrComp"),
    B("strreverse", 1, 1, StrReverse, "StrReverse"),
    B("format", 1, 2, Format, "Format"),
    B("cstr", 1, 1, CStr, "CStr"),
    B("cint", 1, 1, CInt, "CInt"),
    B("clng", 1, 1, CLng, "CLng"),
    B("clnglng", 1, 1, CLngLng, "CLngLng"),
    B("cdbl", 1, 1, CDbl, "CDbl"),
    B("csng", 1, 1, CSng, "CSng"),
    B("ccur", 1, 1, CDbl, "CCur"),
    B("cbool", 1, 1, CBool, "CBool"),
    B("cdate", 1, 1, CDate, "CDate"),
    B("cvdate", 1, 1, CDate, "CVDate"),
    B("cvar", 1, 1, CVar, "CVar"),
    B("cbyte", 1, 1, CByte, "CByte"),
    B("val", 1, 1, Val, "Val"),
    B("str", 1, 1, Str, "Str"),
    B("hex", 1, 1, Hex, "Hex"),
    B("oct", 1, 1, Oct, "Oct"),
    B("int", 1, 1, Int, "Int"),
    B("fix", 1, 1, Fix, "Fix"),
    B("round", 1, 2, Round, "Round"),
    B("abs", 1, 1, Abs, "Abs"),
    B("sgn", 1, 1, Sgn, "Sgn"),
    B("sqr", 1, 1, Sqr, "Sqr"),
    B("exp", 1, 1, Exp, "Exp"),
    B("log", 1, 1, Log, "Log"),
    B("sin", 1, 1, Sin, "Sin"),
    B("cos", 1, 1, Cos, "Cos"),
    B("tan", 1, 1, Tan, "Tan"),
    B("atn", 1, 1, Atn, "Atn"),
    B("rnd", 0, 1, Rnd, "Rnd"),
    B("randomize", 0, 1, Randomize, "Randomize"),
    B("now", 0, 0, Now, "Now"),
    B("date", 0, 0, DateFn, "Date"),
    B("time", 0, 0, TimeFn, "Time"),
    B("timer", 0, 0, Timer, "Timer"),
    B("year", 1, 1, Year, "Year"),
    B("month", 1, 1, Month, "Month"),
    B("day", 1, 1, Day, "Day"),
    B("hour", 1, 1, Hour, "Hour"),
    B("minute", 1, 1, Minute, "Minute"),
    B("second", 1, 1, Second, "Second"),
    B("weekday", 1, 2, Weekday, "Weekday"),
    B("dateadd", 3, 3, DateAdd, "DateAdd"),
    B("datediff", 3, 5, DateDiff, "DateDiff"),
    B("datepart", 2, 4, DatePart, "DatePart"),
    B("dateserial", 3, 3, DateSerial, "DateSerial"),
    B("timeserial", 3, 3, TimeSerial, "TimeSerial"),
    B("datevalue", 1, 1, DateValue, "DateValue"),
    B("timevalue", 1, 1, TimeValue, "TimeValue"),
    B("monthname", 1, 2, MonthName, "MonthName"),
    B("weekdayname", 1, 3, WeekdayName, "WeekdayName"),
    B("isnumeric", 1, 1, IsNumeric, "IsNumeric"),
    B("isdate", 1, 1, IsDate, "IsDate"),
    B("isempty", 1, 1, IsEmpty, "IsEmpty"),
    B("isnull", 1, 1, IsNull, "IsNull"),
    B("isarray", 1, 1, IsArray, "IsArray"),
    B("isobject", 1, 1, IsObject, "IsObject"),
    B("ismissing", 1, 1, IsMissing, "IsMissing"),
    B("iserror", 1, 1, IsError, "IsError"),
    B("typename", 1, 1, TypeNameFn, "TypeName"),
    B("vartype", 1, 1, VarTypeFn, "VarType"),
    B("array", 0, -1, ArrayFn, "Array"),
    B("lbound", 1, 2, LBound, "LBound"),
    B("ubound", 1, 2, UBound, "UBound"),
    B("iif", 3, 3, IIf, "IIf"),
    B("choose", 2, -1, Choose, "Choose"),
    B("error", 0, 1, ErrorFn, "Error"),
    B("rgb", 3, 3, Rgb, "RGB"),
    B("dir", 0, 2, Dir, "Dir"),
    B("kill", 1, 1, Kill, "Kill"),
    B("filecopy", 2, 2, FileCopy, "FileCopy"),
    B("mkdir", 1, 1, MkDir, "MkDir"),
    B("rmdir", 1, 1, RmDir, "RmDir"),
    B("filelen", 1, 1, FileLen, "FileLen"),
    B("filedatetime", 1, 1, FileDateTime, "FileDateTime"),
    B("curdir", 0, 1, CurDir, "CurDir"),
    B("chdir", 1, 1, ChDir, "ChDir"),
    B("eof", 1, 1, Eof, "EOF"),
    B("lof", 1, 1, Lof, "LOF"),
    B("freefile", 0, 1, FreeFile, "FreeFile"),
    B("environ", 1, 1, Environ, "Environ"),
    B("shell", 1, 2, Shell, "Shell"),
    B("wait", 1, 1, Wait, "Wait"),
    B("sleep", 1, 1, Sleep, "Sleep"),
    B("beep", 0, 0, Beep, "Beep"),
    B("doevents", 0, 0, DoEvents, "DoEvents"),
    B("msgbox", 1, 5, MsgBox, "MsgBox"),
    B("inputbox", 1, 5, InputBox, "InputBox"),
    B("createobject", 1, 2, CreateObject, "CreateObject"),
};
#undef B

struct NamedConstant {
  const char* name;
  Variant (*make)();
};

}  // namespace

const Builtin* FindBuiltin(std::string_view lower_name) {
  static const std::unordered_map<std::string_view, const Builtin*> index = [] {
    std::unordered_map<std::string_view, const Builtin*> m;
    for (const Builtin& b : kBuiltins)
      m.emplace(b.name, &b);
    return m;
  }();
  auto it = index.find(lower_name);
  return it == index.end() ? nullptr : it->second;
}

bool FindConstant(std::string_view name, Variant* value) {
  static const std::unordered_map<std::string_view, int32_t> numbers = {
      {"vbokonly", 0},
      {"vbokcancel", 1},
      {"vbabortretryignore", 2},
      {"vbyesnocancel", 3},
      {"vbyesno", 4},
      {"vbretrycancel", 5},
      {"vbcritical", 16},
      {"vbquestion", 32},
      {"vbexclamation", 48},
      {"vbinformation", 64},
      {"vbdefaultbutton1", 0},
      {"vbdefaultbutton2", 256},
      {"vbdefaultbutton3", 512},
      {"vbapplicationmodal", 0},
      {"vbsystemmodal", 4096},
      {"vbok", 1},
      {"vbcancel", 2},
      {"vbabort", 3},
      {"vbretry", 4},
      {"vbignore", 5},
      {"vbyes", 6},
      {"vbno", 7},
      {"vbbinarycompare", 0},
      {"vbtextcompare", 1},
      {"vbsunday", 1},
      {"vbmonday", 2},
      {"vbtuesday", 3},
      {"vbwednesday", 4},
      {"vbthursday", 5},
      {"vbfriday", 6},
      {"vbsaturday", 7},
      {"vbusesystemdayofweek", 0},
      {"vbnormal", 0},
      {"vbreadonly", 1},
      {"vbhidden", 2},
      {"vbsystem", 4},
      {"vbdirectory", 16},
      {"vbarchive", 32},
      {"vbhide", 0},
      {"vbnormalfocus", 1},
      {"vbminimizedfocus", 2},
      {"vbmaximizedfocus", 3},
      {"vbnormalnofocus", 4},
      {"vbminimizednofocus", 6},
      {"vbempty", 0},
      {"vbnull", 1},
      {"vbinteger", 2},
      {"vblong", 3},
      {"vbsingle", 4},
      {"vbdouble", 5},
      {"vbcurrency", 6},
      {"vbdate", 7},
      {"vbstring", 8},
      {"vbobject", 9},
      {"vberror", 10},
      {"vbboolean", 11},
      {"vbvariant", 12},
      {"vbbyte", 17},
      {"vblonglong", 20},
      {"vbarray", 8192},
      {"vbobjecterror", -2147221504},
      {"vbtrue", -1},
      {"vbfalse", 0},
      {"vbblack", 0},
      {"vbred", 255},
      {"vbgreen", 65280},
      {"vbblue", 16711680},
      {"vbwhite", 16777215},
  };
  static const std::unordered_map<std::string_view, const char*> texts = {
      {"vbcrlf", "\r\n"}, {"vbnewline", "\n"},  {"vbcr", "\r"},
      {"vblf", "\n"},     {"vbtab", "\t"},      {"vbnullstring", ""},
      {"vbback", "\b"},   {"vbformfeed", "\f"}, {"vbverticaltab", "\v"},
  };
  if (auto it = numbers.find(name); it != numbers.end()) {
    *value = Variant::FittingInt(it->second);
    return true;
  }
  if (auto it = texts.find(name); it != texts.end()) {
    *value = Variant::Str(it->second);
    return true;
  }
  if (name == "vbnullchar") {
    *value = Variant::Str(std::string(1, '\0'));
    return true;
  }
  return false;
}

}  // namespace rv::script
