#include "platform/time_change_watch.h"

#include <poll.h>
#include <time.h>

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(TimeChangeWatch, QuietUntilTheClockIsSet) {
  Result<TimeChangeWatch> watch = TimeChangeWatch::Open();
  ASSERT_TRUE(watch) << watch.error();
  pollfd entry{watch->fd(), POLLIN, 0};
  EXPECT_EQ(::poll(&entry, 1, 50), 0);
  EXPECT_FALSE(watch->ClockWasSet());
  // Setting the clock needs privileges tests must not use; a process that
  // has them sees the watch become readable (checked by hand with date -s).
}

}  // namespace
}  // namespace rv
