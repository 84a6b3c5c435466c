#include "common/logger.h"

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/task_file_reader.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

using testing::ReadFile;

TDateTime Moment() {
  return EncodeDate(1998, 6, 9) + EncodeTime(17, 3, 7, 450);
}

TEST(Logger, LineFormat) {
  EXPECT_EQ(TRVLogger::FormatLine(Moment(), "Runvane Launcher Started"),
            "(06/09/1998 5:03:07 PM) - Runvane Launcher Started\n");
}

TEST(Logger, ThresholdDecidesWhatIsWritten) {
  ManualClock clock(Moment());
  TRVLogger logger(clock);
  const std::string file = testing::MakeTempDir() + "RUNVANE.LOG";
  logger.SetLogFile(file);
  EXPECT_FALSE(logger.LogEvent("before activation", 90));
  logger.SetThreshold(20);
  logger.ToggleActivate(true);
  ASSERT_TRUE(logger.Enabled());
  EXPECT_FALSE(logger.LogEvent("progress", 1));
  EXPECT_TRUE(logger.LogEvent("failure", 90));
  EXPECT_TRUE(logger.LogEvent("notice", 20));
  logger.SetThreshold(0);
  EXPECT_TRUE(logger.LogEvent("detail", 0));
  EXPECT_EQ(ReadFile(file),
            "(06/09/1998 5:03:07 PM) - failure\n(06/09/1998 5:03:07 PM) - notice\n"
            "(06/09/1998 5:03:07 PM) - detail\n");
  logger.ToggleActivate(false);
  EXPECT_FALSE(logger.Enabled());
  EXPECT_FALSE(logger.LogEvent("closed", 90));
}

TEST(Logger, NewStartAppendsAndDefaultFileIsInTheDataDirectory) {
  ManualClock clock(Moment());
  {
    TRVLogger first(clock);
    first.ToggleActivate(true);
    EXPECT_EQ(first.LogFile(), TRVLogger::GetFilePath() + "RUNVANE.LOG");
    EXPECT_TRUE(first.LogEvent("first start", 1));
  }
  TRVLogger second(clock);
  second.ToggleActivate(true);
  EXPECT_TRUE(second.LogEvent("second start", 1));
  EXPECT_EQ(ReadFile(second.LogFile()),
            "(06/09/1998 5:03:07 PM) - first start\n(06/09/1998 5:03:07 PM) - second start\n");
}

TEST(Logger, UnopenableFileLeavesTheLoggerDisabled) {
  TRVLogger logger;
  logger.SetLogFile(testing::MakeTempDir() + "no/such/dir/log");
  logger.ToggleActivate(true);
  EXPECT_FALSE(logger.Enabled());
  EXPECT_FALSE(logger.LogEvent("lost", 90));
}

TEST(Logger, LinesFromManyThreadsStayWhole) {
  TRVLogger logger;
  logger.SetLogFile(testing::MakeTempDir() + "RUNVANE.LOG");
  logger.ToggleActivate(true);
  constexpr int kThreads = 8;
  constexpr int kLines = 400;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string text = "Task " + std::to_string(t) + "::" + std::string(200, 'a' + t);
      for (int i = 0; i < kLines; ++i)
        logger.LogEvent(text, 1);
    });
  }
  for (auto& thread : threads)
    thread.join();
  const std::vector<std::string> lines = SplitTaskFileLines(ReadFile(logger.LogFile()));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  for (const std::string& line : lines) {
    const size_t dash = line.find(") - Task ");
    ASSERT_NE(dash, std::string::npos) << line;
    const int t = line[dash + 9] - '0';
    EXPECT_EQ(line.substr(dash + 4),
              "Task " + std::to_string(t) + "::" + std::string(200, 'a' + t));
  }
}

}  // namespace
}  // namespace rv
