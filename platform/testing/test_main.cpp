// The one main of every GoogleTest binary: a fresh RUNVANE_HOME per process.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace rv::testing {
void InitTestHome();
void RemoveTestHome();
}  // namespace rv::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  rv::testing::InitTestHome();
  int status = RUN_ALL_TESTS();
  rv::testing::RemoveTestHome();
  return status;
}
