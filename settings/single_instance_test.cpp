#include "settings/single_instance.h"

#include <gtest/gtest.h>

#include <optional>

namespace rv {
namespace {

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstEnds) {
  std::optional<SingleInstance> first;
  {
    Result<SingleInstance> acquired = SingleInstance::Acquire();
    ASSERT_TRUE(acquired) << acquired.error();
    first.emplace(std::move(*acquired));
  }
  Result<SingleInstance> second = SingleInstance::Acquire();
  ASSERT_FALSE(second);
  EXPECT_NE(second.error().find("RunvaneSettingsMutex: held by another process"),
            std::string::npos);
  first.reset();
  EXPECT_TRUE(SingleInstance::Acquire());
}

}  // namespace
}  // namespace rv
