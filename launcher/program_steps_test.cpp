#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/task_list.h"
#include "launcher/testing_host.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::TestingHost;
using Request = FakeShell::Request;

struct ProgramSteps : ::testing::Test {
  TestingHost host;
  RVTaskList list;

  int Run(std::vector<std::string> steps) {
    auto task = list.Add();
    task->TaskName = "T";
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host.Run(task);
  }
};

TEST_F(ProgramSteps, StartTakesTheProgramsDirectoryWhenNoneIsGivenAndMapsTheWindowState) {
  struct Row {
    const char* line;
    Request expected;
  };
  for (const Row& row : {
           Row{"START: \"/opt/tools/app\",\"-v 'a b'\",0,\"\"",
               {"open", "/opt/tools/app", "-v 'a b'", "/opt/tools/", WindowState::Normal}},
           Row{"START: \"/opt/tools/app\",\"\",1,\"/work\"",
               {"open", "/opt/tools/app", "", "/work", WindowState::Maximized}},
           Row{"START: \"app\",\"\",2,\"\"", {"open", "app", "", "", WindowState::Minimized}},
           Row{"START: \"../rel/doc.txt\",\"\",3,\"\"",
               {"open", "../rel/doc.txt", "", "../rel/", WindowState::Hidden}},
       }) {
    const std::size_t before = host.shell_.requests().size();
    EXPECT_EQ(Run({row.line}), StepStatus::Okay) << row.line;
    const std::vector<Request> requests = host.shell_.requests();
    ASSERT_EQ(requests.size(), before + 1) << row.line;
    EXPECT_EQ(requests.back(), row.expected) << row.line;
  }
}

TEST_F(ProgramSteps, StartOutsideTheWindowStatesStartsNothingAndSucceeds) {
  EXPECT_EQ(Run({"START: \"/bin/app\",\"\",4,\"\"", "START: \"/bin/app\",\"\",-1,\"\""}),
            StepStatus::Okay);
  EXPECT_THAT(host.shell_.requests(), IsEmpty());
}

TEST_F(ProgramSteps, AShellFailureIsLoggedButNeverFailsTheTask) {
  host.shell_.FailWith("cannot open \"/x\": No such file or directory");
  EXPECT_EQ(Run({"START: \"/x\",\"\",0,\"\"", "OPEN: \"/x\"", "PRINT: \"/x\""}), StepStatus::Okay);
  EXPECT_EQ(host.shell_.requests().size(), 3u);
  const auto lines = host.LogLines();
  EXPECT_THAT(lines, Contains("T::START: cannot open \"/x\": No such file or directory"));
  EXPECT_THAT(lines, Contains("T::PRINT: cannot open \"/x\": No such file or directory"));
}

TEST_F(ProgramSteps, AWindowStateThatIsNoNumberFailsTheStepWithTheReason) {
  EXPECT_EQ(Run({"START: \"/bin/app\",\"\",x,\"\""}), StepStatus::Failed);
  EXPECT_THAT(host.shell_.requests(), IsEmpty());
  EXPECT_THAT(host.LogLines(), Contains("T::(!) START: expected a whole number, found \"x\""));
}

TEST_F(ProgramSteps, OpenAndPrintTakeTheTextBetweenTheQuotes) {
  EXPECT_EQ(Run({"OPEN: \"report.txt\"", "OPEN: \"/home/u/a b.txt\"", "PRINT: \"/home/u/c.txt\""}),
            StepStatus::Okay);
  EXPECT_THAT(host.shell_.requests(),
              ElementsAre(Request{"open", "report.txt", "", "", WindowState::Normal},
                          Request{"open", "/home/u/a b.txt", "", "/home/u/", WindowState::Normal},
                          Request{"print", "/home/u/c.txt", "", "", std::nullopt}));
}

}  // namespace
}  // namespace rv
