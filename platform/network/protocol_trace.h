#pragma once

// The protocol trace of the network clients: every line a client sends to
// its server or receives from it, one call per line, without the line end.
// Credentials never reach the trace: the argument of PASS and whatever the
// client sends inside an AUTH exchange are masked before a line is handed on.

#include <functional>
#include <string>
#include <string_view>

namespace rv {

using ProtocolTraceHandler = std::function<void(const std::string& line)>;

enum class TraceDirection { Sent, Received };

// Cuts protocol text into lines (CR LF, LF or CR ends one), masks the
// credentials in them and hands each non-empty line to the handler. It keeps
// what it needs to follow an AUTH exchange, so one instance serves one
// connection's trace.
class ProtocolTrace {
 public:
  void Feed(TraceDirection direction, std::string_view text, const ProtocolTraceHandler& handler);

 private:
  std::string Mask(TraceDirection direction, std::string_view line);

  // Set after an AUTH command until the server ends the exchange: the
  // client's lines meanwhile are encoded credentials.
  bool in_auth_exchange_ = false;
};

}  // namespace rv
