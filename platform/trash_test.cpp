#include "platform/freedesktop_trash.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>

#include "platform/linux_file_operations.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::MakeTempDir;
using ::testing::MatchesRegex;
using testing::ReadFile;
using testing::ScopedEnv;
using ::testing::UnorderedElementsAre;
using testing::WriteFile;

struct HomeTrash : ::testing::Test {
  std::string data_home = MakeTempDir("xdg");
  ScopedEnv xdg{"XDG_DATA_HOME", data_home.c_str()};
  std::string files = data_home + "Trash/files/";
  std::string info = data_home + "Trash/info/";
  std::string work = fs::canonical(MakeTempDir("work")).string() + "/";
  FreedesktopTrash trash;

  static std::string Record(const std::string& original) {
    return "\\[Trash Info\\]\nPath=" +
           std::regex_replace(EncodeTrashPath(original), std::regex("[.+]"), "\\$&") +
           "\nDeletionDate=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\n";
  }
};

TEST(TrashPath, EncodesEverythingButUnreservedCharactersAndSlashes) {
  EXPECT_EQ(EncodeTrashPath("/home/u/a b/\xC3\xBC%#?.txt"), "/home/u/a%20b/%C3%BC%25%23%3F.txt");
  EXPECT_EQ(EncodeTrashPath("/A-Z_a.z~0/9"), "/A-Z_a.z~0/9");
}

TEST_F(HomeTrash, DeleteMovesMatchesToTheTrashWithARestorableRecord) {
  WriteFile(work + "report 1.tmp", "one");
  WriteFile(work + "\xC3\xBC.tmp", "two");
  WriteFile(work + "keep.txt", "three");
  LinuxFileOperations ops;
  ASSERT_TRUE(ops.Delete(work + "*.tmp", trash));

  EXPECT_FALSE(fs::exists(work + "report 1.tmp"));
  EXPECT_TRUE(fs::exists(work + "keep.txt"));
  EXPECT_EQ(ReadFile(files + "report 1.tmp"), "one");
  EXPECT_EQ(ReadFile(files + "\xC3\xBC.tmp"), "two");
  EXPECT_THAT(ReadFile(info + "report 1.tmp.trashinfo"),
              MatchesRegex(Record(work + "report 1.tmp")));
  EXPECT_THAT(ReadFile(info + "\xC3\xBC.tmp.trashinfo"), HasSubstr("%C3%BC.tmp\n"));
  EXPECT_EQ(fs::status(data_home + "Trash").permissions(), fs::perms(0700));
}

TEST_F(HomeTrash, RelativePathsAreRecordedAbsolutelyAndTakenNamesGetANumber) {
  fs::create_directories(work + "one");
  fs::create_directories(work + "two/dir/inner");
  WriteFile(work + "one/a.txt", "first");
  WriteFile(work + "two/a.txt", "second");
  WriteFile(work + "two/dir/inner/f", "deep");
  const fs::path before = fs::current_path();
  fs::current_path(work + "two");
  ASSERT_TRUE(trash.MoveToTrash(work + "one/a.txt"));
  ASSERT_TRUE(trash.MoveToTrash("a.txt"));
  ASSERT_TRUE(trash.MoveToTrash("dir/"));
  fs::current_path(before);

  EXPECT_EQ(ReadFile(files + "a.txt"), "first");
  EXPECT_EQ(ReadFile(files + "a.2.txt"), "second");
  EXPECT_THAT(ReadFile(info + "a.2.txt.trashinfo"), MatchesRegex(Record(work + "two/a.txt")));
  EXPECT_EQ(ReadFile(files + "dir/inner/f"), "deep");
  EXPECT_THAT(ReadFile(info + "dir.trashinfo"), MatchesRegex(Record(work + "two/dir")));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(info))
    names.push_back(entry.path().filename().string());
  EXPECT_THAT(names, UnorderedElementsAre("a.txt.trashinfo", "a.2.txt.trashinfo", "dir.trashinfo"));
}

TEST_F(HomeTrash, ALongNameIsShortenedSoItsRecordFits) {
  const std::string name = std::string(250, 'x') + ".txt";
  WriteFile(work + name, "long");
  ASSERT_TRUE(trash.MoveToTrash(work + name));
  int found = 0;
  for (const auto& entry : fs::directory_iterator(info)) {
    const std::string record = entry.path().filename().string();
    EXPECT_LE(record.size(), 255u);
    EXPECT_THAT(ReadFile(entry.path()), MatchesRegex(Record(work + name)));
    const std::string trashed = record.substr(0, record.size() - 10);
    EXPECT_EQ(ReadFile(files + trashed), "long");
    EXPECT_THAT(trashed, ::testing::EndsWith(".txt"));
    ++found;
  }
  EXPECT_EQ(found, 1);
}

TEST_F(HomeTrash, AnEntryOnAnotherFileSystemIsCopiedThenRemoved) {
  char pattern[] = "/dev/shm/rvt-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) GTEST_SKIP() << "no /dev/shm";
  const std::string other = std::string(pattern) + "/";
  struct stat a {
  }, b{};
  ::stat(other.c_str(), &a);
  ::stat(data_home.c_str(), &b);
  if (a.st_dev == b.st_dev) {
    fs::remove_all(other);
    GTEST_SKIP() << "/dev/shm is not a file system of its own";
  }
  fs::create_directories(other + "d/sub");
  WriteFile(other + "d/sub/f", "far");
  Result<void> moved = trash.MoveToTrash(other + "d");
  fs::path leftover = other + "d";
  const bool still_there = fs::exists(leftover);
  fs::remove_all(other);
  ASSERT_TRUE(moved) << moved.error();
  EXPECT_FALSE(still_there);
  EXPECT_EQ(ReadFile(files + "d/sub/f"), "far");
  EXPECT_THAT(ReadFile(info + "d.trashinfo"), MatchesRegex(Record(other + "d")));
}

TEST_F(HomeTrash, RefusesWhatCannotBeRestored) {
  EXPECT_FALSE(trash.MoveToTrash(work + "missing"));
  EXPECT_FALSE(trash.MoveToTrash(work + "."));
  WriteFile(work + "x", "x");
  ASSERT_TRUE(trash.MoveToTrash(work + "x"));
  Result<void> again = trash.MoveToTrash(files + "x");
  ASSERT_FALSE(again);
  EXPECT_THAT(again.error(), HasSubstr("it is in the trash"));
  EXPECT_FALSE(trash.MoveToTrash(data_home));
  EXPECT_TRUE(fs::exists(files + "x"));
}

}  // namespace
}  // namespace rv
