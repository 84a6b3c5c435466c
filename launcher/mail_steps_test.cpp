// SMTP and POP against real servers on loopback; INTERNET through the fake
// dial-up service and through nmcli with a stand-in nmcli on PATH.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

#include "common/task_list.h"
#include "launcher/testing_host.h"
#include "platform/network/nmcli_dial_up.h"
#include "platform/network/testing/test_servers.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::MakeTempDir;
using ::testing::Not;
using testing::ReadFile;
using testing::TestingHost;
using testing::WriteFile;

struct MailSteps : ::testing::Test {
  TestingHost host;
  RVTaskList list;
  std::string folder = MakeTempDir("mail");

  int Run(std::vector<std::string> steps) {
    host.notifications.clear();
    auto task = list.Add();
    task->TaskName = "T";
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host.Run(task);
  }

  std::vector<std::string> Statuses() const {
    std::vector<std::string> texts;
    for (const std::string& note : host.notifications) {
      const std::size_t stamp_end = note.find(") ");
      if (!note.starts_with("MESSAGE: (") || stamp_end == std::string::npos) continue;
      const std::string text = note.substr(stamp_end + 2);
      if (!text.starts_with("Task ")) texts.push_back(text);
    }
    return texts;
  }
};

TEST_F(MailSteps, SmtpSendsAProperMessageWithTheBodyFile) {
  testing::SmtpTestServer server;
  ASSERT_TRUE(server.Started()) << server.StartError();
  const std::string server_text = "127.0.0.1:" + std::to_string(server.Port());
  WriteFile(folder + "body.txt", "Hello,\nthe report is ready.\n.\nBye");
  const std::string smtp = "SMTP: \"" + server_text + "\",\"runvane@example.org\",";
  EXPECT_EQ(
      Run({smtp + "\"ann@example.org\",\"cc@example.org\",\"Report\",\"" + folder + "body.txt\"",
           smtp + "\"ann@example.org\",\"\",\"No copy\",\"" + folder + "body.txt\""}),
      StepStatus::Okay);
  EXPECT_THAT(Statuses(), ElementsAre("Mail message sent.", "Mail message sent."));
  const std::vector<testing::ReceivedMail> mails = server.Messages();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_EQ(mails[0].mail_from, "runvane@example.org");
  EXPECT_THAT(mails[0].recipients, ElementsAre("ann@example.org", "cc@example.org"));
  const std::string& first = mails[0].content;
  EXPECT_THAT(first, HasSubstr("From: runvane@example.org\r\n"));
  EXPECT_THAT(first, HasSubstr("To: ann@example.org\r\n"));
  EXPECT_THAT(first, HasSubstr("Cc: cc@example.org\r\n"));
  EXPECT_THAT(first, HasSubstr("Subject: Report\r\n"));
  EXPECT_TRUE(std::regex_search(
      first, std::regex("(^|\r\n)Date: [A-Z][a-z]{2}, \\d{2} [A-Z][a-z]{2} \\d{4} "
                        "\\d{2}:\\d{2}:\\d{2} [+-]\\d{4}\r\n")))
      << first;
  EXPECT_TRUE(first.ends_with("\r\n\r\nHello,\r\nthe report is ready.\r\n.\r\nBye\r\n")) << first;
  // No copy recipient: no Cc line and no copy sent.
  EXPECT_THAT(mails[1].recipients, ElementsAre("ann@example.org"));
  EXPECT_THAT(mails[1].content, Not(HasSubstr("\r\nCc:")));
}

TEST_F(MailSteps, SmtpFailures) {
  testing::SmtpTestServer server;
  ASSERT_TRUE(server.Started()) << server.StartError();
  const std::string server_text = "127.0.0.1:" + std::to_string(server.Port());
  EXPECT_EQ(Run({"SMTP: \"" + server_text + "\",\"a@x.org\",\"b@y.org\",\"\",\"S\",\"" + folder +
                 "missing.txt\""}),
            StepStatus::Failed);
  EXPECT_THAT(Statuses(),
              ElementsAre("Couldn't locate mail file '" + folder + "missing.txt' to send."));
  EXPECT_THAT(server.Messages(), IsEmpty());

  WriteFile(folder + "body.txt", "text");
  const std::string nowhere = "127.0.0.1:" + std::to_string(testing::FreeLoopbackPort());
  EXPECT_EQ(Run({"SMTP: \"" + nowhere + "\",\"a@x.org\",\"b@y.org\",\"\",\"S\",\"" + folder +
                 "body.txt\""}),
            StepStatus::Failed);
  ASSERT_EQ(Statuses().size(), 1u);
  EXPECT_THAT(Statuses()[0], HasSubstr("Sending mail through " + nowhere + ": "));
}

TEST_F(MailSteps, PopGoesOnOrStopsByWhatIsWaiting) {
  testing::Pop3TestServer server("ann", "secret", 3);
  ASSERT_TRUE(server.Started()) << server.StartError();
  const std::string pop =
      "POP: \"127.0.0.1:" + std::to_string(server.Port()) + "\",\"ann\",\"secret\",";
  EXPECT_EQ(Run({pop + "1,0"}), StepStatus::Okay);
  EXPECT_EQ(Run({pop + "0,1"}), StepStatus::Failed);
  // A login that fails reads as an empty mailbox, logged.
  const std::string wrong =
      "POP: \"127.0.0.1:" + std::to_string(server.Port()) + "\",\"ann\",\"wrong\",";
  EXPECT_EQ(Run({wrong + "0,1"}), StepStatus::Okay);
}

TEST_F(MailSteps, AnUnreachablePopServerIsAnEmptyMailboxWithItsErrorLogged) {
  const std::string nowhere = "127.0.0.1:" + std::to_string(testing::FreeLoopbackPort());
  EXPECT_EQ(Run({"POP: \"" + nowhere + "\",\"ann\",\"secret\",1,0"}), StepStatus::Failed);
  EXPECT_EQ(Run({"POP: \"" + nowhere + "\",\"ann\",\"secret\",0,1"}), StepStatus::Okay);
  EXPECT_THAT(host.LogLines(),
              Contains(HasSubstr("T::Checking the mailbox of ann on " + nowhere + ": ")));
}

TEST_F(MailSteps, InternetDialsAndHangsUpByName) {
  host.dial_up_.known = {"Office VPN", "Modem"};
  host.dial_up_.active = {{"Office VPN", "u-1"}, {"Office", "u-2"}};
  EXPECT_EQ(Run({"INTERNET: \"Modem\",1", "INTERNET: \"Office\",0", "INTERNET: \"Modem\",0"}),
            StepStatus::Okay);
  EXPECT_THAT(host.dial_up_.calls, ElementsAre("connect Modem", "active", "disconnect u-2",
                                               "active", "disconnect handle-Modem"));
  // Not up: nothing to hang up.
  host.dial_up_.calls.clear();
  EXPECT_EQ(Run({"INTERNET: \"Modem\",0"}), StepStatus::Okay);
  EXPECT_THAT(host.dial_up_.calls, ElementsAre("active", "list"));
  // Unknown names and a missing service fail, saying why.
  EXPECT_EQ(Run({"INTERNET: \"Nowhere\",1"}), StepStatus::Failed);
  EXPECT_EQ(Run({"INTERNET: \"Nowhere\",0"}), StepStatus::Failed);
  host.dial_up_.failure = "cannot run nmcli: No such file or directory";
  EXPECT_EQ(Run({"INTERNET: \"Modem\",1"}), StepStatus::Failed);
  EXPECT_THAT(host.LogLines(),
              Contains("T::(!) INTERNET: there is no dial-up connection named \"Nowhere\""));
  EXPECT_THAT(host.LogLines(), Contains("T::(!) INTERNET: cannot dial \"Modem\": cannot run "
                                        "nmcli: No such file or directory"));
}

TEST_F(MailSteps, InternetThroughNmcliOnThePath) {
  const std::string bin = MakeTempDir("bin");
  WriteFile(bin + "nmcli", "#!/bin/sh\necho \"$*\" >> \"" + bin + "calls\"\n" + R"(case "$*" in
  "-t -f NAME connection show") printf 'Office VPN\n' ;;
  "-t -f NAME,UUID connection show --active") printf 'Office VPN:1111\n' ;;
esac
)");
  ::chmod((bin + "nmcli").c_str(), 0755);
  testing::ScopedEnv path("PATH", (bin + ":/usr/bin:/bin").c_str());
  NmcliDialUp nmcli;
  host.handlers_ =
      MakeStepHandlers({host.shell_, host.files_, host.trash_, &host.network_, &nmcli});
  EXPECT_EQ(Run({"INTERNET: \"Office VPN\",1", "INTERNET: \"Office VPN\",0"}), StepStatus::Okay);
  EXPECT_EQ(ReadFile(bin + "calls"),
            "-t -f NAME connection show\nconnection up id Office VPN\n"
            "-t -f NAME,UUID connection show --active\nconnection down uuid 1111\n");
}

}  // namespace
}  // namespace rv
