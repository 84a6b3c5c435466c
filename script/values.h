#pragma once

// Conversions and operators on values with the language's rules: Empty
// counts as 0 or "", numeric text converts to numbers, integer arithmetic
// widens Integer -> Long -> LongLong -> Double instead of overflowing, and
// errors are raised as ScriptError (13 Type mismatch, 6 Overflow, ...).

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/variant.h"
#include "script/ast.h"

namespace rv::script {

// Text that reads as a number ("12", " -3.5e2 ", "&H1F"); sets *value.
bool ParseNumber(std::string_view text, double* value);

double ToDouble(const Variant& v);
int64_t ToInt64(const Variant& v);  // rounds half to even, as CLng
int32_t ToLong(const Variant& v);
int16_t ToInteger(const Variant& v);
bool ToBool(const Variant& v);
double ToDate(const Variant& v);
std::string ToStr(const Variant& v);
// Appends the text of v; avoids a temporary for strings.
void AppendStr(std::string& out, const Variant& v);

std::string NumberText(double value);

// Number text without regard to the process locale (a host may have set
// one whose decimal mark is a comma).
double DecimalValue(std::string_view digits);          // "[+-]d[.d][e[+-]d]"
std::string GeneralText(double value, int precision);  // like %.*G
std::string FixedText(double value, int decimals);     // like %.*f
bool IsNumber(const Variant& v);                       // numeric tags and Boolean

// The value converted for a variable declared with `type` (Variant keeps
// the value as it is; Object requires an object or Nothing).
Variant ConvertTo(const Variant& v, VarType type);
// The value a variable of this type starts with.
Variant DefaultValue(VarType type);

Variant BinaryOperation(BinOp op, const Variant& a, const Variant& b, bool compare_text);
Variant UnaryOperation(BinOp op, const Variant& a);
// -1, 0, 1; Null is not handled here.
int CompareValues(const Variant& a, const Variant& b, bool compare_text);
bool Like(std::string_view text, std::string_view pattern, bool compare_text);

std::string TypeName(const Variant& v);
int VarTypeOf(const Variant& v);
const char* TypeNameOf(VarType type);

}  // namespace rv::script
