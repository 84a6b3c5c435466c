#include "launcher/app/log_feed.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/testing/test_home.h"

namespace rv {
namespace {

void Append(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << text;
}

TEST(LogFeedTest, TakesOnlyLinesWrittenSinceTheLastRead) {
  const std::string path = testing::MakeTempDir() + "RUNVANE.LOG";
  testing::WriteFile(path, "one\ntwo\n");
  LogFeed feed;
  ASSERT_TRUE(feed.Open(path));
  EXPECT_EQ(feed.ReadNewLines(), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(feed.ReadNewLines().empty());
  Append(path, "three\n");
  EXPECT_EQ(feed.ReadNewLines(), (std::vector<std::string>{"three"}));
  EXPECT_TRUE(feed.ReadNewLines().empty());
}

TEST(LogFeedTest, LongLinesComeInPiecesOfAtMost511Characters) {
  const std::string path = testing::MakeTempDir() + "RUNVANE.LOG";
  std::string long_line;
  for (int i = 0; i < 1200; ++i)
    long_line += static_cast<char>('a' + i % 26);
  const std::string exact(511, 'x');
  testing::WriteFile(path, long_line + "\n" + exact + "\nafter\n");
  LogFeed feed;
  ASSERT_TRUE(feed.Open(path));
  const std::vector<std::string> lines = feed.ReadNewLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], long_line.substr(0, 511));
  EXPECT_EQ(lines[1], long_line.substr(511, 511));
  EXPECT_EQ(lines[2], long_line.substr(1022));
  // A line of exactly one piece is one line, not one and an empty one.
  EXPECT_EQ(lines[3], exact);
  EXPECT_EQ(lines[4], "after");
}

TEST(LogFeedTest, ALineStillBeingWrittenWaitsUntilItIsWhole) {
  const std::string path = testing::MakeTempDir() + "RUNVANE.LOG";
  testing::WriteFile(path, "done\n(06/09/1998 5:03:07 PM) - half");
  LogFeed feed;
  ASSERT_TRUE(feed.Open(path));
  EXPECT_EQ(feed.ReadNewLines(), (std::vector<std::string>{"done"}));
  Append(path, " written\n");
  EXPECT_EQ(feed.ReadNewLines(),
            (std::vector<std::string>{"(06/09/1998 5:03:07 PM) - half written"}));
}

TEST(LogFeedTest, AMissingFileDoesNotOpen) {
  LogFeed feed;
  EXPECT_FALSE(feed.Open(testing::MakeTempDir() + "none.log"));
  EXPECT_FALSE(feed.IsOpen());
  EXPECT_TRUE(feed.ReadNewLines().empty());
}

}  // namespace
}  // namespace rv
