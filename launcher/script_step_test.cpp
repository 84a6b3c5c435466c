#include "launcher/script_step.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <thread>

#include "automation/class_factory.h"
#include "automation/rvole/registration.h"
#include "common/task_list.h"
#include "launcher/testing_host.h"

namespace rv {
namespace {

// Keeps what the run hands to the write-back.
struct CapturingHost : testing::TestingHost {
  void WriteBackTask(const RVTask& copy, const std::string& started) override {
    written_back.push_back(copy.TaskName);
    started_as = started;
    details = copy.Details;
    steps = copy.Steps;
    launch = copy.LaunchDateTime;
  }
  std::vector<std::string> details;
  std::vector<std::string> steps;
  TDateTime launch = 0;
  std::string started_as;
};

struct ScriptStep : ::testing::Test {
  CapturingHost host;
  RVTaskList list;
  std::string dir = testing::MakeTempDir();

  std::shared_ptr<RVTask> TaskRunning(const std::string& body, std::vector<std::string> more = {}) {
    const std::string path = dir + "/job.bas";
    testing::WriteFile(path, "Sub Main\n" + body + "\nEnd Sub\n");
    auto task = list.Add();
    task->TaskName = "Job";
    task->LaunchDateTime = EncodeDate(2026, 1, 5) + EncodeTime(7, 4, 3, 0);
    task->Steps = {"SCRIPT: \"" + path + "\""};
    task->Steps.insert(task->Steps.end(), more.begin(), more.end());
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return task;
  }
};

TEST_F(ScriptStep, ScriptThatClearsActiveStopsTheTask) {
  auto task = TaskRunning("CurrentTask.Active = 0", {"BEGINLOOP: 1"});
  EXPECT_EQ(host.Run(task), 2);
  EXPECT_EQ(host.written_back, std::vector<std::string>{"Job"});
}

TEST_F(ScriptStep, ChangesToTheCurrentTaskReachTheWriteBack) {
  auto task = TaskRunning(
      "CurrentTask.Details = \"first\" & Chr(13) & Chr(10) & \"second\"\n"
      "CurrentTask.AppendTaskStep \"BEEP: \"\n"
      "CurrentTask.TaskName = \"Renamed\"\n"
      "If CurrentTask.TaskName <> \"Renamed\" Then CurrentTask.Active = 0");
  EXPECT_EQ(host.Run(task), 1);
  EXPECT_EQ(host.written_back, std::vector<std::string>{"Renamed"});
  EXPECT_EQ(host.details, (std::vector<std::string>{"first", "second"}));
  ASSERT_EQ(host.steps.size(), 2u);
  EXPECT_EQ(host.steps[1], "BEEP: ");
  EXPECT_EQ(host.launch, task->LaunchDateTime);
  // The running task itself is not touched; only its copy is.
  EXPECT_EQ(host.started_as, "Job");
  EXPECT_TRUE(task->Details.empty());
}

TEST_F(ScriptStep, ObjectsComeFromTheRegisteredServerAndAreReleased) {
  auto store = Registry::OpenDefault();
  ASSERT_TRUE(store);
  ASSERT_TRUE(RegisterServer(**store, RVOLE_LIBRARY));
  auto task = TaskRunning(
      "Set t = CreateObject(\"RVOLE.Task\")\n"
      "t.TaskName = \"made\"\n"
      "If t.TaskName = \"made\" Then CurrentTask.Active = 0");
  EXPECT_EQ(host.Run(task), 2);
  void* library = dlopen(RVOLE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  auto can_unload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(library, "DllCanUnloadNow"));
  EXPECT_EQ(can_unload(), S_OK);
  dlclose(library);
}

TEST_F(ScriptStep, KillStopsARunningScript) {
  auto task = TaskRunning("Do\nLoop");
  RVTaskInterpreter run(host, task, nullptr);
  run.Start();
  for (int i = 0; i < 20; ++i)
    host.dispatcher_.WaitAndRunPending(std::chrono::milliseconds(10));
  run.Terminate();
  for (int i = 0; i < 500 && !run.Finished(); ++i) {
    host.dispatcher_.WaitAndRunPending(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(run.Finished());
}

TEST_F(ScriptStep, TestRunsOfStepsAreNeverWrittenBack) {
  auto task = TaskRunning("CurrentTask.Details = \"x\"");
  task->TaskName = kPlayStepsTaskName;
  EXPECT_EQ(host.Run(task), 1);
  EXPECT_TRUE(host.written_back.empty());
}

TEST_F(ScriptStep, OverlongFileNameFailsTheStep) {
  auto task = list.Add();
  task->TaskName = "Long";
  task->Steps = {"SCRIPT: \"" + std::string(600, 'a') + "\""};
  task->StepCount = 1;
  EXPECT_EQ(host.Run(task), 0);
}

TEST(ScriptTaskData, PaddedLaunchLineAndReadBack) {
  RVTask task;
  task.TaskName = "T";
  task.LaunchDateTime = EncodeDate(1999, 1, 5) + EncodeTime(3, 4, 5, 0);
  task.Steps = {"BEEP: "};
  std::string text = ScriptTaskData(task);
  EXPECT_EQ(text.substr(0, text.find("\r\n", 3)), "T\r\n01/05/1999 3:04:05 AM");
  RVTask back;
  ASSERT_TRUE(ReadScriptTaskData(text, back));
  EXPECT_EQ(back.LaunchDateTime, task.LaunchDateTime);
  EXPECT_EQ(back.Steps, task.Steps);
  EXPECT_TRUE(back.Running);
  // A broken record leaves the task as it was.
  EXPECT_FALSE(ReadScriptTaskData("T\r\nnot a date\r\n", back));
  EXPECT_EQ(back.Steps, task.Steps);
}

}  // namespace
}  // namespace rv
