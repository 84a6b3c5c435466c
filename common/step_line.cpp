#include "common/step_line.h"

#include <limits>

namespace rv {
namespace {

// Substring from a zero-based position to the end; empty past the end, where a
// positional reader would otherwise run off the text.
std::string_view From(std::string_view text, std::size_t pos) {
  return pos < text.size() ? text.substr(pos) : std::string_view{};
}

std::string_view WithoutFirstAndLast(std::string_view text) {
  return text.size() < 2 ? std::string_view{} : text.substr(1, text.size() - 2);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads a quoted text up to its closing quote, leaving `rest` after the quote.
Result<std::string> UpToQuote(std::string_view text, std::string_view what,
                              std::string_view& rest) {
  std::size_t quote = text.find('"');
  if (quote == std::string_view::npos) {
    return MakeError("the " + std::string(what) + " has no closing quote");
  }
  rest = text.substr(quote + 1);
  return std::string(text.substr(0, quote));
}

// A comma-terminated field of the WAIT line; a last field without its comma
// takes the rest, so a line that stops after the outcome still reads.
std::string CommaField(std::string_view& rest) {
  std::size_t comma = rest.find(',');
  std::string field(rest.substr(0, comma));
  rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
  return field;
}

}  // namespace

StepLine SplitStepLine(std::string_view line) {
  std::size_t colon = line.find(':');
  std::string_view keyword =
      colon == std::string_view::npos ? std::string_view{} : line.substr(0, colon);
  return {std::string(keyword), std::string(From(line, keyword.size() + 2))};
}

bool IsCommentLine(std::string_view line) {
  return line.find("REM: ") != std::string_view::npos;
}

std::string NextParam(std::string& params) {
  if (params.empty() || params == "0") return "0";
  std::string value;
  if (params.find("\",") != std::string::npos) {
    if (params.front() == '"') {
      std::string_view inner = WithoutFirstAndLast(params);
      std::size_t quote = inner.find('"');
      if (quote == std::string_view::npos) return "";
      value = inner.substr(0, quote);
      // Skip the opening quote, the value, its closing quote and the comma.
      params = std::string(From(params, quote + 3));
      return value;
    }
    std::size_t comma = params.find(',');
    value = params.substr(0, comma);
    params.erase(0, comma + 1);
    return value;
  }
  if (std::size_t comma = params.find(','); comma != std::string::npos) {
    value = params.substr(0, comma);
    params.erase(0, comma + 1);
    return value;
  }
  if (params.find('"') != std::string::npos) {
    value = WithoutFirstAndLast(params);
  } else {
    value = params;
  }
  params.clear();
  return value;
}

std::vector<std::string> ReadParamList(std::string_view params, std::size_t count) {
  std::string rest(params);
  std::vector<std::string> values;
  values.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    values.push_back(NextParam(rest));
  return values;
}

std::string QuotedWholeText(std::string_view params) {
  return std::string(WithoutFirstAndLast(params));
}

ListAndRest ReadListThenRest(std::string_view params, std::size_t count) {
  ListAndRest result;
  result.rest = params;
  for (std::size_t i = 0; i < count; ++i)
    result.values.push_back(NextParam(result.rest));
  return result;
}

Result<int> ParseInteger(std::string_view text) {
  std::string_view digits = text;
  while (!digits.empty() && IsBlank(digits.front()))
    digits.remove_prefix(1);
  while (!digits.empty() && IsBlank(digits.back()))
    digits.remove_suffix(1);
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  auto found = [&] { return "found \"" + std::string(text) + "\""; };
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return MakeError("expected a whole number, " + found());
  }
  // Accumulate as the negative magnitude so that the lowest int fits.
  long long value = 0;
  constexpr long long kLowest = std::numeric_limits<int>::min();
  for (char c : digits) {
    value = value * 10 - (c - '0');
    if (value < kLowest) break;
  }
  if (!negative) value = -value;
  if (value < kLowest || value > std::numeric_limits<int>::max()) {
    return MakeError("expected a whole number from " +
                     std::to_string(std::numeric_limits<int>::min()) + " to " +
                     std::to_string(std::numeric_limits<int>::max()) + ", " + found());
  }
  return static_cast<int>(value);
}

int ReadInteger(std::string_view text) {
  Result<int> value = ParseInteger(text);
  if (!value) throw StepParamError(value.error());
  return *value;
}

Result<SoundFields> ScanSound(std::string_view params) {
  std::string_view rest;
  Result<std::string> file = UpToQuote(From(params, 1), "sound file", rest);
  if (!file) return MakeError(file.error());
  // The mode is the character after the comma that follows the quote.
  return SoundFields{std::move(*file), std::string(From(rest, 1).substr(0, 1))};
}

Result<InternetFields> ScanInternet(std::string_view params) {
  std::string_view rest;
  Result<std::string> name = UpToQuote(From(params, 1), "connection name", rest);
  if (!name) return MakeError(name.error());
  return InternetFields{std::move(*name), std::string(From(rest, 1))};
}

Result<WaitFields> ScanWait(std::string_view params) {
  std::string_view rest;
  Result<std::string> title = UpToQuote(From(params, 1), "window title", rest);
  if (!title) return MakeError(title.error());
  rest = From(rest, 1);  // the comma after the title
  WaitFields fields;
  fields.title = std::move(*title);
  fields.timeout = CommaField(rest);
  fields.unit = CommaField(rest);
  fields.interval = CommaField(rest);
  fields.outcome = CommaField(rest);
  fields.task = WithoutFirstAndLast(rest);
  return fields;
}

bool IsLoginForm(std::string_view params) {
  return params.starts_with("Login,");
}

Result<LoginFields> ScanLogin(std::string_view params) {
  std::string_view rest;
  Result<std::string> user = UpToQuote(From(params, 7), "user name", rest);
  if (!user) return MakeError(user.error());
  // Each later value starts past `","`: the closing quote was taken already.
  Result<std::string> password = UpToQuote(From(rest, 2), "password", rest);
  if (!password) return MakeError(password.error());
  Result<std::string> domain = UpToQuote(From(rest, 2), "domain", rest);
  if (!domain) return MakeError(domain.error());
  return LoginFields{std::move(*user), std::move(*password), std::move(*domain)};
}

}  // namespace rv
