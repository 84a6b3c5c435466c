#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "common/store_keys.h"
#include "common/task_file_reader.h"
#include "common/task_file_writer.h"
#include "common/task_list.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

using testing::MakeTempDir;
using testing::ReadFile;
using testing::WriteFile;

// A record with no steps, disabled steps or details: 17 lines.
const char* const kBareRecord =
    "Bare\r\n6/9/1998 12:5:3 "
    "AM\r\n0\r\n0\r\n0\r\n1\r\n0\r\n9\r\n0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n"
    "\r\n\r\n";

struct Fixture : ::testing::Test {
  std::string dir = MakeTempDir();
  std::string path = dir + "TASKS.RVD";
};

using TaskFile = Fixture;

TEST_F(TaskFile, EmptyListIsTheMagicLineAlone) {
  RVTaskList list(path);
  ASSERT_TRUE(list.SaveToFile());
  EXPECT_EQ(ReadFile(path), "__RVTLST__\r\n");
  RVTaskList loaded(path);
  ASSERT_TRUE(loaded.LoadFromFile());
  EXPECT_EQ(loaded.Count(), 0);
}

TEST_F(TaskFile, BareRecordIsSeventeenLines) {
  RVTaskList list(path);
  auto task = list.Add();
  task->TaskName = "Bare";
  task->LaunchDateTime = EncodeDate(1998, 6, 9) + EncodeTime(0, 5, 3, 0);
  task->Active = true;
  task->LateFlags = 9;
  task->TaskTriggers = 1;
  ASSERT_TRUE(list.SaveToFile());
  EXPECT_EQ(ReadFile(path), std::string("__RVTLST__\r\n") + kBareRecord);
}

TEST_F(TaskFile, RoundTripKeepsEverythingButMilliseconds) {
  RVTaskList list(path);
  auto task = list.Add();
  task->TaskName = "Nightly, \"quoted\" backup";
  task->LaunchDateTime = EncodeDate(2026, 12, 31) + EncodeTime(12, 0, 0, 740);
  task->Frequency = 1;
  task->Interval = 2;
  task->IntervalType = 4;
  task->Active = false;
  task->Reserved = -7;
  task->LateFlags = 4 | 32;
  task->Running = true;
  task->Holding = true;
  task->TaskTriggers = 15;
  task->Steps = {"COPY: \"/a\",\"/b\"", "", "PAUSE: 5 seconds"};
  task->StepCount = 99;  // mirrors are not what the writer trusts
  task->DisabledSteps = {"0", "2"};
  task->Details = {"first", "", "third"};
  task->Events = 63;
  task->Hotkey = "%&5";
  task->WindowName = "Untitled - Editor";
  auto midnight = list.Add();
  midnight->TaskName = "";
  midnight->LaunchDateTime = EncodeDate(2027, 1, 1);
  ASSERT_TRUE(list.SaveToFile());

  RVTaskList loaded(path);
  ASSERT_TRUE(loaded.LoadFromFile());
  ASSERT_EQ(loaded.Count(), 2);
  auto back = loaded.Item(0);
  EXPECT_EQ(back->TaskName, task->TaskName);
  EXPECT_EQ(back->LaunchDateTime, EncodeDate(2026, 12, 31) + EncodeTime(12, 0, 0, 0));
  EXPECT_EQ(back->Frequency, 1);
  EXPECT_EQ(back->Interval, 2);
  EXPECT_EQ(back->IntervalType, 4);
  EXPECT_FALSE(back->Active);
  EXPECT_EQ(back->Reserved, -7);
  EXPECT_EQ(back->LateFlags, 36);
  EXPECT_TRUE(back->Running);
  EXPECT_TRUE(back->Holding);
  EXPECT_EQ(back->TaskTriggers, 15);
  EXPECT_EQ(back->Steps, task->Steps);
  EXPECT_EQ(back->StepCount, 3);
  EXPECT_EQ(back->DisabledSteps, task->DisabledSteps);
  EXPECT_EQ(back->DisabledStepCount, 2);
  EXPECT_EQ(back->Details, task->Details);
  EXPECT_EQ(back->DetailCount, 3);
  EXPECT_EQ(back->Events, 63);
  EXPECT_EQ(back->Hotkey, "%&5");
  EXPECT_EQ(back->WindowName, "Untitled - Editor");
  EXPECT_EQ(loaded.Item(1)->LaunchDateTime, EncodeDate(2027, 1, 1));
  EXPECT_NE(ReadFile(path).find("\r\n12/31/2026 12:0:0 PM\r\n"), std::string::npos);
  EXPECT_NE(ReadFile(path).find("\r\n1/1/2027 12:0:0 AM\r\n"), std::string::npos);
}

TEST(TaskFileLines, SplitAtCrLfCrAndLfAndStopAtNul) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitTaskFileLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTaskFileLines("a\r\n"), (Lines{"a"}));
  EXPECT_EQ(SplitTaskFileLines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitTaskFileLines("a\r\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitTaskFileLines(std::string_view("a\nb\0c\n", 6)), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTaskFileLines(""), Lines{});
}

TEST_F(TaskFile, ReaderAcceptsLoneLfAndCrLineEnds) {
  std::string crlf = std::string("__RVTLST__\r\n") + kBareRecord;
  std::string lf, cr;
  for (char c : crlf) {
    if (c != '\r') lf += c;
    if (c != '\n') cr += c;
  }
  for (const std::string& bytes : {lf, cr}) {
    WriteFile(path, bytes);
    RVTaskList list(path);
    ASSERT_TRUE(list.LoadFromFile());
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Item(0)->LateFlags, 9);
    EXPECT_EQ(list.Item(0)->Hotkey, "");
  }
}

TEST_F(TaskFile, BadRecordsStopTheLoadWithFileLineAndReason) {
  const std::string good = kBareRecord;
  struct Row {
    std::string body;
    std::string message;  // after "<path>:"
  };
  auto with_line = [](int index, const std::string& text) {
    std::string record = kBareRecord;
    std::vector<std::string> lines = SplitTaskFileLines(record);
    lines[static_cast<size_t>(index)] = text;
    std::string out;
    for (const auto& line : lines)
      out += line + "\r\n";
    return out;
  };
  const Row rows[] = {
      {with_line(3, "x"), "22: expected a whole number for the interval, found \"x\""},
      {with_line(5, "yes"), "24: expected a whole number for the active flag, found \"yes\""},
      {with_line(1, "13/1/1998 1:0:0 AM"),
       "20: the date 13/1/1998 does not exist (date line \"13/1/1998 1:0:0 AM\")"},
      {with_line(1, "1/1/1998 25:0:0"),
       "20: the time 25:0:0 does not exist (date line \"1/1/1998 25:0:0\")"},
      {with_line(1, "12/11/2026 11:59:59 AM and then some"),
       "20: the date line is longer than 31 characters"},
      {with_line(10, "-1"), "29: expected a step count of 0 or more, found \"-1\""},
      {with_line(10, "40"), "29: the step count is 40, but the file ends after 6 more lines"},
      {with_line(10, "99999999999"),
       "29: expected a whole number for the step count, found \"99999999999\""},
      {good.substr(0, good.size() - 4),
       "34: the file ends inside the record of task \"Bare\" (expected the hotkey)"},
      {"\r\n", "20: the file ends inside the record of task \"\" (expected the launch date line)"},
  };
  for (const Row& row : rows) {
    WriteFile(path, "__RVTLST__\r\n" + good + row.body);
    RVTaskList list(path);
    Result<void> loaded = list.LoadFromFile();
    ASSERT_FALSE(loaded) << row.message;
    EXPECT_EQ(loaded.error(), path + ":" + row.message);
    // The good record before the bad one stays; the broken one is not added.
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.LoadFailed());
    // Writing the remains back would delete every task after the bad line.
    EXPECT_FALSE(list.SaveToFile());
  }
}

TEST_F(TaskFile, IsValidTaskFileLooksAtTheFirstTenCharacters) {
  struct Row {
    std::string bytes;
    bool valid;
  };
  const Row rows[] = {
      {"__RVTLST__\r\n", true},  {"__RVTLST__", true},     {"__RVTLST__ and more\r\n", true},
      {"__rvtlst__\r\n", false}, {"__RVTLST_\r\n", false}, {"", false},
  };
  for (const Row& row : rows) {
    WriteFile(path, row.bytes);
    EXPECT_EQ(RVTaskList::IsValidTaskFile(path), row.valid) << row.bytes;
  }
  EXPECT_FALSE(RVTaskList::IsValidTaskFile(""));
  EXPECT_FALSE(RVTaskList::IsValidTaskFile(dir + "missing.rvd"));
}

TEST_F(TaskFile, MissingFileIsCreatedEmptyAndUnopenableOneTellsTheHost) {
  RVTaskList list(path);
  ASSERT_TRUE(list.LoadFromFile());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(ReadFile(path), "");

  struct Host : TaskFileHost {
    std::string told;
    void CannotOpenTaskFile(const std::string& file) override { told = file; }
  } host;
  RVTaskList nowhere(dir + "no/such/folder/TASKS.RVD");
  nowhere.SetHost(&host);
  EXPECT_FALSE(nowhere.LoadFromFile());
  EXPECT_EQ(host.told, dir + "no/such/folder/TASKS.RVD");
}

TEST_F(TaskFile, SaveReplacesTheFileAtomicallyAndKeepsItsMode) {
  RVTaskList list(path);
  list.Add()->TaskName = "One";
  ASSERT_TRUE(list.SaveToFile());
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);  // it holds passwords

  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  list.Add()->TaskName = "Two";
  ASSERT_TRUE(list.SaveToFile());
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  // A link to the task file stays a link; the file it names is replaced.
  const std::string link = dir + "link.rvd";
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  RVTaskList via_link(link);
  ASSERT_TRUE(via_link.LoadFromFile());
  via_link.Add()->TaskName = "Three";
  ASSERT_TRUE(via_link.SaveToFile());
  struct stat link_info {};
  ASSERT_EQ(::lstat(link.c_str(), &link_info), 0);
  EXPECT_TRUE(S_ISLNK(link_info.st_mode));
  RVTaskList reread(path);
  ASSERT_TRUE(reread.LoadFromFile());
  EXPECT_EQ(reread.Count(), 3);
  // No temporary files are left behind.
  EXPECT_EQ(::access((path + ".tmp").c_str(), F_OK), -1);
}

TEST_F(TaskFile, FailedSaveKeepsTheOldFileWhole) {
  RVTaskList list(path);
  list.Add()->TaskName = "Kept";
  ASSERT_TRUE(list.SaveToFile());
  const std::string before = ReadFile(path);
  // A child whose files may not grow past 1000 bytes stands in for a full disk.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    RVTaskList big(path);
    if (!big.LoadFromFile()) ::_exit(2);
    for (int i = 0; i < 100; ++i)
      big.Add()->TaskName = "Task number " + std::to_string(i);
    Result<void> saved = big.SaveToFile();
    ::_exit(!saved && saved.error().find("cannot write") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(ReadFile(path), before);
  // The temporary file is gone too.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

struct LockFixture : Fixture {
  std::unique_ptr<Registry> store = *Registry::Open(dir + "registry.db");
  void SetLock(int32_t value) {
    ASSERT_TRUE(store->WriteInteger(Hive::CurrentUser, store_keys::kIpc, "FileLocked", value));
  }
  int32_t Lock() { return *store->ReadInteger(Hive::CurrentUser, store_keys::kIpc, "FileLocked"); }
  void WriteTasks(std::initializer_list<const char*> names) {
    RVTaskList list(path);
    for (const char* name : names)
      list.Add()->TaskName = name;
    ASSERT_TRUE(list.SaveToFile());
  }
};

using TaskFileLock = LockFixture;

TEST_F(TaskFileLock, MissingLockValueIsCreatedFreeWithoutReloading) {
  WriteTasks({"On disk"});
  RVTaskList list(path, store.get());
  list.Add()->TaskName = "In memory";
  EXPECT_EQ(list.LockFile(1), 1);
  EXPECT_EQ(Lock(), 0);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Item(0)->TaskName, "In memory");
}

TEST_F(TaskFileLock, LockReloadsTheFileAndUnlockFreesIt) {
  WriteTasks({"A", "B"});
  SetLock(0);
  RVTaskList list(path, store.get());
  auto stale = list.Add();
  stale->TaskName = "Stale";
  EXPECT_EQ(list.LockFile(0), 0);
  EXPECT_EQ(Lock(), 1);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(1)->TaskName, "B");
  EXPECT_EQ(list.Item(1)->Owner, &list);
  EXPECT_EQ(stale->TaskName, "Stale");  // still valid for its holder
  list.UnlockFile();
  EXPECT_EQ(Lock(), 0);
}

TEST_F(TaskFileLock, BusyLockGivesUpAfterNineTriesAndLeavesTheList) {
  WriteTasks({"A"});
  SetLock(1);
  RVTaskList list(path, store.get());
  list.Add()->TaskName = "Mine";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(list.LockFile(1), -1);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Item(0)->TaskName, "Mine");
  EXPECT_EQ(Lock(), 1);
}

TEST_F(TaskFileLock, LockTakenWhenTheHolderLetsGoInTime) {
  WriteTasks({"A"});
  SetLock(1);
  std::thread holder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    auto other = *Registry::Open(dir + "registry.db");
    (void)other->WriteInteger(Hive::CurrentUser, store_keys::kIpc, "FileLocked", 0);
  });
  RVTaskList list(path, store.get());
  EXPECT_EQ(list.LockFile(1), 1);
  holder.join();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(Lock(), 1);
}

TEST_F(TaskFileLock, FailedReloadKeepsTheListAndFreesTheLock) {
  WriteFile(path, std::string("__RVTLST__\r\n") + kBareRecord + "Broken\r\nnot a date\r\n");
  SetLock(0);
  RVTaskList list(path, store.get());
  list.Add()->TaskName = "Before";
  EXPECT_EQ(list.LockFile(1), -1);
  EXPECT_EQ(list.LastError(),
            path +
                ":20: expected a date line such as \"6/9/1998 5:30:0 PM\", found \"not a "
                "date\" (the month is not a whole number)");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Item(0)->TaskName, "Before");
  EXPECT_FALSE(list.LoadFailed());
  EXPECT_EQ(Lock(), 0);
}

TEST_F(TaskFileLock, NoStoreNoLock) {
  RVTaskList list(path);
  EXPECT_EQ(list.LockFile(1), -1);
}

}  // namespace
}  // namespace rv
