// FOCUS, SEND and WAIT in a run, on the fake desktop.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "common/task_list.h"
#include "launcher/step_handlers.h"
#include "launcher/testing_host.h"
#include "platform/desktop/fake_desktop.h"

namespace rv {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

class WindowSteps : public ::testing::Test {
 protected:
  WindowSteps() {
    StepServices services{host_.shell_, host_.files_, host_.trash_};
    services.desktop = &desktop_;
    AddWindowSteps(host_.handlers_, services);
  }

  int Run(std::vector<std::string> steps, const std::string& name = "Job") {
    auto task = std::make_shared<RVTask>(host_.clock_);
    task->TaskName = name;
    task->Steps = std::move(steps);
    return host_.Run(task);
  }

  testing::TestingHost host_;
  FakeDesktop desktop_;
};

TEST_F(WindowSteps, FocusFindsTheWholeTitleWithoutRegardToCase) {
  desktop_.AddWindow("Report");
  const WindowHandle target = desktop_.AddWindow("My, Window");
  EXPECT_EQ(Run({"FOCUS: my, WINDOW"}), StepStatus::Okay);
  EXPECT_EQ(desktop_.foreground, target);
  EXPECT_EQ(Run({"FOCUS: My"}), StepStatus::Failed);  // part of a title
  EXPECT_EQ(Run({"FOCUS: Missing"}), StepStatus::Failed);
  desktop_.refuse_focus = true;
  EXPECT_EQ(Run({"FOCUS: Report"}), StepStatus::Failed);
}

TEST_F(WindowSteps, SendTypesTheRestOfTheLineAfterAnOptionalPause) {
  EXPECT_EQ(Run({"SEND: 0,\"50\",a,b\"c{ENTER}"}), StepStatus::Okay);
  EXPECT_EQ(desktop_.TypedText(), "a,b\"c\n");

  desktop_.ClearKeys();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({"SEND: 1,\"300\",x"}), StepStatus::Okay);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  EXPECT_EQ(desktop_.TypedText(), "x");
}

TEST_F(WindowSteps, SendWithABadRepeatCountFailsBeforeTypingAnything) {
  EXPECT_EQ(Run({"SEND: 0,\"0\",ab{TAB many}"}), StepStatus::Failed);
  EXPECT_TRUE(desktop_.Keys().empty());
  EXPECT_THAT(host_.LogLines(), Contains(HasSubstr("\"{TAB many}\"")));
}

TEST_F(WindowSteps, WaitSucceedsWhenTheWindowOpensLate) {
  std::thread opener([&] {
    std::this_thread::sleep_for(1200ms);
    desktop_.AddWindow("Late One");
  });
  EXPECT_EQ(Run({"WAIT: \"late one\",5,0,1,1,\"\"", "SEND: 0,\"0\",ok"}), StepStatus::Okay);
  opener.join();
  EXPECT_EQ(desktop_.TypedText(), "ok");
}

TEST_F(WindowSteps, AHiddenWindowIsWaitedForTheWholeTimeoutAndThenFound) {
  desktop_.AddWindow("Hidden", false);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({"WAIT: \"Hidden\",2,0,1,1,\"\""}), StepStatus::Okay);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(desktop_.window_searches(), 2);  // none after the last sleep
}

TEST_F(WindowSteps, AWindowThatNeverOpensTakesTheChosenOutcome) {
  EXPECT_EQ(Run({"WAIT: \"Never\",1,0,1,1,\"\""}), StepStatus::Failed);
  EXPECT_EQ(Run({"WAIT: \"Never\",1,0,1,2,\"\"", "SEND: 0,\"0\",z"}), StepStatus::Okay);
  EXPECT_EQ(desktop_.TypedText(), "z");
  EXPECT_EQ(Run({"WAIT: \"Never\",1,0,1,7,\"\""}), StepStatus::Failed);
}

TEST_F(WindowSteps, OutcomeZeroStopsTheTaskAndStartsTheNamedOneAfterIt) {
  RVTaskList list;
  std::shared_ptr<RVTask> waiting = list.Add();
  waiting->TaskName = "Waiter";
  waiting->Steps = {"WAIT: \"Never\",1,0,1,0,\"Next Job\"", "SEND: 0,\"0\",no"};
  std::shared_ptr<RVTask> next = list.Add();
  next->TaskName = "Next Job";
  EXPECT_EQ(host_.Run(waiting), StepStatus::StopTask);
  ASSERT_EQ(host_.started.size(), 1u);
  EXPECT_EQ(host_.started[0], next);
  EXPECT_TRUE(desktop_.Keys().empty());
}

TEST_F(WindowSteps, ATimeoutOfZeroSearchesNothingAndCountsAsNotFound) {
  desktop_.AddWindow("There");
  EXPECT_EQ(Run({"WAIT: \"There\",0,0,1,1,\"\""}), StepStatus::Failed);
  EXPECT_EQ(desktop_.window_searches(), 0);
}

TEST_F(WindowSteps, AnIntervalOfZeroPollsFourTimesASecondWithinTheTimeout) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({"WAIT: \"Never\",1,0,0,2,\"\""}), StepStatus::Okay);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_EQ(desktop_.window_searches(), 4);
}

TEST_F(WindowSteps, TheUnitOneMeansMinutes) {
  std::thread opener([&] {
    std::this_thread::sleep_for(1500ms);
    desktop_.AddWindow("Soon");
  });
  // 1 minute: the window that opens after 1.5 s is still seen.
  EXPECT_EQ(Run({"WAIT: \"Soon\",1,1,1,1,\"\""}), StepStatus::Okay);
  opener.join();
}

}  // namespace
}  // namespace rv
