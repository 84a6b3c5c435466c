// The FTP steps against a real FTP server on loopback.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/task_list.h"
#include "launcher/testing_host.h"
#include "platform/network/testing/test_servers.h"

namespace rv {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::MakeTempDir;
using ::testing::Not;
using testing::ReadFile;
using testing::TestingHost;
using testing::WriteFile;

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

struct FtpSteps : ::testing::Test {
  testing::FtpTestServer server{"user", "pa55word"};
  TestingHost host;
  RVTaskList list;
  std::string local = MakeTempDir("local");

  void SetUp() override { ASSERT_TRUE(server.Started()) << server.StartError(); }

  std::string Port() const { return std::to_string(server.Port()); }
  std::string Login(const std::string& log = "0", int overwrite = 0) const {
    return "FTPLOGIN: \"127.0.0.1\",\"user\",\"pa55word\"," + Port() + ",\"" + log + "\"," +
           std::to_string(overwrite);
  }

  int Run(std::vector<std::string> steps) {
    auto task = list.Add();
    task->TaskName = "T";
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host.Run(task);
  }

  // The status texts of the run without their time stamp, less the run's
  // own start and end texts.
  std::vector<std::string> Statuses() const {
    std::vector<std::string> texts;
    for (const std::string& note : host.notifications) {
      const std::size_t stamp_end = note.find(") ");
      if (!note.starts_with("MESSAGE: (") || stamp_end == std::string::npos) continue;
      const std::string text = note.substr(stamp_end + 2);
      if (text.starts_with("Task started: ") || text.starts_with("Task ended: ") ||
          text.starts_with("Task FAILED: "))
        continue;
      texts.push_back(text);
    }
    return texts;
  }

  // The server logs a session's end once it has seen it; give it a moment.
  bool ServerLogShows(const std::string& part, int count) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Count(server.Log(), part) < count) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }
};

TEST_F(FtpSteps, OneLoginServesAWholeSequenceOfConnectionSteps) {
  WriteFile(local + "up.txt", "payload");
  WriteFile(server.Root() + "old.txt", "x");
  WriteFile(server.Root() + "gone.txt", "x");
  EXPECT_EQ(
      Run({Login(), "FTPMAKEDIR: \"inbox\"", "FTPCD: \"inbox\"",
           "FTPUPLOADEX: \"" + local + "up.txt\",\"up.txt\",2", "FTPMAKEDIR: \"empty\"",
           "FTPREMDIR: \"empty\"", "FTPCD: \"/\"", "FTPRENAME: \"old.txt\",\"new.txt\"",
           "FTPDELETE: \"gone.txt\"", "FTPDNLOADEX: \"inbox/up.txt\",\"" + local + "back.txt\",0",
           "FTPLOGOUT: \"Current\""}),
      StepStatus::Okay);
  EXPECT_EQ(ReadFile(server.Root() + "inbox/up.txt"), "payload");
  EXPECT_EQ(ReadFile(local + "back.txt"), "payload");
  EXPECT_FALSE(fs::exists(server.Root() + "empty"));
  EXPECT_FALSE(fs::exists(server.Root() + "old.txt"));
  EXPECT_TRUE(fs::exists(server.Root() + "new.txt"));
  EXPECT_FALSE(fs::exists(server.Root() + "gone.txt"));
  EXPECT_EQ(Count(server.Log(), "logged in"), 1) << server.Log();
  EXPECT_THAT(Statuses(), ElementsAre("T: Logged on to FTP server.", "T: Upload started.",
                                      "T: Upload complete.", "T: Download started.",
                                      "T: FTP Logout complete."));
}

TEST_F(FtpSteps, TransferModesAndATypeOutsideTheTableKeepingThePreviousOne) {
  WriteFile(server.Root() + "crlf.txt", "a\r\nb\n");
  WriteFile(local + "crlf.txt", "c\r\nd\n");
  const std::string from = "FTPDNLOADEX: \"crlf.txt\",\"" + local;
  EXPECT_EQ(
      Run({Login(), from + "binary.txt\",2", from + "ascii.txt\",1", from + "kept.txt\",7",
           "FTPUPLOADEX: \"" + local + "crlf.txt\",\"up-ascii.txt\",1",
           "FTPUPLOADEX: \"" + local + "crlf.txt\",\"up-binary.txt\",2", from + "default.txt\",0"}),
      StepStatus::Okay);
  EXPECT_EQ(ReadFile(local + "binary.txt"), "a\r\nb\n");
  // ASCII: CR LF on the network, the local line end on disk.
  EXPECT_EQ(ReadFile(local + "ascii.txt"), "a\nb\n");
  EXPECT_EQ(ReadFile(local + "kept.txt"), "a\nb\n");
  EXPECT_EQ(ReadFile(server.Root() + "up-ascii.txt"), "c\nd\n");
  EXPECT_EQ(ReadFile(server.Root() + "up-binary.txt"), "c\r\nd\n");
  EXPECT_EQ(ReadFile(local + "default.txt"), "a\r\nb\n");
}

TEST_F(FtpSteps, LoginWithAndWithoutAPortAndTwoLoginsInOneTask) {
  // No port: the host may carry one; a bare host is tried on port 21.
  EXPECT_EQ(Run({"FTPLOGIN: \"127.0.0.1:" + Port() + "\",\"user\",\"pa55word\",,\"0\",0", Login(),
                 "FTPCD: \"/\""}),
            StepStatus::Okay);
  ASSERT_TRUE(ServerLogShows("FTP session closed", 2)) << server.Log();
  // The first connection was closed before the second logged in.
  const std::string log = server.Log();
  const std::size_t second_login = log.find("logged in", log.find("logged in") + 1);
  ASSERT_NE(second_login, std::string::npos) << log;
  EXPECT_LT(log.find("FTP session closed"), second_login) << log;

  host.notifications.clear();
  EXPECT_EQ(Run({"FTPLOGIN: \"127.0.0.1\",\"user\",\"pa55word\",,\"0\",0", "FTPCD: \"/\""}),
            StepStatus::Failed);
  EXPECT_THAT(Statuses(), ElementsAre("T: Server Login FAILED."));
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("port 21")));

  host.notifications.clear();
  EXPECT_EQ(Run({"FTPLOGIN: \"127.0.0.1\",\"user\",\"wrong\"," + Port() + ",\"0\",0"}),
            StepStatus::Failed);
  EXPECT_THAT(Statuses(), ElementsAre("T: Server Login FAILED."));
}

TEST_F(FtpSteps, FailuresOfConnectionSteps) {
  struct Case {
    std::string step;
    std::vector<std::string> statuses;  // after the login's own
  };
  WriteFile(local + "there.txt", "x");
  const std::vector<Case> cases = {
      {"FTPDELETE: \"missing.txt\"", {}},
      {"FTPCD: \"missing\"", {}},
      {"FTPRENAME: \"missing.txt\",\"b.txt\"", {}},
      {"FTPREMDIR: \"missing\"", {}},
      {"FTPDNLOADEX: \"missing.txt\",\"" + local + "there.txt\",2",
       {"T: Download started.", "T: Download FAILED."}},
      {"FTPUPLOADEX: \"" + local + "missing.txt\",\"x.txt\",2",
       {"T: Upload started.", "T: Upload FAILED."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    host.notifications.clear();
    EXPECT_EQ(Run({Login(), c.step, "FTPMAKEDIR: \"never\""}), StepStatus::Failed);
    std::vector<std::string> expected = {"T: Logged on to FTP server."};
    expected.insert(expected.end(), c.statuses.begin(), c.statuses.end());
    EXPECT_EQ(Statuses(), expected);
    EXPECT_FALSE(fs::exists(server.Root() + "never"));
  }
  // A failed download leaves the local file it would have replaced alone.
  EXPECT_EQ(ReadFile(local + "there.txt"), "x");
  EXPECT_EQ(fs::directory_iterator(local)->path().filename(), "there.txt");
}

TEST_F(FtpSteps, ConnectionStepsWithoutAConnectionFailAndLogoutAlwaysSucceeds) {
  EXPECT_EQ(Run({"FTPLOGOUT: \"Current\""}), StepStatus::Okay);
  EXPECT_THAT(Statuses(), IsEmpty());
  for (const char* step :
       {"FTPCD: \"/\"", "FTPDELETE: \"a\"", "FTPMAKEDIR: \"a\"", "FTPUPLOADEX: \"a\",\"b\",0"}) {
    EXPECT_EQ(Run({step}), StepStatus::Failed) << step;
  }
  EXPECT_THAT(host.LogLines(),
              Contains("T::(!) FTPCD: no FTP connection is open (FTPLOGIN first)"));
  EXPECT_THAT(Statuses(), IsEmpty());
  // A logout ends the connection: the next step has none.
  EXPECT_EQ(Run({Login(), "FTPLOGOUT: \"Current\"", "FTPCD: \"/\""}), StepStatus::Failed);
}

TEST_F(FtpSteps, AConnectionLeftOpenIsClosedWhenTheRunEnds) {
  EXPECT_EQ(Run({Login(), "FTPCD: \"/\""}), StepStatus::Okay);
  EXPECT_TRUE(ServerLogShows("FTP session closed", 1)) << server.Log();
}

TEST_F(FtpSteps, TheProtocolLogIsEmptiedOrAppendedToAndHidesThePassword) {
  const std::string log = local + "ftp.log";
  WriteFile(log, "earlier\n");
  EXPECT_EQ(Run({Login(log, 0), "FTPLOGOUT: \"Current\""}), StepStatus::Okay);
  std::string text = ReadFile(log);
  EXPECT_TRUE(text.starts_with("earlier\n220 ")) << text;
  EXPECT_THAT(text, HasSubstr("\nUSER user\n331 "));
  EXPECT_THAT(text, HasSubstr("\nPASS ********\n230 "));
  EXPECT_THAT(text, Not(HasSubstr("pa55word")));

  EXPECT_EQ(Run({Login(log, 1)}), StepStatus::Okay);
  text = ReadFile(log);
  EXPECT_TRUE(text.starts_with("220 ")) << text;
  EXPECT_EQ(Count(text, "PASS ********"), 1);

  // "0" means no log at all.
  const std::string none = local + "0";
  EXPECT_EQ(Run({Login("0", 1)}), StepStatus::Okay);
  EXPECT_FALSE(fs::exists(none));
}

TEST_F(FtpSteps, QuickTransfersConnectOnTheirOwnAndLeaveTheConnectionAlone) {
  WriteFile(local + "q.txt", "quick");
  const std::string login = "\"127.0.0.1\",\"user\",\"pa55word\"," + Port() + ",";
  const std::string log = local + "quick.log";
  EXPECT_EQ(Run({"FTPUPLOAD: " + login + "\"" + local + "q.txt\",\"q.txt\",\"" + log + "\",1",
                 "FTPDOWNLOAD: " + login + "\"" + local + "r.txt\",\"q.txt\",\"" + log + "\",0"}),
            StepStatus::Okay);
  EXPECT_EQ(ReadFile(server.Root() + "q.txt"), "quick");
  EXPECT_EQ(ReadFile(local + "r.txt"), "quick");
  EXPECT_EQ(Count(ReadFile(log), "PASS ********"), 2);
  EXPECT_THAT(Statuses(), IsEmpty());
  // Not a connection step: no connection is left behind for the next one.
  EXPECT_EQ(
      Run({"FTPUPLOAD: " + login + "\"" + local + "q.txt\",\"q.txt\",\"0\",0", "FTPCD: \"/\""}),
      StepStatus::Failed);
  EXPECT_EQ(Run({"FTPDOWNLOAD: " + login + "\"" + local + "s.txt\",\"nothing.txt\",\"0\",0"}),
            StepStatus::Failed);
  EXPECT_FALSE(fs::exists(local + "s.txt"));
}

}  // namespace
}  // namespace rv
