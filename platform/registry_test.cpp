#include "platform/registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "platform/testing/test_home.h"

namespace rv {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kPrefs = "Software\\Brindlo\\Runvane";

// The error text, or a marker when the call unexpectedly succeeded.
template <typename T>
std::string ErrorOf(const Result<T>& result) {
  return result.ok() ? std::string("(succeeded)") : result.error();
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = rv::testing::MakeTempDir("reg") + "registry.db";
    registry_ = OpenAt(path_);
  }

  static std::unique_ptr<Registry> OpenAt(const std::string& path) {
    auto opened = Registry::Open(path);
    if (!opened) {
      ADD_FAILURE() << opened.error();
      return nullptr;
    }
    return std::move(opened.value());
  }

  // Adds one to an integer (missing counts as 0) inside a transaction.
  static Result<void> Increment(Registry& registry, const std::string& name) {
    return registry.Transaction([&]() -> Result<void> {
      int32_t count = registry.ReadInteger(Hive::CurrentUser, kPrefs, name).value_or(0);
      return registry.WriteInteger(Hive::CurrentUser, kPrefs, name, count + 1);
    });
  }

  std::string path_;
  std::unique_ptr<Registry> registry_;
};

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  Registry& r = *registry_;
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, kPrefs, "ScanTime", 5).ok());
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, "SOFTWARE\\brindlo\\RUNVANE", "scantime").value_or(0),
            5);
  EXPECT_TRUE(r.KeyExists(Hive::CurrentUser, "software\\BRINDLO"));
  EXPECT_TRUE(r.ValueExists(Hive::CurrentUser, kPrefs, "SCANTIME"));

  // Writing through other spellings reuses the key and the value.
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "software\\brindlo\\runvane", "SCANTIME", 7).ok());
  ASSERT_TRUE(r.OpenKey(Hive::CurrentUser, "SOFTWARE\\Brindlo\\Runvane\\IPC", CreateKey::Yes).ok());
  EXPECT_THAT(*r.SubkeyNames(Hive::CurrentUser, ""), ElementsAre("Software"));
  EXPECT_THAT(*r.SubkeyNames(Hive::CurrentUser, "Software"), ElementsAre("Brindlo"));
  EXPECT_THAT(*r.SubkeyNames(Hive::CurrentUser, kPrefs), ElementsAre("IPC"));
  EXPECT_THAT(*r.ValueNames(Hive::CurrentUser, kPrefs), ElementsAre("ScanTime"));
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, kPrefs, "ScanTime").value_or(0), 7);

  // The hives are separate trees.
  EXPECT_FALSE(r.KeyExists(Hive::ClassesRoot, "Software"));
  ASSERT_TRUE(r.WriteString(Hive::ClassesRoot, kPrefs, "ScanTime", "other").ok());
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, kPrefs, "ScanTime").value_or(0), 7);
}

TEST_F(RegistryTest, FailedReadsSayWhatAndWhere) {
  Registry& r = *registry_;
  ASSERT_TRUE(r.WriteString(Hive::CurrentUser, kPrefs, "ScanTime", "5").ok());
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, kPrefs, "FirstRun", 1).ok());
  ASSERT_TRUE(r.WriteInteger(Hive::ClassesRoot, "CLSID", "Count", 1).ok());

  struct Case {
    std::string error;
    std::string expected;
  };
  const Case cases[] = {
      {ErrorOf(r.ReadInteger(Hive::CurrentUser, kPrefs, "ScanTime")),
       "registry: value \"ScanTime\" under Software\\Brindlo\\Runvane is a string, not an integer"},
      {ErrorOf(r.ReadString(Hive::CurrentUser, kPrefs, "firstrun")),
       "registry: value \"firstrun\" under Software\\Brindlo\\Runvane is an integer, not a string"},
      {ErrorOf(r.ReadInteger(Hive::CurrentUser, kPrefs, "Missing")),
       "registry: value \"Missing\" under Software\\Brindlo\\Runvane does not exist"},
      {ErrorOf(r.ReadString(Hive::CurrentUser, kPrefs, "")),
       "registry: value \"\" under Software\\Brindlo\\Runvane does not exist"},
      {ErrorOf(r.ReadString(Hive::CurrentUser, "Software\\X", "TaskFile")),
       "registry: key Software\\X does not exist"},
      {ErrorOf(r.OpenKey(Hive::CurrentUser, "Software\\X", CreateKey::No)),
       "registry: key Software\\X does not exist"},
      {ErrorOf(r.ReadString(Hive::ClassesRoot, "CLSID", "Count")),
       "registry: value \"Count\" under HKEY_CLASSES_ROOT\\CLSID is an integer, not a string"},
      {ErrorOf(r.DeleteValue(Hive::CurrentUser, kPrefs, "Missing")),
       "registry: value \"Missing\" under Software\\Brindlo\\Runvane does not exist"},
      {ErrorOf(r.DeleteKey(Hive::CurrentUser, "Software\\X")),
       "registry: key Software\\X does not exist"},
      {ErrorOf(r.DeleteKey(Hive::CurrentUser, "")),
       "registry: the current-user root cannot be deleted"},
      {ErrorOf(r.Values(Hive::CurrentUser, "Software\\X")),
       "registry: key Software\\X does not exist"},
      {ErrorOf(r.WriteInteger(Hive::CurrentUser, "Software\\\\X", "A", 1)),
       "registry: key path \"Software\\\\X\" contains an empty key name"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.error, c.expected);
  EXPECT_FALSE(r.ValueExists(Hive::CurrentUser, kPrefs, "Missing"));
  EXPECT_FALSE(r.ValueExists(Hive::CurrentUser, "Software\\X", "ScanTime"));
  EXPECT_FALSE(r.KeyExists(Hive::CurrentUser, "Software\\X"));
  // The failed write created nothing.
  EXPECT_THAT(*r.SubkeyNames(Hive::CurrentUser, "Software"), ElementsAre("Brindlo"));
}

TEST_F(RegistryTest, ValuesRoundTripAndChangeTypeOnOverwrite) {
  Registry& r = *registry_;
  for (int32_t number : {INT32_MIN, -1, 0, INT32_MAX}) {
    ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, kPrefs, "N", number).ok());
    EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, kPrefs, "N").value_or(42), number);
  }
  for (const std::string& text :
       {std::string(), std::string("C:\\x y\\TASKS.RVD"), std::string("Übung \xE2\x82\xAC"),
        std::string("a\0b", 3), std::string(100000, 'x')}) {
    ASSERT_TRUE(r.WriteString(Hive::CurrentUser, kPrefs, "N", text).ok());
    EXPECT_EQ(r.ReadString(Hive::CurrentUser, kPrefs, "N").value_or("?"), text);
  }
  EXPECT_FALSE(r.ReadInteger(Hive::CurrentUser, kPrefs, "N").ok());
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, kPrefs, "n", 3).ok());
  EXPECT_FALSE(r.ReadString(Hive::CurrentUser, kPrefs, "N").ok());
  auto values = r.Values(Hive::CurrentUser, kPrefs);
  ASSERT_TRUE(values.ok());
  ASSERT_EQ(values->size(), 1u);
  EXPECT_EQ((*values)[0].name, "N");
  EXPECT_EQ((*values)[0].type, ValueType::Integer);
  EXPECT_EQ((*values)[0].integer, 3);
}

TEST_F(RegistryTest, PathsDefaultValueAndHiveRoot) {
  Registry& r = *registry_;
  // Outer backslashes are ignored; any character but the backslash names a key.
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "\\Software\\a/b.c d\\", "V", 1).ok());
  EXPECT_THAT(*r.SubkeyNames(Hive::CurrentUser, "Software"), ElementsAre("a/b.c d"));
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, "Software\\A/B.C D", "V").value_or(0), 1);
  for (const char* bad : {"\\\\", "a\\\\b", "a\\\\", "\\\\a"}) {
    EXPECT_THAT(ErrorOf(r.OpenKey(Hive::CurrentUser, bad, CreateKey::Yes)),
                HasSubstr("contains an empty key name"))
        << bad;
  }

  // The empty name is the key's default value, apart from named ones.
  ASSERT_TRUE(r.WriteString(Hive::ClassesRoot, "RVOLE.Task", "", "Task object").ok());
  ASSERT_TRUE(r.WriteString(Hive::ClassesRoot, "RVOLE.Task", "Other", "x").ok());
  EXPECT_EQ(r.ReadString(Hive::ClassesRoot, "RVOLE.Task", "").value_or("?"), "Task object");
  EXPECT_THAT(*r.ValueNames(Hive::ClassesRoot, "RVOLE.Task"), ElementsAre("", "Other"));

  // The root of a hive holds values too.
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "", "AtRoot", 9).ok());
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, "\\", "AtRoot").value_or(0), 9);
  EXPECT_FALSE(r.ValueExists(Hive::ClassesRoot, "", "AtRoot"));
}

TEST_F(RegistryTest, DeleteKeyRemovesItsWholeSubtreeOnly) {
  Registry& r = *registry_;
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "A\\B", "V", 1).ok());
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "A\\B\\C\\D", "V", 2).ok());
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "A\\BB", "V", 3).ok());
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "A", "V", 4).ok());
  ASSERT_TRUE(r.WriteInteger(Hive::ClassesRoot, "A\\B", "V", 5).ok());

  ASSERT_TRUE(r.DeleteKey(Hive::CurrentUser, "a\\b").ok());
  EXPECT_FALSE(r.KeyExists(Hive::CurrentUser, "A\\B"));
  EXPECT_FALSE(r.KeyExists(Hive::CurrentUser, "A\\B\\C\\D"));
  EXPECT_THAT(*r.SubkeyNames(Hive::CurrentUser, "A"), ElementsAre("BB"));
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, "A\\BB", "V").value_or(0), 3);
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, "A", "V").value_or(0), 4);
  EXPECT_EQ(r.ReadInteger(Hive::ClassesRoot, "A\\B", "V").value_or(0), 5);

  // A key made again starts empty: nothing of the deleted one comes back.
  ASSERT_TRUE(r.OpenKey(Hive::CurrentUser, "A\\B\\C", CreateKey::Yes).ok());
  EXPECT_TRUE(r.ValueNames(Hive::CurrentUser, "A\\B")->empty());
  EXPECT_TRUE(r.SubkeyNames(Hive::CurrentUser, "A\\B\\C")->empty());
}

TEST_F(RegistryTest, DeleteValueAndListingsSortedWithoutRegardToCase) {
  Registry& r = *registry_;
  for (const char* name : {"beta", "Alpha", "gamma", "Delta"}) {
    ASSERT_TRUE(r.WriteString(Hive::CurrentUser, "Software\\Running", name, name).ok());
    ASSERT_TRUE(
        r.OpenKey(Hive::CurrentUser, std::string("Software\\") + name, CreateKey::Yes).ok());
  }
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, "Software\\Running", "Count", 4).ok());
  EXPECT_THAT(*r.ValueNames(Hive::CurrentUser, "Software\\Running"),
              ElementsAre("Alpha", "beta", "Count", "Delta", "gamma"));
  EXPECT_THAT(*r.SubkeyNames(Hive::CurrentUser, "Software"),
              ElementsAre("Alpha", "beta", "Delta", "gamma", "Running"));

  ASSERT_TRUE(r.DeleteValue(Hive::CurrentUser, "software\\running", "DELTA").ok());
  EXPECT_FALSE(r.DeleteValue(Hive::CurrentUser, "Software\\Running", "Delta").ok());
  auto values = r.Values(Hive::CurrentUser, "Software\\Running");
  ASSERT_TRUE(values.ok());
  ASSERT_EQ(values->size(), 4u);
  EXPECT_EQ((*values)[1].name, "beta");
  EXPECT_EQ((*values)[1].type, ValueType::String);
  EXPECT_EQ((*values)[1].text, "beta");
  EXPECT_EQ((*values)[2].name, "Count");
  EXPECT_EQ((*values)[2].type, ValueType::Integer);
  EXPECT_EQ((*values)[2].integer, 4);
}

TEST_F(RegistryTest, TransactionRollsBackOnErrorAndOnException) {
  Registry& r = *registry_;
  ASSERT_TRUE(r.WriteInteger(Hive::CurrentUser, kPrefs, "FileLocked", 0).ok());
  auto write_then = [&](auto finish) {
    return r.Transaction([&]() -> Result<void> {
      if (auto written = r.WriteInteger(Hive::CurrentUser, kPrefs, "FileLocked", 1); !written) {
        return written;
      }
      if (auto made = r.OpenKey(Hive::CurrentUser, "Software\\New", CreateKey::Yes); !made) {
        return made;
      }
      return finish();
    });
  };

  auto failed = write_then([]() -> Result<void> { return MakeError("task file is damaged"); });
  EXPECT_EQ(ErrorOf(failed), "task file is damaged");
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, kPrefs, "FileLocked").value_or(-1), 0);
  EXPECT_FALSE(r.KeyExists(Hive::CurrentUser, "Software\\New"));

  EXPECT_THROW((void)write_then([]() -> Result<void> { throw std::runtime_error("boom"); }),
               std::runtime_error);
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, kPrefs, "FileLocked").value_or(-1), 0);
  EXPECT_FALSE(r.KeyExists(Hive::CurrentUser, "Software\\New"));

  // The object is usable afterwards and commits normally.
  ASSERT_TRUE(write_then([]() -> Result<void> { return {}; }).ok());
  EXPECT_EQ(r.ReadInteger(Hive::CurrentUser, kPrefs, "FileLocked").value_or(-1), 1);
  EXPECT_TRUE(r.KeyExists(Hive::CurrentUser, "Software\\New"));
}

TEST_F(RegistryTest, InnerTransactionJoinsAndFailsAlone) {
  Registry& r = *registry_;
  auto write = [&](const char* name) { return r.WriteInteger(Hive::CurrentUser, kPrefs, name, 1); };
  auto outer = r.Transaction([&]() -> Result<void> {
    if (auto a = write("A"); !a) return a;
    auto inner = r.Transaction([&]() -> Result<void> {
      if (auto b = write("B"); !b) return b;
      return MakeError("inner failed");
    });
    EXPECT_EQ(ErrorOf(inner), "inner failed");
    EXPECT_THROW((void)r.Transaction([&]() -> Result<void> {
      (void)write("C");
      throw std::runtime_error("inner threw");
    }),
                 std::runtime_error);
    return write("D");
  });
  ASSERT_TRUE(outer.ok()) << outer.error();
  EXPECT_THAT(*r.ValueNames(Hive::CurrentUser, kPrefs), ElementsAre("A", "D"));

  // An inner success still goes when the outer work fails.
  auto failed = r.Transaction([&]() -> Result<void> {
    EXPECT_TRUE(r.Transaction([&] { return write("E"); }).ok());
    return MakeError("outer failed");
  });
  EXPECT_FALSE(failed.ok());
  EXPECT_FALSE(r.ValueExists(Hive::CurrentUser, kPrefs, "E"));
}

TEST_F(RegistryTest, OtherConnectionsSeeATransactionOnlyWhenCommitted) {
  auto other = OpenAt(path_);
  ASSERT_NE(other, nullptr);
  auto done = registry_->Transaction([&]() -> Result<void> {
    auto written = registry_->WriteString(Hive::CurrentUser, kPrefs, "TaskFile", "/t/TASKS.RVD");
    EXPECT_FALSE(other->ValueExists(Hive::CurrentUser, kPrefs, "TaskFile"));
    return written;
  });
  ASSERT_TRUE(done.ok()) << done.error();
  EXPECT_EQ(other->ReadString(Hive::CurrentUser, kPrefs, "TaskFile").value_or(""), "/t/TASKS.RVD");

  // And the store outlives its objects.
  registry_.reset();
  other.reset();
  auto reopened = OpenAt(path_);
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->ReadString(Hive::CurrentUser, kPrefs, "TaskFile").value_or(""),
            "/t/TASKS.RVD");
}

TEST_F(RegistryTest, ThreadsSharingOneObjectLoseNoIncrement) {
  auto run = [&] {
    for (int i = 0; i < 500; ++i) {
      auto done = Increment(*registry_, "Counter");
      if (!done) {
        ADD_FAILURE() << done.error();
        return;
      }
    }
  };
  std::thread first(run), second(run);
  first.join();
  second.join();
  EXPECT_EQ(registry_->ReadInteger(Hive::CurrentUser, kPrefs, "Counter").value_or(0), 1000);
}

TEST_F(RegistryTest, TwoProcessesIncrementingLoseNoUpdate) {
  // A connection must not cross fork(): the parent's is closed first.
  registry_.reset();
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  pid_t children[2] = {-1, -1};
  for (pid_t& child : children) {
    child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(gate[1]);
      char go;
      // Both start together, so their transactions really overlap.
      if (::read(gate[0], &go, 1) != 1) ::_exit(3);
      auto opened = Registry::Open(path_);
      if (!opened) {
        std::fprintf(stderr, "child: %s\n", opened.error().c_str());
        ::_exit(1);
      }
      for (int i = 0; i < 500; ++i) {
        if (auto done = Increment(**opened, "Counter"); !done) {
          std::fprintf(stderr, "child: %s\n", done.error().c_str());
          ::_exit(2);
        }
      }
      ::_exit(0);
    }
  }
  ::close(gate[0]);
  ASSERT_EQ(::write(gate[1], "gg", 2), 2);
  ::close(gate[1]);

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  for (pid_t child : children) {
    int status = 0;
    pid_t done = 0;
    while ((done = ::waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (done == 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      ADD_FAILURE() << "child " << child << " hung";
      continue;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  }

  auto reopened = OpenAt(path_);
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(reopened->ReadInteger(Hive::CurrentUser, kPrefs, "Counter").value_or(0), 1000);
}

TEST_F(RegistryTest, StoreFilesArePrivate) {
  ASSERT_TRUE(registry_->WriteInteger(Hive::CurrentUser, kPrefs, "ScanTime", 1).ok());
  for (const std::string& file : {path_, path_ + "-wal", path_ + "-shm"}) {
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0) << file;
    EXPECT_EQ(info.st_mode & 0777, 0600u) << file;
  }

  // A store someone made readable to others is tightened when opened.
  std::string loose = rv::testing::MakeTempDir("loose") + "registry.db";
  rv::testing::WriteFile(loose, "");
  ASSERT_EQ(::chmod(loose.c_str(), 0644), 0);
  ASSERT_NE(OpenAt(loose), nullptr);
  struct stat info {};
  ASSERT_EQ(::stat(loose.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(RegistryTest, OpenFailsClearlyOnABadStore) {
  std::string dir = rv::testing::MakeTempDir("bad");
  rv::testing::WriteFile(dir + "garbage.db", std::string(4096, 'x'));
  auto garbage = Registry::Open(dir + "garbage.db");
  ASSERT_FALSE(garbage.ok());
  EXPECT_THAT(garbage.error(), HasSubstr(dir + "garbage.db"));
  EXPECT_THAT(garbage.error(), HasSubstr("not a database"));

  auto nowhere = Registry::Open(dir + "missing/registry.db");
  ASSERT_FALSE(nowhere.ok());
  EXPECT_EQ(nowhere.error(), "registry: cannot open the store " + dir +
                                 "missing/registry.db: No such file or directory");
}

}  // namespace
}  // namespace rv
