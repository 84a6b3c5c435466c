#pragma once

// How the interpreter reads one step line: its keyword and the values its
// keyword's handler takes from the parameter text, in the order it takes them.
// `runvanectl step` prints this, so a user can see what a hand-written line
// will do before a task runs it.

#include <string>
#include <string_view>
#include <vector>

namespace rv {

struct StepValue {
  std::string name;  // as in the keyword table
  std::string text;
};

struct StepReading {
  std::string keyword;
  bool comment = false;  // the line contains "REM: " and is never parsed
  bool known = false;    // the keyword is in the keyword table
  std::vector<StepValue> values;
  // Empty when the handler could use every value; otherwise what it would fail
  // on first: a scanned text without its closing quote, or a value that must
  // be a whole number and is not ("window state: expected a whole number,
  // found "x"").
  std::string error;
};

StepReading ReadStepLine(std::string_view line);

// "comment"; "keyword: K (unknown)"; or "keyword: K" then "param N: VALUE" for
// every value and "error: TEXT" when there is an error. Lines end in "\n".
std::string FormatStepReading(const StepReading& reading);

}  // namespace rv
