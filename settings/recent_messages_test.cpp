#include "settings/recent_messages.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(RecentMessages, KeepsTheLast51Lines) {
  RecentMessages messages;
  for (int i = 1; i <= 60; ++i)
    messages.AddMessage("message " + std::to_string(i));
  ASSERT_EQ(messages.Lines().size(), 51u);
  EXPECT_EQ(messages.Lines().front(), "message 10");
  EXPECT_EQ(messages.Lines().back(), "message 60");
}

TEST(RecentMessages, TextEndsEveryLineWithCrLf) {
  RecentMessages messages;
  EXPECT_EQ(messages.Text(), "");
  messages.AddMessage("one");
  messages.AddMessage("two");
  EXPECT_EQ(messages.Text(), "one\r\ntwo\r\n");
  messages.Clear();
  EXPECT_TRUE(messages.Lines().empty());
}

}  // namespace
}  // namespace rv
