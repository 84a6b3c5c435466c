#pragma once

// The step line grammar: a step line is the keyword, a colon, one blank and the
// parameter text ("PAUSE: 5 seconds"). The interpreter, settings and the
// automation server all read lines with these functions, so a line means the
// same thing everywhere. The reader is deliberately literal: it takes characters
// by position and never checks the blank or the quotes it skips, because lines
// written by earlier versions rely on exactly this reading.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace rv {

struct StepLine {
  std::string keyword;  // text before the first ":"; empty when there is none
  std::string params;   // from keyword length + 3 on, whatever that skips
};

StepLine SplitStepLine(std::string_view line);

// A line containing "REM: " anywhere is a comment and is never parsed.
bool IsCommentLine(std::string_view line);

// Takes the next value off the front of a parameter list, shortening `params`
// in place. Values are separated by "," and text values are quoted; there is
// no escape. A missing value reads "0", and the text "0" is left as it is, so
// every value after a missing one reads "0" too. A quoted value may hold
// commas only while another quoted value follows it; otherwise the comma
// splits it. A value ends at its first inner quote.
std::string NextParam(std::string& params);

// `count` values taken with NextParam, in order.
std::vector<std::string> ReadParamList(std::string_view params, std::size_t count);

// The parameter text without its first and last character (OPEN, PRINT):
// the quotes are dropped unchecked.
std::string QuotedWholeText(std::string_view params);

// `count` values taken with NextParam, then what is left, unparsed and
// unquoted, as one more value (SEND's keystroke text).
struct ListAndRest {
  std::vector<std::string> values;
  std::string rest;
};
ListAndRest ReadListThenRest(std::string_view params, std::size_t count);

// The conversion of every whole-number parameter: optional blanks around an
// optional sign and decimal digits, within the range of int. Anything else is
// an error that names the value: `expected a whole number, found "x"`.
Result<int> ParseInteger(std::string_view text);

// What a step handler throws for a parameter it cannot use; the interpreter
// catches it and fails the step with this text.
class StepParamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ParseInteger for handlers: throws StepParamError instead of returning it.
int ReadInteger(std::string_view text);

// Positional scanners. Each drops the opening quote unchecked and reads the
// quoted text up to the next quote; a text value without its closing quote is
// an error. Fields are returned as text: the handler decides which are
// numbers.

struct SoundFields {
  std::string file;
  std::string mode;  // the single character after `",`; empty when the line ends
};
Result<SoundFields> ScanSound(std::string_view params);

struct InternetFields {
  std::string connection;
  std::string flag;  // everything after `",`
};
Result<InternetFields> ScanInternet(std::string_view params);

struct WaitFields {
  std::string title;
  std::string timeout;
  std::string unit;
  std::string interval;
  std::string outcome;
  std::string task;  // only meaningful for outcome 0
};
Result<WaitFields> ScanWait(std::string_view params);

// OS parameter text in the log-in form: it begins with "Login,".
bool IsLoginForm(std::string_view params);

struct LoginFields {
  std::string user;
  std::string password;
  std::string domain;
};
Result<LoginFields> ScanLogin(std::string_view params);

}  // namespace rv
