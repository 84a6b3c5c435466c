#pragma once

// A mailbox reader shaped like the component the POP step was written for:
// Action(Connect) logs in and counts the waiting messages into
// MessageCount; Action(Disconnect) logs out. Failures throw NetworkError.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/network/network_timeouts.h"
#include "platform/network/protocol_trace.h"

namespace rv {

class CurlSession;

enum class Pop3Action { Connect = 1, Disconnect = 2 };

class Pop3Client {
 public:
  explicit Pop3Client(NetworkTimeouts timeouts = {});
  ~Pop3Client();
  Pop3Client(const Pop3Client&) = delete;
  Pop3Client& operator=(const Pop3Client&) = delete;

  std::string MailServer;  // see MailServerUrl
  std::string User;
  std::string Password;
  // A 16-bit count: a larger mailbox reads as 65535, never as a few.
  std::uint16_t MessageCount = 0;

  ProtocolTraceHandler OnPITrail;

  void Action(Pop3Action action);

 private:
  std::unique_ptr<CurlSession> session_;
};

}  // namespace rv
