#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <optional>

namespace rv {
namespace {

TEST(NamedMutex, SecondHolderIsRefusedUntilTheFirstEnds) {
  std::optional<NamedMutex> first;
  {
    Result<NamedMutex> acquired = NamedMutex::Acquire("RunvaneSettingsMutex");
    ASSERT_TRUE(acquired) << acquired.error();
    first.emplace(std::move(*acquired));
  }
  Result<NamedMutex> second = NamedMutex::Acquire("RunvaneSettingsMutex");
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error(), "RunvaneSettingsMutex is held by another process");
  // Another name is another mutex.
  EXPECT_TRUE(NamedMutex::Acquire("RunvaneMutex"));
  first.reset();
  EXPECT_TRUE(NamedMutex::Acquire("RunvaneSettingsMutex"));
}

}  // namespace
}  // namespace rv
