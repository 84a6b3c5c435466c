#include "platform/system_event_watches.h"

#include <gtest/gtest.h>

#include "platform/testing/test_home.h"

namespace rv {
namespace {

TEST(MemoryPressureWatch, PollingReportsEachDropBelowFivePercentOnce) {
  const std::string dir = testing::MakeTempDir();
  const std::string meminfo = dir + "meminfo";
  auto write = [&](long long available) {
    testing::WriteFile(meminfo,
                       "MemTotal:       1000000 kB\nMemFree:          10 kB\n"
                       "MemAvailable:   " +
                           std::to_string(available) + " kB\n");
  };
  MemoryPressureWatch watch = MemoryPressureWatch::Open(dir + "no-pressure-file", meminfo);
  EXPECT_EQ(watch.fd(), -1);
  write(600000);
  EXPECT_FALSE(watch.LowOnMemory());
  write(40000);
  EXPECT_TRUE(watch.LowOnMemory());
  EXPECT_FALSE(watch.LowOnMemory());  // still low: reported once
  write(80000);
  EXPECT_FALSE(watch.LowOnMemory());
  write(10000);
  EXPECT_TRUE(watch.LowOnMemory());
  testing::WriteFile(meminfo, "garbage\n");
  EXPECT_FALSE(watch.LowOnMemory());
}

TEST(DeviceChangeWatch, OpensAndHasNothingQueuedAtFirst) {
  Result<DeviceChangeWatch> watch = DeviceChangeWatch::Open();
  if (!watch) GTEST_SKIP() << watch.error();
  EXPECT_GE(watch->fd(), 0);
  EXPECT_FALSE(watch->Drain());
}

}  // namespace
}  // namespace rv
