// OS with the session and the log-in check faked: no test may restart,
// shut down or log off anything.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/task_list.h"
#include "launcher/os_steps.h"
#include "launcher/testing_host.h"
#include "platform/fake_dde_client.h"
#include "platform/fake_session.h"
#include "platform/logon_check.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using testing::ReadFile;
using testing::TestingHost;

class FakeLogonCheck final : public LogonCheck {
 public:
  Result<bool> Check(const std::string& user, const std::string& password) override {
    checked.push_back(user);
    if (!failure.empty()) return MakeError(failure);
    return user == "alice" && password == "s3,cret";
  }
  std::vector<std::string> checked;
  std::string failure;
};

struct OsStep : ::testing::Test {
  TestingHost host;
  RVTaskList list;
  FakeSession session;
  dde::FakeClient dde;
  FakeLogonCheck logon;
  StepServices services{host.shell_, host.files_, host.trash_};

  void SetUp() override {
    services.session = &session;
    services.dde = &dde;
    services.logon = &logon;
    host.handlers_ = MakeStepHandlers(services);
  }

  int Run(std::vector<std::string> steps) {
    auto task = list.Add();
    task->TaskName = "T";
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host.Run(task);
  }
};

TEST_F(OsStep, TheFixedTextsAskTheSessionAndAnythingElseDoesNothing) {
  EXPECT_EQ(Run({"OS: Reboot Computer", "OS: Shutdown Windows", "OS: Logout", "OS: Reboot",
                 "OS: reboot computer", "OS: "}),
            StepStatus::Okay);
  EXPECT_THAT(session.requests, ElementsAre("reboot", "poweroff", "logoff"));
  EXPECT_THAT(dde.commands(), IsEmpty());
}

TEST_F(OsStep, ARefusedRequestChangesNothingAndTheTaskGoesOn) {
  session.refusal = "\"systemctl\" was not found in PATH";
  EXPECT_EQ(Run({"OS: Shutdown Windows", "OS: Logout"}), StepStatus::Okay);
  EXPECT_THAT(session.requests, ElementsAre("poweroff", "logoff"));
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("shutdown not requested: \"systemctl\"")));
}

TEST_F(OsStep, ShutdownRunvaneSendsKillRunvaneOnlyWhenTheLauncherAnswers) {
  EXPECT_EQ(Run({"OS: Shutdown Runvane"}), StepStatus::Failed);
  EXPECT_THAT(dde.commands(), IsEmpty());

  dde.SetRunning("Runvane", "System", true);
  EXPECT_EQ(Run({"OS: Shutdown Runvane"}), StepStatus::Okay);
  ASSERT_EQ(dde.commands().size(), 1u);
  EXPECT_EQ(dde.commands()[0].text, "KILLRUNVANE");
  EXPECT_EQ(dde.commands()[0].wait, dde::Wait::Yes);
  EXPECT_THAT(session.requests, IsEmpty());
}

TEST_F(OsStep, TheLoginFormChecksTheCredentialsAndNeverLogsThePassword) {
  EXPECT_EQ(Run({"OS: Login,\"alice\",\"s3,cret\",\"HOME\""}), StepStatus::Okay);
  EXPECT_EQ(Run({"OS: Login,\"alice\",\"wrong-pw\",\"HOME\""}), StepStatus::Failed);
  logon.failure = "no PAM service is configured for the log-in check";
  EXPECT_EQ(Run({"OS: Login,\"alice\",\"s3,cret\",\"\""}), StepStatus::Failed);
  EXPECT_EQ(Run({"OS: Login,\"alice\",\"s3,cret"}), StepStatus::Failed);
  EXPECT_THAT(logon.checked, ElementsAre("alice", "alice", "alice"));
  const std::string log = ReadFile(host.logger_.LogFile());
  EXPECT_THAT(log, HasSubstr("log-in of \"alice\" accepted"));
  EXPECT_THAT(log, HasSubstr("log-in of \"alice\" refused"));
  EXPECT_THAT(log, HasSubstr("no PAM service"));
  EXPECT_THAT(log, Not(HasSubstr("s3,cret")));
  EXPECT_THAT(log, Not(HasSubstr("wrong-pw")));
}

TEST(StepLineForLog, BlanksOnlyTheLoginFormsPassword) {
  EXPECT_EQ(StepLineForLog("OS: Login,\"bob\",\"pw\",\"dom\""),
            "OS: Login,\"bob\",\"********\",\"dom\"");
  EXPECT_EQ(StepLineForLog("OS: Login,\"bob\",\"pw"), "OS: Login,...");
  EXPECT_EQ(StepLineForLog("OS: Logout"), "OS: Logout");
  EXPECT_EQ(StepLineForLog("MESSAGE: \"Login,\",0"), "MESSAGE: \"Login,\",0");
}

}  // namespace
}  // namespace rv
