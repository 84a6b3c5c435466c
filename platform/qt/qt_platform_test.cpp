#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "platform/fake_message_box.h"
#include "platform/qt/display.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/testing/test_application.h"

namespace rv {
namespace {

using namespace std::chrono_literals;

// Runs the event loop until `done` or the time-out; false on time-out.
template <typename Predicate>
bool SpinUntil(Predicate done, std::chrono::milliseconds timeout = 5s) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeout.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

class QtPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::TestApplication(); }
};

TEST_F(QtPlatformTest, PostedWorkRunsOnTheMainThreadInOrder) {
  QtDispatcher dispatcher;
  std::vector<int> order;
  const auto main_thread = std::this_thread::get_id();
  std::atomic<bool> wrong_thread{false};
  std::thread other([&] {
    for (int i = 0; i < 50; ++i) {
      dispatcher.post([&, i] {
        if (std::this_thread::get_id() != main_thread) wrong_thread = true;
        order.push_back(i);
      });
    }
  });
  other.join();
  ASSERT_TRUE(SpinUntil([&] { return order.size() == 50; }));
  EXPECT_FALSE(wrong_thread);
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(order[static_cast<size_t>(i)], i);
}

TEST_F(QtPlatformTest, RunAndWaitOnTheMainThreadRunsDirectly) {
  QtDispatcher dispatcher;
  bool ran = false;
  dispatcher.runAndWait([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST_F(QtPlatformTest, RunAndWaitIsServedFromANestedEventLoop) {
  QtDispatcher dispatcher;
  std::atomic<bool> served{false};
  std::thread worker;
  // The main thread sits in a nested loop (as in a modal question) while a
  // worker asks it for work; the loop ends once that work has run.
  QEventLoop nested;
  QTimer::singleShot(0, [&] {
    worker = std::thread([&] {
      dispatcher.runAndWait([&] { served = true; });
      QMetaObject::invokeMethod(
          &nested, [&] { nested.quit(); }, Qt::QueuedConnection);
    });
  });
  QTimer::singleShot(5000, &nested, &QEventLoop::quit);
  nested.exec();
  worker.join();
  EXPECT_TRUE(served);
}

TEST_F(QtPlatformTest, RunAndWaitHandsAnExceptionToTheCaller) {
  QtDispatcher dispatcher;
  std::atomic<bool> caught{false};
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    try {
      dispatcher.runAndWait([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error& error) {
      caught = std::string(error.what()) == "boom";
    }
    finished = true;
  });
  ASSERT_TRUE(SpinUntil([&] { return finished.load(); }));
  worker.join();
  EXPECT_TRUE(caught);
}

TEST_F(QtPlatformTest, CloseReleasesAWaiterWhoseWorkNeverRuns) {
  auto dispatcher = std::make_unique<QtDispatcher>();
  std::atomic<bool> ran{false};
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    dispatcher->runAndWait([&] { ran = true; });
    returned = true;
  });
  // No event loop runs: the worker waits until Close releases it.
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(returned);
  dispatcher->Close();
  worker.join();
  EXPECT_TRUE(returned);
  dispatcher.reset();
  QCoreApplication::processEvents();
  EXPECT_FALSE(ran);
}

TEST_F(QtPlatformTest, TimerTicksWhileEnabledOnly) {
  QtTimer timer;
  int ticks = 0;
  timer.SetCallback([&] { ++ticks; });
  timer.SetInterval(5ms);
  EXPECT_EQ(timer.Interval(), 5ms);
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  ASSERT_TRUE(SpinUntil([&] { return ticks >= 3; }));
  timer.SetEnabled(false);
  const int seen = ticks;
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < 40)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_EQ(ticks, seen);
}

TEST_F(QtPlatformTest, WithoutADisplayAQuestionIsLoggedAndTakesItsDefault) {
  ASSERT_FALSE(HasDisplay());
  std::vector<std::pair<std::string, int>> logged;
  QtMessageBox boxes([&](const std::string& line, int level) { logged.emplace_back(line, level); });

  struct Row {
    std::vector<MessageButton> buttons;
    std::optional<MessageButton> default_button;
    MessageButton expected;
  };
  const std::vector<Row> rows = {
      {{MessageButton::Yes, MessageButton::No}, MessageButton::No, MessageButton::No},
      {{MessageButton::Yes, MessageButton::No}, std::nullopt, MessageButton::Yes},
      {{}, std::nullopt, MessageButton::Ok},
      // A default that is not offered falls back to the first button.
      {{MessageButton::Retry, MessageButton::Cancel}, MessageButton::Ok, MessageButton::Retry},
  };
  for (const Row& row : rows) {
    logged.clear();
    MessageRequest request{"Are you sure?",    "Quit", MessageIcon::Question, row.buttons,
                           row.default_button, true};
    EXPECT_EQ(boxes.Ask(request), row.expected);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].second, 20);
    EXPECT_NE(logged[0].first.find("Are you sure?"), std::string::npos);
    EXPECT_NE(logged[0].first.find("Quit"), std::string::npos);
    EXPECT_NE(logged[0].first.find(MessageButtonName(row.expected)), std::string::npos);
  }
}

TEST_F(QtPlatformTest, FakeMessageBoxAnswersFromItsScriptThenByDefault) {
  FakeMessageBox boxes;
  boxes.Script({MessageButton::No});
  MessageRequest request{"Go?",
                         "Q",
                         MessageIcon::Question,
                         {MessageButton::Yes, MessageButton::No},
                         MessageButton::Yes,
                         false};
  EXPECT_EQ(boxes.Ask(request), MessageButton::No);
  EXPECT_EQ(boxes.Ask(request), MessageButton::Yes);
  EXPECT_EQ(boxes.asked.size(), 2u);
}

}  // namespace
}  // namespace rv
