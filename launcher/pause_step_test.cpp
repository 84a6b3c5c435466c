#include "launcher/pause_step.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/task_list.h"
#include "launcher/testing_host.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::TestingHost;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(PauseLength, UnitWordsAreFoundInOrderMinuteMillisecondSecond) {
  struct Row {
    const char* text;
    std::int64_t ms;
    bool has_unit;
  };
  for (const Row& row : {
           Row{"2 minutes", 120000, true},
           Row{"1 minute", 60000, true},
           Row{"750 milliseconds", 750, true},
           Row{"10 seconds", 10000, true},
           Row{"0 seconds", 0, true},
           Row{" 3  seconds", 3000, true},
           Row{"35791395 minutes", 2147483700000, true},  // beyond 32 bits
           Row{"5 hours", 0, false},
           Row{"", 0, false},
       }) {
    Result<PauseLength> length = ReadPauseLength(row.text);
    ASSERT_TRUE(length) << row.text << ": " << length.error();
    EXPECT_EQ(length->duration.count(), row.ms) << row.text;
    EXPECT_EQ(length->has_unit, row.has_unit) << row.text;
  }
  for (const char* bad : {"x seconds", "5x seconds", "seconds", "-5 seconds", "1.5 minutes"}) {
    EXPECT_FALSE(ReadPauseLength(bad)) << bad;
  }
  EXPECT_EQ(ReadPauseLength("-5 seconds").error(), "the pause \"-5 seconds\" cannot be negative");
}

struct PauseStep : ::testing::Test {
  TestingHost host;
  RVTaskList list;

  std::shared_ptr<RVTask> Task(std::vector<std::string> steps) {
    auto task = list.Add();
    task->TaskName = "P";
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return task;
  }
};

TEST_F(PauseStep, SleepsAtLeastTheCount) {
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(host.Run(Task({"PAUSE: 60 milliseconds", "PAUSE: 0 seconds"})), StepStatus::Okay);
  EXPECT_GE(Clock::now() - start, milliseconds(60));
}

TEST_F(PauseStep, ATerminateRequestLetsThePauseFinishAndStopsTheNextStep) {
  auto task = Task({"PAUSE: 250 milliseconds", "OPEN: \"/never\""});
  const Clock::time_point start = Clock::now();
  RVTaskInterpreter run(host, task, nullptr);
  run.Start();
  // Terminate once the pause is under way: its line is logged just before.
  auto pausing = [&] {
    const auto lines = host.LogLines();
    return std::find(lines.begin(), lines.end(), "P::PAUSE: 250 milliseconds") != lines.end();
  };
  while (!pausing() && !run.Finished())
    host.dispatcher_.WaitAndRunPending(milliseconds(1));
  run.Terminate();
  while (!run.Finished())
    host.dispatcher_.WaitAndRunPending(milliseconds(5));
  host.dispatcher_.RunPending();
  EXPECT_GE(Clock::now() - start, milliseconds(250));
  EXPECT_EQ(run.FinalStatus(), StepStatus::Okay);
  EXPECT_THAT(host.shell_.requests(), IsEmpty());
  EXPECT_THAT(host.notifications, Contains(HasSubstr("Task ended: P")));
}

TEST_F(PauseStep, TheLaunchersEndCutsALongPauseShort) {
  host.shutting_down = true;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(host.Run(Task({"PAUSE: 10 minutes"})), StepStatus::Okay);
  EXPECT_LT(Clock::now() - start, std::chrono::minutes(1));
}

TEST_F(PauseStep, AMalformedCountFailsTheStepAndAMissingUnitIsLogged) {
  EXPECT_EQ(host.Run(Task({"PAUSE: 5 hours", "PAUSE: five seconds", "OPEN: \"/never\""})),
            StepStatus::Failed);
  EXPECT_THAT(host.shell_.requests(), IsEmpty());
  EXPECT_THAT(host.LogLines(),
              ::testing::IsSupersetOf(
                  {"P::PAUSE: no unit (\"seconds\", \"minutes\" or \"milliseconds\") in \"5 "
                   "hours\"; no pause",
                   "P::(!) PAUSE: the pause \"five seconds\" needs a count of seconds: expected a "
                   "whole number, found \"five \"",
                   "P::(!) PAUSE command failed!"}));
}

}  // namespace
}  // namespace rv
