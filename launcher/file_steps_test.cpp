#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/task_list.h"
#include "launcher/testing_host.h"
#include "platform/freedesktop_trash.h"
#include "platform/linux_file_operations.h"
#include "platform/linux_shell.h"

namespace rv {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using testing::MakeTempDir;
using ::testing::MatchesRegex;
using testing::ReadFile;
using testing::ScopedEnv;
using testing::TestingHost;
using testing::WriteFile;

struct FileSteps : ::testing::Test {
  TestingHost host;
  RVTaskList list;

  int Run(std::vector<std::string> steps) {
    auto task = list.Add();
    task->TaskName = "T";
    task->Steps = std::move(steps);
    task->StepCount = static_cast<int32_t>(task->Steps.size());
    return host.Run(task);
  }
};

TEST_F(FileSteps, EachKeywordReadsItsPathsAndCallsItsOperation) {
  EXPECT_EQ(Run({"COPY: \"a,1\",\"b\"", "MOVE: \"c\",\"d/\"", "RENAME: \"e\",\"f\"",
                 "DELETE: \"g*.tmp\"", "MAKEDIR: \"h\"", "REMDIR: \"i\"", "CD: \"j\""}),
            StepStatus::Okay);
  EXPECT_THAT(host.files_.calls(), ElementsAre("copy a,1 -> b", "move c -> d/", "rename e -> f",
                                               "delete g*.tmp", "mkdir h", "rmdir i", "cd j"));
}

TEST_F(FileSteps, AFailedOperationFailsTheTaskWithItsReasonButCdOnlyLogs) {
  host.files_.FailWith("it went wrong");
  EXPECT_EQ(Run({"CD: \"/nowhere\"", "COPY: \"a\",\"b\"", "MOVE: \"never\",\"run\""}),
            StepStatus::Failed);
  EXPECT_THAT(host.files_.calls(), ElementsAre("cd /nowhere", "copy a -> b"));
  EXPECT_THAT(host.LogLines(), IsSupersetOf({"T::CD: it went wrong", "T::(!) COPY: it went wrong",
                                             "T::Step Failed.", "T::(!) COPY command failed!"}));
}

// The same steps on a real tree, with the trash in a folder of the test.
struct FileStepsOnDisk : FileSteps {
  std::string root = fs::canonical(MakeTempDir("tree")).string() + "/";
  std::string data_home = MakeTempDir("xdg");
  ScopedEnv xdg{"XDG_DATA_HOME", data_home.c_str()};
  LinuxShell shell;
  LinuxFileOperations ops;
  FreedesktopTrash trash;

  FileStepsOnDisk() { host.handlers_ = MakeStepHandlers({shell, ops, trash}); }
  void Put(const std::string& relative, const std::string& text) {
    fs::create_directories(fs::path(root + relative).parent_path());
    WriteFile(root + relative, text);
  }
  std::string Quoted(const std::string& relative) const { return "\"" + root + relative + "\""; }
};

TEST_F(FileStepsOnDisk, CopyMoveAndRenameWorkOnTheTree) {
  Put("src/a.txt", "A");
  Put("src/b.txt", "B");
  Put("src/c.log", "C");
  Put("old/b.txt", "old");
  EXPECT_EQ(Run({"COPY: " + Quoted("src/*.txt") + "," + Quoted("old"),
                 "MOVE: " + Quoted("src/c.log") + "," + Quoted("logs/2026/c.log"),
                 "RENAME: " + Quoted("src/a.txt") + "," + Quoted("src/z.txt")}),
            StepStatus::Okay);
  EXPECT_EQ(ReadFile(root + "old/a.txt"), "A");
  EXPECT_EQ(ReadFile(root + "old/b.txt"), "B");
  EXPECT_EQ(ReadFile(root + "logs/2026/c.log"), "C");
  EXPECT_FALSE(fs::exists(root + "src/c.log"));
  EXPECT_EQ(ReadFile(root + "src/z.txt"), "A");

  EXPECT_EQ(Run({"RENAME: " + Quoted("src/z.txt") + "," + Quoted("src/b.txt")}),
            StepStatus::Failed);
  EXPECT_EQ(ReadFile(root + "src/b.txt"), "B");
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("exists already")));
}

TEST_F(FileStepsOnDisk, MakedirNeedsTheParentAndRemdirAnEmptyDirectory) {
  EXPECT_EQ(Run({"MAKEDIR: " + Quoted("missing/child"), "MAKEDIR: " + Quoted("never")}),
            StepStatus::Failed);
  EXPECT_FALSE(fs::exists(root + "missing"));
  EXPECT_FALSE(fs::exists(root + "never"));
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("T::(!) MAKEDIR: cannot create the directory")));

  Put("full/file", "x");
  EXPECT_EQ(Run({"REMDIR: " + Quoted("full")}), StepStatus::Failed);
  EXPECT_TRUE(fs::exists(root + "full/file"));
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("it is not empty")));

  EXPECT_EQ(Run({"MAKEDIR: " + Quoted("made"), "REMDIR: " + Quoted("made")}), StepStatus::Okay);
  EXPECT_FALSE(fs::exists(root + "made"));
}

TEST_F(FileStepsOnDisk, DeleteMovesMatchesToTheTrash) {
  Put("temp/one.tmp", "1");
  Put("temp/two.tmp", "2");
  Put("temp/keep.txt", "k");
  EXPECT_EQ(Run({"DELETE: " + Quoted("temp/*.tmp")}), StepStatus::Okay);
  EXPECT_FALSE(fs::exists(root + "temp/one.tmp"));
  EXPECT_TRUE(fs::exists(root + "temp/keep.txt"));
  const std::string trash_dir = data_home + "Trash/";
  EXPECT_EQ(ReadFile(trash_dir + "files/two.tmp"), "2");
  EXPECT_THAT(ReadFile(trash_dir + "info/one.tmp.trashinfo"),
              MatchesRegex("\\[Trash Info\\]\nPath=" + root +
                           "temp/one\\.tmp\n"
                           "DeletionDate=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\n"));
}

TEST_F(FileStepsOnDisk, AnOverlongPathFailsTheStepWithALoggedReason) {
  Put("a.txt", "A");
  EXPECT_EQ(Run({"COPY: " + Quoted("a.txt") + "," + Quoted(std::string(5000, 'x'))}),
            StepStatus::Failed);
  EXPECT_THAT(host.LogLines(),
              Contains(::testing::AllOf(HasSubstr("T::(!) COPY: the path"),
                                        HasSubstr("is longer than the 4095 bytes"))));
}

TEST_F(FileStepsOnDisk, CdChangesTheProcessDirectoryAndAMissingOneLeavesIt) {
  const fs::path before = fs::current_path();
  fs::create_directory(root + "here");
  EXPECT_EQ(Run({"CD: " + Quoted("here"), "CD: " + Quoted("not-there"), "MAKEDIR: \"relative\""}),
            StepStatus::Okay);
  const fs::path after = fs::current_path();
  fs::current_path(before);
  EXPECT_EQ(after, fs::path(root + "here"));
  EXPECT_TRUE(fs::is_directory(root + "here/relative"));
  EXPECT_THAT(host.LogLines(), Contains(HasSubstr("T::CD: cannot change to the directory")));
}

}  // namespace
}  // namespace rv
