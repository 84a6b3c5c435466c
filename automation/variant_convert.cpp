#include "automation/variant_convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace rv {

namespace {
std::string RealText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

Error Mismatch(const char* wanted) {
  return MakeError(std::string("Could not convert variant to ") + wanted);
}
}  // namespace

Result<std::string> VariantToText(const Variant& value) {
  switch (value.type()) {
    case VarType::Empty:
      return std::string();
    case VarType::String:
      return value.str();
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
      return std::to_string(value.int_value());
    case VarType::Single:
    case VarType::Double:
      return RealText(value.real_value());
    case VarType::Boolean:
      return std::string(value.bool_value() ? "True" : "False");
    default:
      return Mismatch("a string");
  }
}

Result<int32_t> VariantToLong(const Variant& value) {
  int64_t v = 0;
  switch (value.type()) {
    case VarType::Empty:
      return 0;
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
      v = value.int_value();
      break;
    case VarType::Single:
    case VarType::Double:
      if (!std::isfinite(value.real_value())) return Mismatch("a Long");
      v = static_cast<int64_t>(std::nearbyint(value.real_value()));
      break;
    case VarType::Boolean:
      return value.bool_value() ? -1 : 0;
    case VarType::String: {
      std::string s = value.str();
      size_t b = s.find_first_not_of(' ');
      size_t e = s.find_last_not_of(' ');
      if (b == std::string::npos) return Mismatch("a Long");
      const char* first = s.data() + b;
      const char* last = s.data() + e + 1;
      if (*first == '+') ++first;
      auto [p, ec] = std::from_chars(first, last, v);
      if (ec != std::errc() || p != last) {
        return MakeError("'" + s + "' is not a valid integer value");
      }
      break;
    }
    default:
      return Mismatch("a Long");
  }
  if (v < INT32_MIN || v > INT32_MAX) return MakeError("Integer overflow");
  return static_cast<int32_t>(v);
}

Result<void> AppendBare(std::string& text, const Variant& value) {
  if (value.type() == VarType::String) {
    text += value.str();
    return {};
  }
  // A numeric addition: the text built so far must itself be a number, and
  // the line texts never are.
  return MakeError("Could not convert variant of type (String) into type (Double): '" + text +
                   "' is not a number");
}

}  // namespace rv
