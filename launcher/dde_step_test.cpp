// DDE against a real server of the test's own and against no server.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/task_list.h"
#include "launcher/testing_host.h"
#include "platform/dde_client.h"
#include "platform/dde_server.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TestingHost;

struct DdeStep : ::testing::Test {
  TestingHost host;
  RVTaskList list;
  dde::SocketClient client{
      dde::ClientTimeouts{std::chrono::milliseconds(1000), std::chrono::milliseconds(1000),
                          std::chrono::milliseconds(5000), std::chrono::milliseconds(1000)}};
  StepServices services{host.shell_, host.files_, host.trash_};

  void SetUp() override {
    services.dde = &client;
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

TEST_F(DdeStep, SendsOneWaitingExecuteAndSucceedsByTheServersAnswer) {
  std::vector<std::string> received;
  Result<std::unique_ptr<dde::Server>> server =
      dde::Server::Start("Editor", "Files", host.dispatcher_, [&](const std::string& text) {
        received.push_back(text);
        return text != "[refuse]";
      });
  ASSERT_TRUE(server) << server.error();
  // Service and topic names ignore case; a fourth value is not read.
  EXPECT_EQ(Run({"DDE: \"editor\",\"FILES\",\"[open(a.txt)]\",\"extra\""}), StepStatus::Okay);
  EXPECT_EQ(Run({"DDE: \"Editor\",\"Files\",\"[refuse]\""}), StepStatus::Failed);
  EXPECT_THAT(received, ElementsAre("[open(a.txt)]", "[refuse]"));
}

TEST_F(DdeStep, FailsWithoutAServer) {
  EXPECT_EQ(Run({"DDE: \"Nobody\",\"System\",\"[hello]\"", "DDE: \"never\",\"run\",\"x\""}),
            StepStatus::Failed);
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("DDE: Nobody|System: ")));
  EXPECT_THAT(host.LogLines(), Contains("T::(!) DDE command failed!"));
}

}  // namespace
}  // namespace rv
