#pragma once

// Tokens of the script language. Words are case-insensitive: every word
// carries its lower-case spelling, and reserved words their keyword.

#include <string>

#include "automation/variant.h"

namespace rv::script {

enum class Tok { Word, Number, String, Date, Op, Colon, Newline, End };

// clang-format off
#define RV_SCRIPT_KEYWORDS(X) \
  X(And, "and") \
  X(As, "as") \
  X(ByRef, "byref") \
  X(ByVal, "byval") \
  X(Call, "call") \
  X(Case, "case") \
  X(Const, "const") \
  X(Dim, "dim") \
  X(Do, "do") \
  X(Each, "each") \
  X(Else, "else") \
  X(ElseIf, "elseif") \
  X(Empty, "empty") \
  X(End, "end") \
  X(Eqv, "eqv") \
  X(Exit, "exit") \
  X(False, "false") \
  X(For, "for") \
  X(Function, "function") \
  X(GoTo, "goto") \
  X(If, "if") \
  X(Imp, "imp") \
  X(In, "in") \
  X(Is, "is") \
  X(Like, "like") \
  X(Loop, "loop") \
  X(Mod, "mod") \
  X(New, "new") \
  X(Next, "next") \
  X(Not, "not") \
  X(Nothing, "nothing") \
  X(Null, "null") \
  X(On, "on") \
  X(Optional, "optional") \
  X(Or, "or") \
  X(ParamArray, "paramarray") \
  X(Preserve, "preserve") \
  X(Private, "private") \
  X(Public, "public") \
  X(ReDim, "redim") \
  X(Resume, "resume") \
  X(Select, "select") \
  X(Set, "set") \
  X(Step, "step") \
  X(Sub, "sub") \
  X(Then, "then") \
  X(To, "to") \
  X(True, "true") \
  X(Until, "until") \
  X(Wend, "wend") \
  X(While, "while") \
  X(With, "with") \
  X(Xor, "xor") \
  X(Static, "static") \
  X(Global, "global")
// clang-format on

enum class Kw {
  None,
#define RV_KW_ENUM(name, text) name,
  RV_SCRIPT_KEYWORDS(RV_KW_ENUM)
#undef RV_KW_ENUM
};

struct Token {
  Tok kind = Tok::End;
  Kw kw = Kw::None;
  std::string text;   // as written (words without a type suffix), or the operator
  std::string lower;  // words: lower-case spelling
  Variant value;      // numbers, strings and dates
  int line = 0;
  bool space_before = false;  // whitespace right before this token
  char suffix = 0;            // type suffix of a word ('$', '%', '&'), 0 when none
};

}  // namespace rv::script
