#include "settings/task_file_choice.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/preferences.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

struct TaskFileChoice : ::testing::Test {
  std::unique_ptr<Registry> store = *Registry::Open(testing::MakeTempDir() + "registry.db");
  RVPreferences prefs{store.get()};
  const std::string beside = RVPreferences::ProgramDirectory() + "TASKS.RVD";
  void TearDown() override { std::filesystem::remove(beside); }
};

TEST_F(TaskFileChoice, ConfiguredFileWins) {
  const std::string mine = testing::MakeTempDir() + "mine.rvd";
  testing::WriteFile(mine, "__RVTLST__\r\n");
  prefs.TaskFile = mine;
  EXPECT_EQ(ConfiguredTaskFile(prefs), mine);
}

TEST_F(TaskFileChoice, ValidFileBesideTheProgramIsRemembered) {
  prefs.TaskFile = "";
  testing::WriteFile(beside, "__RVTLST__\r\n");
  EXPECT_EQ(ConfiguredTaskFile(prefs), beside);
  RVPreferences reloaded(store.get());
  EXPECT_EQ(reloaded.TaskFile, beside);
}

TEST_F(TaskFileChoice, WithoutAUsableFileTheUserChooses) {
  prefs.TaskFile = testing::MakeTempDir() + "gone.rvd";
  EXPECT_EQ(ConfiguredTaskFile(prefs), std::nullopt);
  testing::WriteFile(beside, "just some notes\r\n");
  EXPECT_EQ(ConfiguredTaskFile(prefs), std::nullopt);
}

TEST_F(TaskFileChoice, NewTaskFileHoldsOnlyTheHeader) {
  const std::string path = testing::MakeTempDir() + "new.rvd";
  ASSERT_TRUE(CreateEmptyTaskFile(path));
  EXPECT_EQ(testing::ReadFile(path), "__RVTLST__\r\n");
  Result<void> failed = CreateEmptyTaskFile(testing::MakeTempDir() + "no/such/new.rvd");
  ASSERT_FALSE(failed);
  EXPECT_NE(failed.error().find("new.rvd: cannot create the file"), std::string::npos);
}

}  // namespace
}  // namespace rv
