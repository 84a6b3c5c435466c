#include "script/values.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "automation/dispatch.h"
#include "script/dates.h"
#include "script/script_error.h"

namespace rv::script {

namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

int64_t RoundEven(double d) {
  if (!(d >= -9.2233720368547758e18 && d < 9.2233720368547758e18)) Raise(err::kOverflow);
  return static_cast<int64_t>(std::nearbyint(d));  // default rounding mode: half to even
}

bool IntegralOperands(const Variant& a, const Variant& b) {
  auto integral = [](const Variant& v) {
    return v.is_integral() || v.type() == VarType::Boolean || v.is_empty();
  };
  return integral(a) && integral(b);
}

int64_t IntOf(const Variant& v) {
  if (v.type() == VarType::Boolean) return v.bool_value() ? -1 : 0;
  return v.int_value();  // Empty stores 0
}

int Rank(VarType t) {
  switch (t) {
    case VarType::LongLong:
      return 3;
    case VarType::Long:
      return 2;
    default:
      return 1;  // Integer, Boolean, Empty
  }
}

// The integer result in the wider operand type, widened further when it
// does not fit.
Variant IntResult(int64_t value, const Variant& a, const Variant& b) {
  int rank = std::max(Rank(a.type()), Rank(b.type()));
  if (rank <= 1 && value >= -32768 && value <= 32767)
    return Variant::Integer(static_cast<int16_t>(value));
  if (rank <= 2 && value >= INT32_MIN && value <= INT32_MAX)
    return Variant::Long(static_cast<int32_t>(value));
  return Variant::LongLong(value);
}

bool StringOrEmpty(const Variant& v) {
  return v.is_string() || v.is_empty();
}

// Numeric view of an operand for arithmetic: strings must read as numbers.
double Num(const Variant& v) {
  return ToDouble(v);
}

Variant Arith(BinOp op, const Variant& a, const Variant& b) {
  if (a.is_null() || b.is_null()) return Variant::Null();
  if (IntegralOperands(a, b)) {
    int64_t x = IntOf(a), y = IntOf(b), r = 0;
    switch (op) {
      case BinOp::Add:
        if (!__builtin_add_overflow(x, y, &r)) return IntResult(r, a, b);
        return Variant::Double(static_cast<double>(x) + static_cast<double>(y));
      case BinOp::Sub:
        if (!__builtin_sub_overflow(x, y, &r)) return IntResult(r, a, b);
        return Variant::Double(static_cast<double>(x) - static_cast<double>(y));
      case BinOp::Mul:
        if (!__builtin_mul_overflow(x, y, &r)) return IntResult(r, a, b);
        return Variant::Double(static_cast<double>(x) * static_cast<double>(y));
      default:
        break;
    }
  }
  bool date = (a.type() == VarType::Date || b.type() == VarType::Date) &&
              (op == BinOp::Add || op == BinOp::Sub);
  double x = Num(a), y = Num(b);
  switch (op) {
    case BinOp::Add:
      if (date) return Variant::Date(x + y);
      return Variant::Double(x + y);
    case BinOp::Sub:
      if (date && b.type() != VarType::Date) return Variant::Date(x - y);
      return Variant::Double(x - y);
    case BinOp::Mul:
      if (a.type() == VarType::Single && b.type() == VarType::Single) return Variant::Single(x * y);
      return Variant::Double(x * y);
    case BinOp::Div:
      if (y == 0) {
        if (x == 0) Raise(err::kOverflow);
        Raise(err::kDivisionByZero);
      }
      return Variant::Double(x / y);
    case BinOp::Pow: {
      if (x < 0 && y != std::floor(y)) Raise(err::kInvalidCall);
      double r = std::pow(x, y);
      if (std::isinf(r)) Raise(err::kOverflow);
      return Variant::Double(r);
    }
    default:
      break;
  }
  // \ and Mod work on whole numbers.
  int64_t p = a.is_integral() ? a.int_value() : RoundEven(x);
  int64_t q = b.is_integral() ? b.int_value() : RoundEven(y);
  if (q == 0) Raise(err::kDivisionByZero);
  Variant wa = a.is_integral() ? a : Variant::Long(0);
  Variant wb = b.is_integral() ? b : Variant::Long(0);
  if (op == BinOp::IntDiv) {
    if (p == INT64_MIN && q == -1) Raise(err::kOverflow);
    return IntResult(p / q, wa, wb);
  }
  return IntResult(p % q, wa, wb);
}

Variant Logic(BinOp op, const Variant& a, const Variant& b) {
  if (a.is_null() || b.is_null()) {
    // Null propagates except where the other operand decides the result.
    if (op == BinOp::And) {
      const Variant& other = a.is_null() ? b : a;
      if (!other.is_null() && ToInt64(other) == 0)
        return other.type() == VarType::Boolean ? Variant::Bool(false) : Variant::Integer(0);
    }
    if (op == BinOp::Or) {
      const Variant& other = a.is_null() ? b : a;
      if (!other.is_null() && other.type() == VarType::Boolean && other.bool_value())
        return Variant::Bool(true);
    }
    return Variant::Null();
  }
  bool booleans = a.type() == VarType::Boolean && b.type() == VarType::Boolean;
  int64_t x = a.type() == VarType::Boolean ? (a.bool_value() ? -1 : 0) : ToInt64(a);
  int64_t y = b.type() == VarType::Boolean ? (b.bool_value() ? -1 : 0) : ToInt64(b);
  int64_t r = 0;
  switch (op) {
    case BinOp::And:
      r = x & y;
      break;
    case BinOp::Or:
      r = x | y;
      break;
    case BinOp::Xor:
      r = x ^ y;
      break;
    case BinOp::Eqv:
      r = ~(x ^ y);
      break;
    case BinOp::Imp:
      r = ~x | y;
      break;
    default:
      break;
  }
  if (booleans) return Variant::Bool(r != 0);
  Variant wa = a.is_integral() ? a : Variant::Long(0);
  Variant wb = b.is_integral() ? b : Variant::Long(0);
  return IntResult(r, wa, wb);
}

bool LikeAt(std::string_view s, size_t si, std::string_view p, size_t pi, bool text) {
  while (pi < p.size()) {
    char c = p[pi];
    if (c == '*') {
      while (pi < p.size() && p[pi] == '*')
        ++pi;
      if (pi == p.size()) return true;
      for (size_t k = si; k <= s.size(); ++k) {
        if (LikeAt(s, k, p, pi, text)) return true;
      }
      return false;
    }
    if (si >= s.size()) return false;
    char ch = s[si];
    if (c == '?') {
      ++si;
      ++pi;
      continue;
    }
    if (c == '#') {
      if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
      ++si;
      ++pi;
      continue;
    }
    if (c == '[') {
      size_t close = p.find(']', pi + 1);
      if (close == std::string_view::npos) Raise(err::kInvalidCall, "Invalid pattern string");
      std::string_view set = p.substr(pi + 1, close - pi - 1);
      bool negate = !set.empty() && set[0] == '!';
      if (negate) set.remove_prefix(1);
      bool found = false;
      char cc = text ? Lower(ch) : ch;
      for (size_t k = 0; k < set.size(); ++k) {
        char lo = text ? Lower(set[k]) : set[k];
        char hi = lo;
        if (k + 2 < set.size() && set[k + 1] == '-') {
          hi = text ? Lower(set[k + 2]) : set[k + 2];
          k += 2;
        }
        if (cc >= lo && cc <= hi) found = true;
      }
      if (found == negate) return false;
      ++si;
      pi = close + 1;
      continue;
    }
    if (text ? Lower(c) != Lower(ch) : c != ch) return false;
    ++si;
    ++pi;
  }
  return si == s.size();
}

int CompareText(std::string_view a, std::string_view b, bool text) {
  if (!text) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
  }
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char x = Lower(a[i]), y = Lower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

bool ParseNumber(std::string_view text, double* value) {
  size_t i = 0, n = text.size();
  while (i < n && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  while (n > i && std::isspace(static_cast<unsigned char>(text[n - 1])))
    --n;
  if (i >= n) return false;
  std::string body(text.substr(i, n - i));
  if (body.size() > 2 && body[0] == '&' &&
      (body[1] == 'h' || body[1] == 'H' || body[1] == 'o' || body[1] == 'O')) {
    char* end = nullptr;
    long long v = std::strtoll(body.c_str() + 2, &end, body[1] == 'h' || body[1] == 'H' ? 16 : 8);
    if (*end != 0) return false;
    *value = static_cast<double>(v);
    return true;
  }
  // Only plain decimal notation: strtod would also take "inf", "nan" and hex.
  size_t k = 0;
  if (body[k] == '+' || body[k] == '-') ++k;
  bool digits = false;
  while (k < body.size() && std::isdigit(static_cast<unsigned char>(body[k]))) {
    ++k;
    digits = true;
  }
  if (k < body.size() && body[k] == '.') {
    ++k;
    while (k < body.size() && std::isdigit(static_cast<unsigned char>(body[k]))) {
      ++k;
      digits = true;
    }
  }
  if (!digits) return false;
  if (k < body.size() && (body[k] == 'e' || body[k] == 'E')) {
    size_t e = k + 1;
    if (e < body.size() && (body[e] == '+' || body[e] == '-')) ++e;
    if (e >= body.size() || !std::isdigit(static_cast<unsigned char>(body[e]))) return false;
    while (e < body.size() && std::isdigit(static_cast<unsigned char>(body[e])))
      ++e;
    k = e;
  }
  if (k != body.size()) return false;
  *value = DecimalValue(body);
  return true;
}

bool IsNumber(const Variant& v) {
  return v.is_integral() || v.is_real() || v.type() == VarType::Boolean;
}

double ToDouble(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return 0;
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
      return static_cast<double>(v.int_value());
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return v.real_value();
    case VarType::Boolean:
      return v.bool_value() ? -1 : 0;
    case VarType::String: {
      double d;
      if (ParseNumber(v.str(), &d)) return d;
      if (std::optional<double> date = ParseDate(v.str())) return *date;
      Raise(err::kTypeMismatch);
    }
    case VarType::Null:
      Raise(err::kInvalidNull);
    default:
      Raise(err::kTypeMismatch);
  }
}

int64_t ToInt64(const Variant& v) {
  if (v.is_integral()) return v.int_value();
  if (v.type() == VarType::Boolean) return v.bool_value() ? -1 : 0;
  if (v.is_empty()) return 0;
  return RoundEven(ToDouble(v));
}

int32_t ToLong(const Variant& v) {
  int64_t x = ToInt64(v);
  if (x < INT32_MIN || x > INT32_MAX) Raise(err::kOverflow);
  return static_cast<int32_t>(x);
}

int16_t ToInteger(const Variant& v) {
  int64_t x = ToInt64(v);
  if (x < -32768 || x > 32767) Raise(err::kOverflow);
  return static_cast<int16_t>(x);
}

bool ToBool(const Variant& v) {
  switch (v.type()) {
    case VarType::Boolean:
      return v.bool_value();
    case VarType::Empty:
      return false;
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
      return v.int_value() != 0;
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return v.real_value() != 0;
    case VarType::String: {
      std::string lower;
      for (char c : v.str())
        lower += Lower(c);
      if (lower == "true") return true;
      if (lower == "false") return false;
      double d;
      if (ParseNumber(v.str(), &d)) return d != 0;
      Raise(err::kTypeMismatch);
    }
    case VarType::Null:
      Raise(err::kInvalidNull);
    default:
      Raise(err::kTypeMismatch);
  }
}

double ToDate(const Variant& v) {
  if (v.is_string()) {
    if (std::optional<double> date = ParseDate(v.str())) return *date;
    double d;
    if (ParseNumber(v.str(), &d)) return d;
    Raise(err::kTypeMismatch);
  }
  return ToDouble(v);
}

double DecimalValue(std::string_view digits) {
  if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
  double value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc::result_out_of_range) {
    return digits[0] == '-' ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
  }
  (void)end;
  return value;
}

std::string GeneralText(double value, int precision) {
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  if (ec != std::errc()) return "0";
  std::string s(buffer, end);
  for (char& c : s) {
    if (c == 'e') c = 'E';
  }
  return s;
}

std::string FixedText(double value, int decimals) {
  char buffer[400];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return GeneralText(value, 15);
  return std::string(buffer, end);
}

std::string NumberText(double value) {
  if (value == 0) return "0";
  return GeneralText(value, 15);
}

void AppendStr(std::string& out, const Variant& v) {
  switch (v.type()) {
    case VarType::String:
      out += v.str();
      return;
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: {
      char buffer[24];
      int n = std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(v.int_value()));
      out.append(buffer, static_cast<size_t>(n));
      return;
    }
    default:
      out += ToStr(v);
  }
}

std::string ToStr(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return "";
    case VarType::String:
      return v.str();
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
      return std::to_string(v.int_value());
    case VarType::Single: {
      return v.real_value() == 0 ? "0" : GeneralText(v.real_value(), 7);
    }
    case VarType::Double:
      return NumberText(v.real_value());
    case VarType::Date:
      return DateText(v.real_value());
    case VarType::Boolean:
      return v.bool_value() ? "True" : "False";
    case VarType::Null:
      Raise(err::kInvalidNull);
    case VarType::Error:
      return "Error " + std::to_string(v.error_code());
    default:
      Raise(err::kTypeMismatch);
  }
}

Variant DefaultValue(VarType type) {
  switch (type) {
    case VarType::Integer:
      return Variant::Integer(0);
    case VarType::Long:
      return Variant::Long(0);
    case VarType::LongLong:
      return Variant::LongLong(0);
    case VarType::Single:
      return Variant::Single(0);
    case VarType::Double:
      return Variant::Double(0);
    case VarType::Date:
      return Variant::Date(0);
    case VarType::String:
      return Variant::Str("");
    case VarType::Boolean:
      return Variant::Bool(false);
    case VarType::Object:
      return Variant::Object(nullptr);
    default:
      return Variant();
  }
}

Variant ConvertTo(const Variant& v, VarType type) {
  if (v.type() == type) return v;
  switch (type) {
    case VarType::Variant:
      return v;
    case VarType::Integer:
      return Variant::Integer(ToInteger(v));
    case VarType::Long:
      return Variant::Long(ToLong(v));
    case VarType::LongLong:
      return Variant::LongLong(ToInt64(v));
    case VarType::Single: {
      double d = ToDouble(v);
      if (std::fabs(d) > std::numeric_limits<float>::max()) Raise(err::kOverflow);
      return Variant::Single(d);
    }
    case VarType::Double:
      return Variant::Double(ToDouble(v));
    case VarType::Date:
      return Variant::Date(ToDate(v));
    case VarType::String:
      return Variant::Str(ToStr(v));
    case VarType::Boolean:
      return Variant::Bool(ToBool(v));
    case VarType::Object:
      if (v.is_object()) return v;
      Raise(err::kTypeMismatch);
    default:
      return v;
  }
}

int CompareValues(const Variant& a, const Variant& b, bool compare_text) {
  if (a.is_string() && b.is_string()) return CompareText(a.str(), b.str(), compare_text);
  if (a.is_empty() && b.is_string()) return CompareText("", b.str(), compare_text);
  if (a.is_string() && b.is_empty()) return CompareText(a.str(), "", compare_text);
  if (IntegralOperands(a, b)) {
    int64_t x = IntOf(a), y = IntOf(b);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (a.is_object() || b.is_object() || a.is_array() || b.is_array()) Raise(err::kTypeMismatch);
  // A number against text: numerically when the text reads as a number,
  // else as texts.
  if (a.is_string() || b.is_string()) {
    const Variant& text = a.is_string() ? a : b;
    double d;
    if (!ParseNumber(text.str(), &d)) {
      return CompareText(a.is_string() ? a.str() : ToStr(a), b.is_string() ? b.str() : ToStr(b),
                         compare_text);
    }
  }
  double x = ToDouble(a), y = ToDouble(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

bool Like(std::string_view text, std::string_view pattern, bool compare_text) {
  return LikeAt(text, 0, pattern, 0, compare_text);
}

Variant BinaryOperation(BinOp op, const Variant& a, const Variant& b, bool compare_text) {
  switch (op) {
    case BinOp::Add:
      if (a.is_string() && StringOrEmpty(b))
        return Variant::Str(a.str() + (b.is_string() ? b.str() : ""));
      if (a.is_empty() && b.is_string()) return b;
      return Arith(op, a, b);
    case BinOp::Sub:
    case BinOp::Mul:
    case BinOp::Div:
    case BinOp::IntDiv:
    case BinOp::Mod:
    case BinOp::Pow:
      return Arith(op, a, b);
    case BinOp::Concat: {
      if (a.is_null() && b.is_null()) return Variant::Null();
      std::string s;
      if (!a.is_null()) AppendStr(s, a);
      if (!b.is_null()) AppendStr(s, b);
      return Variant::Str(std::move(s));
    }
    case BinOp::Eq:
    case BinOp::Ne:
    case BinOp::Lt:
    case BinOp::Le:
    case BinOp::Gt:
    case BinOp::Ge: {
      if (a.is_null() || b.is_null()) return Variant::Null();
      int c = CompareValues(a, b, compare_text);
      bool r = false;
      switch (op) {
        case BinOp::Eq:
          r = c == 0;
          break;
        case BinOp::Ne:
          r = c != 0;
          break;
        case BinOp::Lt:
          r = c < 0;
          break;
        case BinOp::Le:
          r = c <= 0;
          break;
        case BinOp::Gt:
          r = c > 0;
          break;
        default:
          r = c >= 0;
          break;
      }
      return Variant::Bool(r);
    }
    case BinOp::Like:
      if (a.is_null() || b.is_null()) return Variant::Null();
      return Variant::Bool(Like(ToStr(a), ToStr(b), compare_text));
    case BinOp::Is:
      if (!a.is_object() || !b.is_object()) Raise(err::kObjectRequired);
      return Variant::Bool(a.object() == b.object());
    case BinOp::And:
    case BinOp::Or:
    case BinOp::Xor:
    case BinOp::Eqv:
    case BinOp::Imp:
      return Logic(op, a, b);
    default:
      Raise(err::kTypeMismatch);
  }
}

Variant UnaryOperation(BinOp op, const Variant& a) {
  if (a.is_null()) return Variant::Null();
  if (op == BinOp::Not) {
    if (a.type() == VarType::Boolean) return Variant::Bool(!a.bool_value());
    int64_t x = ToInt64(a);
    Variant w = a.is_integral() ? a : Variant::Long(0);
    return IntResult(~x, w, w);
  }
  switch (a.type()) {
    case VarType::Empty:
      return Variant::Integer(0);
    case VarType::Boolean:
      return Variant::Integer(a.bool_value() ? 1 : 0);
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
      if (a.int_value() == INT64_MIN) return Variant::Double(-static_cast<double>(a.int_value()));
      return IntResult(-a.int_value(), a, a);
    case VarType::Single:
      return Variant::Single(-a.real_value());
    case VarType::Date:
      return Variant::Date(-a.real_value());
    default:
      return Variant::Double(-ToDouble(a));
  }
}

const char* TypeNameOf(VarType type) {
  switch (type) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Integer:
      return "Integer";
    case VarType::Long:
      return "Long";
    case VarType::LongLong:
      return "LongLong";
    case VarType::Single:
      return "Single";
    case VarType::Double:
      return "Double";
    case VarType::Date:
      return "Date";
    case VarType::String:
      return "String";
    case VarType::Object:
      return "Object";
    case VarType::Error:
      return "Error";
    case VarType::Boolean:
      return "Boolean";
    default:
      return "Variant";
  }
}

std::string TypeName(const Variant& v) {
  if (v.is_array()) return std::string(TypeNameOf(v.array()->element_type)) + "()";
  if (v.is_object()) return v.object() ? "Object" : "Nothing";
  return TypeNameOf(v.type());
}

int VarTypeOf(const Variant& v) {
  if (v.is_array()) return 0x2000 | static_cast<int>(v.array()->element_type);
  return static_cast<int>(v.type());
}

}  // namespace rv::script
