#pragma once

// A mail sender shaped like the component the SMTP step was written for:
// set the properties, then Action(Send), which returns once the server has
// taken the message and throws NetworkError when it did not.
//
// The message is a proper one: Date, From, To, Cc (when given), Subject and
// Message-ID headers, a plain UTF-8 text body, CR LF line ends throughout.
// To and Cc may name several addresses, separated by "," or ";", each
// either bare or as "Name <address>".

#include <memory>
#include <string>
#include <vector>

#include "platform/network/network_timeouts.h"
#include "platform/network/protocol_trace.h"

namespace rv {

class CurlSession;

enum class SmtpAction { Send = 3 };

class SmtpClient {
 public:
  explicit SmtpClient(NetworkTimeouts timeouts = {});
  ~SmtpClient();
  SmtpClient(const SmtpClient&) = delete;
  SmtpClient& operator=(const SmtpClient&) = delete;

  std::string MailServer;  // see MailServerUrl
  std::string From;
  std::string To;
  std::string Cc;
  std::string Subject;
  std::string MessageText;

  ProtocolTraceHandler OnPITrail;

  void Action(SmtpAction action);

  // The message as it goes to the server, for the date given as text.
  std::string ComposeMessage(const std::string& date) const;

 private:
  std::unique_ptr<CurlSession> session_;
};

// The addresses of a To or Cc text, each without its display name.
std::vector<std::string> MailAddresses(const std::string& list);

// The current local time as a mail Date header value
// ("Thu, 11 Dec 2026 09:30:00 +0100"), in English whatever the locale.
std::string MailDateNow();

}  // namespace rv
