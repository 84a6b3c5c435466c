#include "launcher/thread_manager.h"

#include <gtest/gtest.h>

#include "launcher/testing_host.h"

namespace rv {
namespace {

using testing::TestingHost;

struct ThreadManager : ::testing::Test {
  TestingHost host;

  // A run whose first step waits until the test lets it go.
  std::unique_ptr<RVTaskInterpreter> Run(const std::string& name, std::atomic<bool>& gate) {
    auto task = std::make_shared<RVTask>();
    task->TaskName = name;
    task->Steps = {"START: wait", "START: second"};
    (void)host.handlers_.Set("START", [&gate](const std::string&, RVTaskInterpreter&) {
      while (!gate.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return StepStatus::Okay;
    });
    auto run = std::make_unique<RVTaskInterpreter>(host, task, nullptr);
    run->Start();
    return run;
  }

  void PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
      host.dispatcher_.WaitAndRunPending(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(done());
  }
};

TEST_F(ThreadManager, KillFindsTheFirstRunOfANameWithoutRegardToCase) {
  std::atomic<bool> gate{false};
  Threadmanager manager;
  manager.AddThread(Run("Backup", gate));
  manager.AddThread(Run("Backup", gate));
  ASSERT_EQ(manager.Count(), 2);
  const int index = manager.FindThread("BACKUP");
  ASSERT_EQ(index, 0);
  manager.TellThreadToTerminate(index);
  EXPECT_TRUE(manager.ThreadAt(0)->Terminated());
  EXPECT_FALSE(manager.ThreadAt(1)->Terminated());
  EXPECT_EQ(manager.FindThread("Mail"), -1);

  // Asked to stop is not yet over: nothing is freed while the step runs.
  EXPECT_FALSE(manager.ReapFinishedThreads());
  gate = true;
  PumpUntil([&] { return manager.ThreadAt(0)->Finished() && manager.ThreadAt(1)->Finished(); });
  // Both finished runs, next to each other, go in one pass.
  EXPECT_TRUE(manager.ReapFinishedThreads());
  EXPECT_EQ(manager.Count(), 0);
  EXPECT_FALSE(manager.ReapFinishedThreads());
}

TEST_F(ThreadManager, PlaceholdersStayUntilRemovedAndShadowKill) {
  std::atomic<bool> gate{true};
  Threadmanager manager;
  manager.AddPlaceholder("Late task");
  manager.AddThread(Run("Late task", gate));
  EXPECT_EQ(manager.FindThread("late task"), 0);
  manager.TellThreadToTerminate(0);  // a placeholder has nothing to stop
  PumpUntil([&] { return manager.ThreadAt(1)->Finished(); });
  EXPECT_TRUE(manager.ReapFinishedThreads());
  ASSERT_EQ(manager.Count(), 1);
  EXPECT_EQ(manager.ThreadAt(0), nullptr);
  EXPECT_TRUE(manager.RemovePlaceholder("LATE TASK"));
  EXPECT_EQ(manager.Count(), 0);
  EXPECT_FALSE(manager.RemovePlaceholder("Late task"));
}

}  // namespace
}  // namespace rv
