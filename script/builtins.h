#pragma once

// The library: functions and procedures a script calls by name, and the
// named constants (vbCrLf, vbYesNo, ...). The tables are immutable.

#include <span>
#include <string_view>

#include "automation/variant.h"

namespace rv::script {

class Interp;

using BuiltinFn = Variant (*)(Interp& in, std::span<Variant> args);

struct Builtin {
  const char* name;  // lower case
  int min_args;
  int max_args;  // -1: any number
  BuiltinFn fn;
  const char* spelling;
};

const Builtin* FindBuiltin(std::string_view lower_name);
bool FindConstant(std::string_view lower_name, Variant* value);

// The value of an argument left out of a call.
inline bool IsMissingArg(const Variant& v) {
  return v.type() == VarType::Error && v.error_code() == static_cast<int32_t>(0x80020004u);
}
inline Variant MissingArg() {
  return Variant::Error(static_cast<int32_t>(0x80020004u));
}

}  // namespace rv::script
