#include "settings/task_commands.h"

#include <gtest/gtest.h>

#include "common/preferences.h"
#include "common/store_keys.h"
#include "common/task_list.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

// A real task file and store: the task manager's list, and a second list
// that plays the other program.
struct TaskCommandsTest : ::testing::Test {
  std::string dir = testing::MakeTempDir();
  std::unique_ptr<Registry> store = *Registry::Open(dir + "registry.db");
  RVPreferences prefs{store.get()};
  std::string file = dir + "TASKS.RVD";
  RVTaskList tasks{file, store.get()};
  TaskCommands commands{tasks, prefs};

  void SetUp() override {
    RVTaskList writer(file, store.get());
    for (const char* name : {"Backup", "Backup (1)", "Mail"}) {
      auto task = writer.Add();
      task->TaskName = name;
      task->Active = true;
      task->TaskTriggers = TriggerBits::Scheduled;
      task->Steps = {"PAUSE: 1 seconds"};
      task->StepCount = 1;
    }
    ASSERT_TRUE(writer.SaveToFile());
    ASSERT_TRUE(tasks.LoadFromFile());
    prefs.SetChangeFlag(ChangeFlag::SettingsChange, false);
    prefs.ClearFileLock();
  }

  // The file as another program reads it.
  std::vector<std::string> NamesInFile() {
    RVTaskList reader(file, store.get());
    EXPECT_TRUE(reader.LoadFromFile());
    std::vector<std::string> names;
    for (int32_t i = 0; i < reader.Count(); ++i)
      names.push_back(reader.Item(i)->TaskName);
    return names;
  }
  bool LockIsFree() {
    return store->ReadInteger(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked)
               .value_or(-1) == 0;
  }
};

TEST_F(TaskCommandsTest, CopyTakesTheFirstFreeNumberAndStartsInactive) {
  CommandResult result = commands.Copy("Backup");
  ASSERT_TRUE(result.done()) << result.error;
  EXPECT_EQ(result.name, "Backup (2)");
  result = commands.Copy("Backup (1)");
  ASSERT_TRUE(result.done());
  EXPECT_EQ(result.name, "Backup (1) (1)");

  EXPECT_EQ(NamesInFile(), (std::vector<std::string>{"Backup", "Backup (1)", "Mail", "Backup (2)",
                                                     "Backup (1) (1)"}));
  auto copy = tasks.FindByName("Backup (2)");
  ASSERT_NE(copy, nullptr);
  EXPECT_FALSE(copy->Active);
  EXPECT_EQ(copy->Steps, std::vector<std::string>{"PAUSE: 1 seconds"});
  EXPECT_EQ(copy->TaskTriggers, TriggerBits::Scheduled);
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::SettingsChange));
  EXPECT_TRUE(LockIsFree());
}

TEST_F(TaskCommandsTest, ToggleRenameAndDeleteReachTheFile) {
  CommandResult result = commands.ToggleActive("Mail");
  ASSERT_TRUE(result.done());
  EXPECT_FALSE(result.active);
  EXPECT_FALSE(tasks.FindByName("Mail")->Active);
  EXPECT_TRUE(commands.ToggleActive("Mail").active);

  ASSERT_TRUE(commands.Rename("Mail", "Post").done());
  // No validation: an empty or duplicate name is taken as typed.
  ASSERT_TRUE(commands.Rename("Backup (1)", "Backup").done());
  EXPECT_EQ(NamesInFile(), (std::vector<std::string>{"Backup", "Backup", "Post"}));

  ASSERT_TRUE(commands.Delete("Post").done());
  EXPECT_EQ(NamesInFile(), (std::vector<std::string>{"Backup", "Backup"}));
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::SettingsChange));
  EXPECT_TRUE(LockIsFree());
}

TEST_F(TaskCommandsTest, TaskDeletedByAnotherProgramIsLeftAlone) {
  {
    RVTaskList other(file, store.get());
    ASSERT_EQ(other.LockFile(1), 1);
    other.Remove(other.FindByName("Mail").get());
    ASSERT_TRUE(other.SaveToFile());
    other.UnlockFile();
  }
  const std::string before = testing::ReadFile(file);
  for (CommandResult result : {commands.ToggleActive("Mail"), commands.Copy("Mail"),
                               commands.Rename("Mail", "Post"), commands.Delete("Mail")}) {
    EXPECT_EQ(result.outcome, CommandOutcome::TaskMissing);
  }
  EXPECT_EQ(testing::ReadFile(file), before);
  EXPECT_EQ(tasks.Count(), 2);  // the lock re-read the file
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::SettingsChange));
  EXPECT_TRUE(LockIsFree());
}

TEST_F(TaskCommandsTest, BusyLockChangesNothingAndSaysWhy) {
  ASSERT_TRUE(store->WriteInteger(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked, 1));
  const std::string before = testing::ReadFile(file);
  CommandResult result = commands.Delete("Mail");
  EXPECT_EQ(result.outcome, CommandOutcome::LockFailed);
  EXPECT_EQ(result.error, "the task file is locked by another program");
  EXPECT_EQ(testing::ReadFile(file), before);
  EXPECT_EQ(tasks.Count(), 3);
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::SettingsChange));
}

}  // namespace
}  // namespace rv
