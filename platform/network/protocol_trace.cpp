#include "platform/network/protocol_trace.h"

#include <cctype>

namespace rv {
namespace {

constexpr std::string_view kMask = "********";

bool StartsWithWord(std::string_view line, std::string_view word) {
  if (line.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(line[i])) != word[i]) return false;
  }
  return line.size() == word.size() || line[word.size()] == ' ';
}

}  // namespace

std::string ProtocolTrace::Mask(TraceDirection direction, std::string_view line) {
  if (direction == TraceDirection::Received) {
    // "334 ..." (SMTP) and "+ ..." (POP3) ask for more of the exchange.
    if (in_auth_exchange_ && !line.starts_with("334") && !line.starts_with("+ ") && line != "+")
      in_auth_exchange_ = false;
    return std::string(line);
  }
  if (StartsWithWord(line, "PASS"))
    return line.size() > 4 ? "PASS " + std::string(kMask) : std::string(line);
  if (StartsWithWord(line, "AUTH")) {
    in_auth_exchange_ = true;
    // "AUTH <mechanism>" alone is harmless; anything after it is a secret.
    const std::size_t mechanism_end = line.find(' ', 5);
    if (mechanism_end != std::string_view::npos)
      return std::string(line.substr(0, mechanism_end)) + " " + std::string(kMask);
    return std::string(line);
  }
  if (in_auth_exchange_) return std::string(kMask);
  return std::string(line);
}

void ProtocolTrace::Feed(TraceDirection direction, std::string_view text,
                         const ProtocolTraceHandler& handler) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) {
      std::string line = Mask(direction, text.substr(start, end - start));
      if (handler) handler(line);
    }
    start = end + 1;
  }
}

}  // namespace rv
