#include "platform/network/smtp_client.h"

#include <gtest/gtest.h>

#include "platform/network/network_error.h"
#include "platform/network/testing/test_servers.h"

namespace rv {
namespace {

TEST(SmtpClient, AddressListsTakeBareAndNamedAddresses) {
  EXPECT_EQ(MailAddresses(" a@x.org, Bea Smith <b@y.org>;c@z.org ,"),
            (std::vector<std::string>{"a@x.org", "b@y.org", "c@z.org"}));
  EXPECT_TRUE(MailAddresses(" ").empty());
}

TEST(SmtpClient, HeadersCannotBeInjectedAndBodyLinesEndInCrLf) {
  SmtpClient client;
  client.From = "a@x.org";
  client.To = "b@y.org";
  client.Subject = "Hi\r\nBcc: victim@z.org";
  client.MessageText = "one\ntwo\r\n.three";
  const std::string message = client.ComposeMessage("Fri, 11 Dec 2026 09:30:00 +0000");
  EXPECT_NE(message.find("\r\nSubject: Hi  Bcc: victim@z.org\r\n"), std::string::npos) << message;
  EXPECT_EQ(message.find("\r\nBcc:"), std::string::npos);
  EXPECT_EQ(message.find("\r\nCc:"), std::string::npos);
  EXPECT_TRUE(message.ends_with("\r\n\r\none\r\ntwo\r\n.three\r\n")) << message;
  client.Subject = "Grüße";
  EXPECT_NE(client.ComposeMessage("d").find("Subject: =?UTF-8?B?R3LDvMOfZQ==?=\r\n"),
            std::string::npos);
}

TEST(SmtpClient, DotLinesArriveWholeAndAnUnreachableServerThrows) {
  testing::SmtpTestServer server;
  ASSERT_TRUE(server.Started()) << server.StartError();
  SmtpClient client(NetworkTimeouts{5, 10});
  client.MailServer = "127.0.0.1:" + std::to_string(server.Port());
  client.From = "a@x.org";
  client.To = "b@y.org";
  client.MessageText = ".\r\n..two\r\n";
  client.Action(SmtpAction::Send);
  const std::vector<testing::ReceivedMail> mails = server.Messages();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_TRUE(mails[0].content.ends_with("\r\n\r\n.\r\n..two\r\n")) << mails[0].content;

  client.MailServer = "127.0.0.1:" + std::to_string(testing::FreeLoopbackPort());
  EXPECT_THROW(client.Action(SmtpAction::Send), NetworkError);
}

}  // namespace
}  // namespace rv
