#pragma once

// The step keywords the interpreter knows, with how each one's parameter text
// is taken apart and the names of the values its handler reads, and the
// dispatch table that binds a keyword to its handler. Keywords match exactly
// and case-sensitively: "Start" is not START.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/result.h"

namespace rv {

enum class StepForm {
  kList,             // every value with NextParam
  kWholeText,        // the parameter text unchanged, as the one value
  kQuotedWholeText,  // the parameter text without its first and last character
  kListThenRest,     // all values but the last with NextParam; the last is what is left
  kSoundScan,        // ScanSound
  kInternetScan,     // ScanInternet
  kWaitScan,         // ScanWait
  kOsCommand,        // the whole text (params[0]), or ScanLogin (params[1..3]) for "Login,"
  kNotRead,          // the handler reads nothing; the written parameter is ignored
};

enum class ParamKind {
  kText,            // used as text (flags compared as text are text too)
  kNumber,          // converted with ParseInteger
  kOptionalNumber,  // converted with ParseInteger unless empty
};

struct StepParam {
  std::string_view name;
  ParamKind kind;
};

struct StepKeyword {
  std::string_view keyword;
  StepForm form;
  std::span<const StepParam> params;  // the values the handler reads, in reading order
};

inline constexpr std::size_t kStepKeywordCount = 37;

// The keyword table, in its fixed order.
std::span<const StepKeyword, kStepKeywordCount> StepKeywords();

// Position of a keyword in StepKeywords(); none for anything the interpreter
// does not know (including "REM" and the builder-only CHECKMAIL, FTPLISTDIR).
std::optional<std::size_t> StepKeywordIndex(std::string_view keyword);

const StepKeyword* FindStepKeyword(std::string_view keyword);

// Handlers by keyword, filled in by whoever runs steps. The context is the
// runner's own type, so this table knows nothing about interpreters.
template <typename Context>
class StepDispatch {
 public:
  using Handler = std::function<int(const std::string& params, Context& context)>;

  // Fails for a keyword that is not in the table.
  Result<void> Set(std::string_view keyword, Handler handler) {
    std::optional<std::size_t> index = StepKeywordIndex(keyword);
    if (!index) return MakeError("\"" + std::string(keyword) + "\" is not a step keyword");
    handlers_[*index] = std::move(handler);
    return {};
  }

  // Null for an unknown keyword and for a known one that has no handler yet.
  const Handler* Find(std::string_view keyword) const {
    std::optional<std::size_t> index = StepKeywordIndex(keyword);
    if (!index || !handlers_[*index]) return nullptr;
    return &handlers_[*index];
  }

 private:
  std::array<Handler, kStepKeywordCount> handlers_;
};

}  // namespace rv
