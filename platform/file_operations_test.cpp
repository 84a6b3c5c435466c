#include "platform/linux_file_operations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/fake_trash.h"
#include "platform/testing/test_home.h"
#include "platform/wildcard.h"

namespace rv {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::MakeTempDir;
using testing::ReadFile;
using testing::WriteFile;

TEST(Wildcard, MatchesStarAndQuestionMarkOnly) {
  struct Row {
    const char* pattern;
    const char* name;
    bool matches;
  };
  for (const Row& row : {
           Row{"*.txt", "a.txt", true},
           Row{"*.txt", ".hidden.txt", true},
           Row{"*.txt", "a.txt.bak", false},
           Row{"?.txt", "a.txt", true},
           Row{"?.txt", "ab.txt", false},
           Row{"a*b*c", "aXXbYc", true},
           Row{"a*b*c", "aXXbYcd", false},
           Row{"*", "anything", true},
           Row{"*.*", "README", true},
           Row{"[a].txt", "[a].txt", true},
           Row{"[a].txt", "a.txt", false},
           Row{"A*", "abc", false},
           Row{"***x", "x", true},
       }) {
    EXPECT_EQ(MatchesWildcard(row.pattern, row.name), row.matches)
        << row.pattern << " / " << row.name;
  }
}

struct FileOps : ::testing::Test {
  LinuxFileOperations ops;
  std::string root = MakeTempDir("ops");

  std::string P(const std::string& relative) const { return root + relative; }
  void Put(const std::string& relative, const std::string& text) {
    fs::create_directories(fs::path(P(relative)).parent_path());
    WriteFile(P(relative), text);
  }
  bool Has(const std::string& relative) const {
    struct stat info {};
    return ::lstat(P(relative).c_str(), &info) == 0;
  }
  std::vector<std::string> Names(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(P(relative)))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(FileOps, CopyWithWildcardsTakesMatchingNamesIntoACreatedDirectory) {
  Put("src/a.txt", "A");
  Put("src/b.txt", "B");
  Put("src/.dot.txt", "D");
  Put("src/c.log", "C");
  Put("src/d.txt/inner", "I");  // a directory that matches comes along whole
  ASSERT_TRUE(ops.Copy(P("src/*.txt"), P("out/new/deeper")));
  EXPECT_THAT(Names("out/new/deeper"), ElementsAre(".dot.txt", "a.txt", "b.txt", "d.txt"));
  EXPECT_EQ(ReadFile(P("out/new/deeper/d.txt/inner")), "I");
  EXPECT_TRUE(Has("src/a.txt"));

  ASSERT_TRUE(ops.Copy(P("src/?.txt"), P("single/")));
  EXPECT_THAT(Names("single"), ElementsAre("a.txt", "b.txt", "d.txt"));
}

TEST_F(FileOps, PatternWithoutMatchDoesNothingButAMissingSourceFails) {
  Put("src/a.txt", "A");
  EXPECT_TRUE(ops.Copy(P("src/*.tmp"), P("out")));
  EXPECT_FALSE(Has("out"));

  Result<void> missing = ops.Copy(P("src/none.txt"), P("out"));
  ASSERT_FALSE(missing);
  EXPECT_THAT(missing.error(), HasSubstr("none.txt"));
  EXPECT_THAT(missing.error(), HasSubstr("No such file"));
  EXPECT_FALSE(ops.Copy(P("nodir/*.txt"), P("out")));
}

TEST_F(FileOps, DestinationIsADirectoryWhenItIsOneOrEndsInASlashElseTheNewName) {
  Put("a.txt", "A");
  fs::create_directory(P("existing"));
  ASSERT_TRUE(ops.Copy(P("a.txt"), P("existing")));
  EXPECT_EQ(ReadFile(P("existing/a.txt")), "A");

  ASSERT_TRUE(ops.Copy(P("a.txt"), P("made/here/")));
  EXPECT_EQ(ReadFile(P("made/here/a.txt")), "A");

  ASSERT_TRUE(ops.Copy(P("a.txt"), P("parents/are/created/b.txt")));
  EXPECT_EQ(ReadFile(P("parents/are/created/b.txt")), "A");

  Put("file", "F");
  Result<void> into_file = ops.Copy(P("*.txt"), P("file"));
  ASSERT_FALSE(into_file);
  EXPECT_THAT(into_file.error(), HasSubstr("it is a file, not a directory"));
  EXPECT_EQ(ReadFile(P("file")), "F");
}

TEST_F(FileOps, CopyReplacesFilesSilentlyAndKeepsModeAndTime) {
  Put("a.sh", "new text");
  ::chmod(P("a.sh").c_str(), 0750);
  const auto when = fs::file_time_type::clock::now() - std::chrono::hours(48);
  fs::last_write_time(P("a.sh"), when);
  Put("dest/a.sh", "old text that is longer");
  ASSERT_TRUE(ops.Copy(P("a.sh"), P("dest")));
  EXPECT_EQ(ReadFile(P("dest/a.sh")), "new text");
  EXPECT_EQ(fs::status(P("dest/a.sh")).permissions(), fs::perms(0750));
  EXPECT_EQ(fs::last_write_time(P("dest/a.sh")), when);
  EXPECT_THAT(Names("dest"), ElementsAre("a.sh"));  // no temporary left behind
}

TEST_F(FileOps, CopyRefusesToLoseTheSource) {
  Put("a.txt", "keep me");
  Result<void> same = ops.Copy(P("a.txt"), P("./a.txt"));
  ASSERT_FALSE(same);
  EXPECT_THAT(same.error(), HasSubstr("are the same file"));
  EXPECT_EQ(ReadFile(P("a.txt")), "keep me");

  Put("tree/x", "X");
  Result<void> into_itself = ops.Copy(P("tree"), P("tree/sub"));
  ASSERT_FALSE(into_itself);
  EXPECT_THAT(into_itself.error(), HasSubstr("into itself"));
  EXPECT_FALSE(Has("tree/sub"));

  fs::create_directory(P("dir"));
  Put("dir2/dir", "a file in the way");
  Result<void> over_file = ops.Copy(P("dir"), P("dir2/"));
  ASSERT_FALSE(over_file);
  EXPECT_THAT(over_file.error(), HasSubstr("cannot replace the file"));
}

TEST_F(FileOps, DirectoriesAreCopiedWholeAndMergedWithLinksKeptAsLinks) {
  Put("tree/top", "T");
  Put("tree/sub/deep", "D");
  fs::create_symlink("sub/deep", P("tree/link"));
  fs::create_symlink("..", P("tree/sub/loop"));  // would never end if followed
  Put("dest/tree/other", "O");
  ASSERT_TRUE(ops.Copy(P("tree"), P("dest")));
  EXPECT_THAT(Names("dest/tree"), ElementsAre("link", "other", "sub", "top"));
  EXPECT_EQ(ReadFile(P("dest/tree/sub/deep")), "D");
  EXPECT_TRUE(fs::is_symlink(P("dest/tree/link")));
  EXPECT_EQ(fs::read_symlink(P("dest/tree/link")), "sub/deep");
  EXPECT_TRUE(fs::is_symlink(P("dest/tree/sub/loop")));

  ASSERT_TRUE(ops.Copy(P("tree"), P("renamed")));
  EXPECT_EQ(ReadFile(P("renamed/top")), "T");
}

TEST_F(FileOps, MoveTakesTheSourceAwayAndMergesDirectories) {
  Put("a.txt", "A");
  Put("b.txt", "B");
  Put("c.log", "C");
  ASSERT_TRUE(ops.Move(P("*.txt"), P("out")));
  EXPECT_THAT(Names("out"), ElementsAre("a.txt", "b.txt"));
  EXPECT_FALSE(Has("a.txt"));
  EXPECT_TRUE(Has("c.log"));

  Put("over.txt", "new");
  Put("out/over.txt", "old");
  ASSERT_TRUE(ops.Move(P("over.txt"), P("out/")));
  EXPECT_EQ(ReadFile(P("out/over.txt")), "new");

  Put("d/one", "1");
  Put("d/sub/two", "2");
  Put("target/d/sub/three", "3");
  ASSERT_TRUE(ops.Move(P("d"), P("target")));
  EXPECT_FALSE(Has("d"));
  EXPECT_THAT(Names("target/d/sub"), ElementsAre("three", "two"));

  Put("e/x", "X");
  Result<void> into_itself = ops.Move(P("e"), P("e/inner"));
  ASSERT_FALSE(into_itself);
  EXPECT_TRUE(Has("e/x"));
}

// /dev/shm is a file system of its own on Linux: moves there cross one.
struct OtherFileSystem {
  std::string dir;
  OtherFileSystem() {
    char pattern[] = "/dev/shm/rvt-XXXXXX";
    if (::mkdtemp(pattern)) dir = std::string(pattern) + "/";
  }
  ~OtherFileSystem() {
    std::error_code ignored;
    if (!dir.empty()) fs::remove_all(dir, ignored);
  }
  bool Differs(const std::string& from) const {
    struct stat a {
    }, b{};
    return !dir.empty() && ::stat(dir.c_str(), &a) == 0 && ::stat(from.c_str(), &b) == 0 &&
           a.st_dev != b.st_dev;
  }
};

TEST_F(FileOps, MoveAndRenameAcrossFileSystemsCopyThenRemove) {
  OtherFileSystem other;
  if (!other.Differs(root)) GTEST_SKIP() << "no second file system at /dev/shm";
  Put("tree/a", "A");
  fs::create_symlink("a", P("tree/link"));
  ASSERT_TRUE(ops.Move(P("tree"), other.dir + "moved"));
  EXPECT_FALSE(Has("tree"));
  EXPECT_EQ(ReadFile(other.dir + "moved/a"), "A");
  EXPECT_TRUE(fs::is_symlink(other.dir + "moved/link"));

  Put("file", "F");
  ASSERT_TRUE(ops.Rename(P("file"), other.dir + "renamed"));
  EXPECT_FALSE(Has("file"));
  EXPECT_EQ(ReadFile(other.dir + "renamed"), "F");
  Put("file", "again");
  EXPECT_FALSE(ops.Rename(P("file"), other.dir + "renamed"));
  EXPECT_EQ(ReadFile(other.dir + "renamed"), "F");
  EXPECT_THAT(Names(""), ElementsAre("file"));
}

TEST_F(FileOps, RenameNeverReplaces) {
  Put("old", "O");
  Put("taken", "T");
  Result<void> refused = ops.Rename(P("old"), P("taken"));
  ASSERT_FALSE(refused);
  EXPECT_THAT(refused.error(), HasSubstr("exists already"));
  EXPECT_EQ(ReadFile(P("old")), "O");
  EXPECT_EQ(ReadFile(P("taken")), "T");

  ASSERT_TRUE(ops.Rename(P("old"), P("new")));
  EXPECT_FALSE(Has("old"));
  EXPECT_EQ(ReadFile(P("new")), "O");

  EXPECT_FALSE(ops.Rename(P("*"), P("star")));  // no wildcards
  EXPECT_FALSE(ops.Rename(P("new"), P("no/such/dir/new")));
}

TEST_F(FileOps, MakeAndRemoveDirectory) {
  ASSERT_TRUE(ops.MakeDirectory(P("made")));
  EXPECT_TRUE(fs::is_directory(P("made")));

  Result<void> twice = ops.MakeDirectory(P("made"));
  ASSERT_FALSE(twice);
  EXPECT_THAT(twice.error(), HasSubstr("exists already"));

  Result<void> no_parent = ops.MakeDirectory(P("missing/child"));
  ASSERT_FALSE(no_parent);
  EXPECT_THAT(no_parent.error(), HasSubstr("does not exist"));
  EXPECT_FALSE(Has("missing"));

  Put("full/file", "x");
  Result<void> full = ops.RemoveDirectory(P("full"));
  ASSERT_FALSE(full);
  EXPECT_THAT(full.error(), HasSubstr("not empty"));
  EXPECT_TRUE(Has("full/file"));

  EXPECT_TRUE(ops.RemoveDirectory(P("made")));
  EXPECT_FALSE(Has("made"));
  EXPECT_FALSE(ops.RemoveDirectory(P("made")));
}

TEST_F(FileOps, DeleteHandsEveryMatchToTheTrash) {
  Put("c/b.tmp", "");
  Put("c/a.tmp", "");
  Put("c/keep.txt", "");
  FakeTrash trash;
  ASSERT_TRUE(ops.Delete(P("c/*.tmp"), trash));
  EXPECT_THAT(trash.paths(), ElementsAre(P("c/a.tmp"), P("c/b.tmp")));

  EXPECT_FALSE(ops.Delete(P("c/none.txt"), trash));
  trash.FailWith("trash is full");
  Result<void> failed = ops.Delete(P("c/keep.txt"), trash);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error(), "trash is full");
}

TEST_F(FileOps, ChangeDirectoryMovesTheWholeProcess) {
  const fs::path before = fs::current_path();
  fs::create_directory(P("here"));
  ASSERT_TRUE(ops.ChangeDirectory(P("here")));
  EXPECT_EQ(fs::current_path(), fs::canonical(P("here")));
  EXPECT_FALSE(ops.ChangeDirectory(P("not-there")));
  EXPECT_EQ(fs::current_path(), fs::canonical(P("here")));
  fs::current_path(before);
}

TEST_F(FileOps, OverlongPathsFailWithAReasonInsteadOfBeingCut) {
  Put("a.txt", "A");
  const std::string long_name(300, 'n');
  Result<void> name = ops.Copy(P("a.txt"), P(long_name));
  ASSERT_FALSE(name);
  EXPECT_THAT(name.error(), HasSubstr("longer than the 255 bytes"));

  const std::string long_path = P(std::string(5000, 'p'));
  Result<void> path = ops.Move(long_path, P("x"));
  ASSERT_FALSE(path);
  EXPECT_THAT(path.error(), HasSubstr("longer than the 4095 bytes"));
  EXPECT_THAT(path.error(), HasSubstr("(" + std::to_string(long_path.size()) + " bytes)"));

  // A target made from a deep directory and a long name is refused too.
  std::string deep = P("");
  while (deep.size() < 3900) {
    deep += std::string(200, 'd') + "/";
    ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
  }
  Put(std::string(250, 'f'), "F");
  Result<void> target = ops.Copy(P(std::string(250, 'f')), deep);
  ASSERT_FALSE(target);
  EXPECT_THAT(target.error(), HasSubstr("longer than the 4095 bytes"));
  EXPECT_TRUE(fs::is_empty(deep));
}

}  // namespace
}  // namespace rv
