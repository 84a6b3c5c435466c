#include "platform/manual_dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace rv {
namespace {

using namespace std::chrono_literals;

TEST(ManualDispatcherTest, RunsPostedWorkInOrderIncludingWorkPostedMeanwhile) {
  ManualDispatcher dispatcher;
  std::vector<int> order;
  dispatcher.post([&] {
    order.push_back(1);
    dispatcher.post([&] { order.push_back(3); });
  });
  dispatcher.post([&] { order.push_back(2); });
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(dispatcher.RunPending(), 3u);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(ManualDispatcherTest, RunAndWaitOnTheMainThreadRunsDirectly) {
  ManualDispatcher dispatcher;
  bool ran = false;
  dispatcher.runAndWait([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_EQ(dispatcher.PendingCount(), 0u);
}

TEST(ManualDispatcherTest, RunAndWaitFromAnotherThreadRunsOnTheMainThreadAndPassesExceptions) {
  ManualDispatcher dispatcher;
  std::thread::id ran_on;
  std::string caught;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    try {
      dispatcher.runAndWait([&] {
        ran_on = std::this_thread::get_id();
        throw std::runtime_error("boom");
      });
    } catch (const std::runtime_error& error) {
      caught = error.what();
    }
    done = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!done && std::chrono::steady_clock::now() < deadline)
    dispatcher.WaitAndRunPending(10ms);
  worker.join();
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_EQ(caught, "boom");
}

TEST(ManualDispatcherTest, DestructionReleasesAThreadWaitingInRunAndWait) {
  auto dispatcher = std::make_unique<ManualDispatcher>();
  std::atomic<bool> ran{false};
  std::thread worker([&] { dispatcher->runAndWait([&] { ran = true; }); });
  while (dispatcher->PendingCount() == 0)
    std::this_thread::sleep_for(1ms);
  dispatcher.reset();
  worker.join();  // would hang if the waiter were not released
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace rv
