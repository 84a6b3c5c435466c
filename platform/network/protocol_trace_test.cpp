#include "platform/network/protocol_trace.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

std::vector<std::string> Trace(std::initializer_list<std::pair<TraceDirection, std::string>> feed) {
  ProtocolTrace trace;
  std::vector<std::string> lines;
  for (const auto& [direction, text] : feed)
    trace.Feed(direction, text, [&](const std::string& line) { lines.push_back(line); });
  return lines;
}

TEST(ProtocolTrace, CutsLinesAndMasksEveryCredential) {
  using enum TraceDirection;
  EXPECT_EQ(Trace({{Received, "220 ready\r\n"},
                   {Sent, "USER bob\r\n"},
                   {Sent, "PASS s3cret\r\n"},
                   {Received, "230-Welcome\r\n230 in\r\n"}}),
            (std::vector<std::string>{"220 ready", "USER bob", "PASS ********", "230-Welcome",
                                      "230 in"}));
  // SASL: the initial response and every answer to a challenge are secret,
  // until the server ends the exchange.
  EXPECT_EQ(Trace({{Sent, "AUTH PLAIN AGJvYgBzM2NyZXQ=\r\n"},
                   {Received, "235 ok\r\n"},
                   {Sent, "MAIL FROM:<a@b>\r\n"}}),
            (std::vector<std::string>{"AUTH PLAIN ********", "235 ok", "MAIL FROM:<a@b>"}));
  EXPECT_EQ(Trace({{Sent, "AUTH LOGIN\r\n"},
                   {Received, "334 VXNlcm5hbWU6\r\n"},
                   {Sent, "Ym9i\r\n"},
                   {Received, "334 UGFzc3dvcmQ6\r\n"},
                   {Sent, "czNjcmV0\r\n"},
                   {Received, "235 ok\r\n"},
                   {Sent, "QUIT\r\n"}}),
            (std::vector<std::string>{"AUTH LOGIN", "334 VXNlcm5hbWU6", "********",
                                      "334 UGFzc3dvcmQ6", "********", "235 ok", "QUIT"}));
  EXPECT_EQ(Trace({{Sent, "AUTH PLAIN\r\n"},
                   {Received, "+ \r\n"},
                   {Sent, "AGJvYgBzM2NyZXQ=\r\n"},
                   {Received, "+OK Logged in.\r\n"},
                   {Sent, "LIST\r\n"}}),
            (std::vector<std::string>{"AUTH PLAIN", "+ ", "********", "+OK Logged in.", "LIST"}));
}

}  // namespace
}  // namespace rv
