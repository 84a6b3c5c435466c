#include "launcher/task_interpreter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/step_line.h"
#include "common/store_keys.h"
#include "common/task_list.h"
#include "launcher/testing_host.h"

namespace rv {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::TestingHost;

struct Interpreter : ::testing::Test {
  TestingHost host;
  RVTaskList list;
  std::vector<std::string> ran;

  Interpreter() {
    // Test handlers on real keywords: START records its parameter, DELETE
    // fails, OS asks the task to stop, COPY throws on a bad number.
    (void)host.handlers_.Set("START", [this](const std::string& params, RVTaskInterpreter& run) {
      ran.push_back(params);
      running_marker_seen =
          run.Host().Store()->ValueExists(Hive::CurrentUser, store_keys::kRunning, run.TaskName());
      return StepStatus::Okay;
    });
    (void)host.handlers_.Set(
        "DELETE", [](const std::string&, RVTaskInterpreter&) { return StepStatus::Failed; });
    (void)host.handlers_.Set(
        "OS", [](const std::string&, RVTaskInterpreter&) { return StepStatus::StopTask; });
    (void)host.handlers_.Set("COPY", [](const std::string& params, RVTaskInterpreter&) {
      std::string rest = params;
      return ReadInteger(NextParam(rest));
    });
  }

  std::shared_ptr<RVTask> Task(const std::string& name, std::vector<std::string> steps) {
    auto task = list.Add();
    task->TaskName = name;
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return task;
  }

  bool running_marker_seen = false;
};

TEST_F(Interpreter, RunLogsEveryStepAndReportsStartProgressAndEnd) {
  auto task = Task("Backup", {"START: a", "START: b"});
  EXPECT_EQ(host.Run(task), StepStatus::Okay);
  EXPECT_THAT(ran, ElementsAre("a", "b"));
  EXPECT_TRUE(running_marker_seen);
  EXPECT_FALSE(task->Running);
  EXPECT_FALSE(host.store_->ValueExists(Hive::CurrentUser, store_keys::kRunning, "Backup"));
  EXPECT_THAT(host.LogLines(), ElementsAre("Backup::Task Started", "Backup::START: a",
                                           "Backup::Step Okay", "Backup::START: b",
                                           "Backup::Step Okay", "Backup::Task \"Backup\" Ended."));
  EXPECT_THAT(host.notifications,
              ElementsAre("MESSAGE: ", "MESSAGE: (12/11/2026 9:30:00 AM) Task started: Backup",
                          "TASKSTART: Backup [wait]", "TASKEND: Backup [wait]",
                          "MESSAGE: (12/11/2026 9:30:00 AM) Task ended: Backup"));
}

TEST_F(Interpreter, DisabledStepsAndCommentsDoNotRun) {
  auto task = Task("Quiet", {"START: a", "MESSAGE: \"REM: not a message\",0", "START: c"});
  task->DisabledSteps = {"0", "2"};
  EXPECT_EQ(host.Run(task), StepStatus::Okay);
  EXPECT_TRUE(ran.empty());
  EXPECT_THAT(host.notifications,
              ::testing::Contains(
                  "MESSAGE: (12/11/2026 9:30:00 AM) MESSAGE: \"REM: not a message\",0 : Quiet"));
  EXPECT_THAT(host.notifications.back(), ::testing::HasSubstr("Task ended: Quiet"));
}

TEST_F(Interpreter, LoopBlocksRepeatTheirBody) {
  struct Row {
    const char* count;
    int expected_passes;
  };
  for (const Row& row : {Row{"3", 3}, Row{"0", 1}, Row{"1", 1}, Row{"", 1}}) {
    ran.clear();
    auto task = Task("Loop", {"START: before", "BEGINLOOP: \"\"", "START: body",
                              std::string("ENDLOOP: ") + row.count, "START: after"});
    EXPECT_EQ(host.Run(task), StepStatus::Okay);
    std::vector<std::string> expected = {"before"};
    for (int i = 0; i < row.expected_passes; ++i)
      expected.push_back("body");
    expected.push_back("after");
    EXPECT_THAT(ran, ElementsAreArray(expected)) << row.count;
  }
}

TEST_F(Interpreter, EndLoopWithoutBeginIsIllegal) {
  auto task = Task("Bad loop", {"ENDLOOP: 2", "START: never"});
  EXPECT_EQ(host.Run(task), StepStatus::Failed);
  EXPECT_TRUE(ran.empty());
  EXPECT_THAT(host.LogLines(), ::testing::Contains("Bad loop::Illegal loop block"));
  EXPECT_THAT(host.notifications.back(), ::testing::HasSubstr("Task FAILED: Bad loop"));
}

TEST_F(Interpreter, FailureAndStopRequestEndTheRun) {
  auto failing = Task("Fails", {"START: a", "DELETE: \"x\"", "START: never"});
  EXPECT_EQ(host.Run(failing), StepStatus::Failed);
  EXPECT_THAT(ran, ElementsAre("a"));
  EXPECT_THAT(host.LogLines(), ::testing::IsSupersetOf(
                                   {"Fails::Step Failed.", "Fails::(!) DELETE command failed!"}));

  auto stopping = Task("Stops", {"OS: Logout", "START: never"});
  EXPECT_EQ(host.Run(stopping), StepStatus::StopTask);
  EXPECT_THAT(ran, ElementsAre("a"));
  EXPECT_THAT(host.LogLines(),
              ::testing::IsSupersetOf({"Stops::Step Okay.", "Stops::Step request task to stop."}));
  EXPECT_THAT(host.notifications.back(),
              ::testing::HasSubstr("Task stopped programatically: Stops"));
}

TEST_F(Interpreter, UnknownKeywordsAndThrowingHandlersFailTheirStep) {
  auto unknown = Task("Unknown", {"Start: lower case", "START: never"});
  EXPECT_EQ(host.Run(unknown), StepStatus::Failed);
  auto bad_number = Task("Bad number", {"COPY: x", "START: never"});
  EXPECT_EQ(host.Run(bad_number), StepStatus::Failed);
  EXPECT_TRUE(ran.empty());
  const auto lines = host.LogLines();
  EXPECT_THAT(
      lines,
      ::testing::IsSupersetOf(
          {"Unknown::(!) There is no step command \"Start\"", "Unknown::(!) Start command failed!",
           "Bad number::(!) COPY: expected a whole number, found \"x\"",
           "Bad number::(!) COPY command failed!", "Bad number::Task \"Bad number\" Ended."}));
}

TEST_F(Interpreter, TerminateStopsBeforeTheNextStep) {
  (void)host.handlers_.Set("PAUSE", [](const std::string&, RVTaskInterpreter& run) {
    run.Terminate();
    return StepStatus::Okay;
  });
  auto task = Task("Killed", {"START: a", "PAUSE: 1 seconds", "START: never"});
  EXPECT_EQ(host.Run(task), StepStatus::Okay);
  EXPECT_THAT(ran, ElementsAre("a"));
  EXPECT_THAT(host.notifications, ::testing::Contains("TASKEND: Killed [wait]"));
}

TEST_F(Interpreter, ChainingStartsTheNamedTaskAfterTheRun) {
  (void)host.handlers_.Set("WAIT", [](const std::string& params, RVTaskInterpreter& run) {
    run.RequestChain(params);
    return StepStatus::StopTask;
  });
  auto next = Task("Next", {});
  auto chaining = Task("Chains", {"WAIT: Next"});
  EXPECT_EQ(host.Run(chaining), StepStatus::StopTask);
  ASSERT_EQ(host.started.size(), 1u);
  EXPECT_EQ(host.started[0], next);

  auto missing = Task("Chains to nothing", {"WAIT: Nobody"});
  host.Run(missing);
  EXPECT_EQ(host.started.size(), 1u);
  EXPECT_THAT(host.LogLines(),
              ::testing::Contains("Chains to nothing::(!) Couldn't start task \"Nobody\" "
                                  "referenced in task \"Chains to nothing\". Task not found."));

  auto orphan = std::make_shared<RVTask>();
  orphan->TaskName = kPlayStepsTaskName;
  orphan->Steps = {"WAIT: Next", "SCRIPT: \"x.bas\""};
  host.Run(orphan);
  EXPECT_EQ(host.started.size(), 1u);
  EXPECT_THAT(host.LogLines(),
              ::testing::Contains("Task Interpreter::(!) Couldn't locate parent TaskList!"));
  EXPECT_TRUE(host.written_back.empty());  // a test run never writes back
}

TEST_F(Interpreter, RunsWithScriptStepsWriteTheirTaskCopyBack) {
  (void)host.handlers_.Set("SCRIPT", [](const std::string&, RVTaskInterpreter& run) {
    run.TaskCopy().Details = {"changed by the script"};
    return StepStatus::Okay;
  });
  auto task = Task("Scripted", {"SCRIPT: \"job.bas\""});
  host.Run(task);
  EXPECT_THAT(host.written_back, ElementsAre("Scripted"));
  EXPECT_TRUE(task->Details.empty());  // the record itself is not touched
}

}  // namespace
}  // namespace rv
