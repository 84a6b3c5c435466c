#include "common/preferences.h"

#include <gtest/gtest.h>

#include "common/store_keys.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

constexpr Hive kUser = Hive::CurrentUser;

struct Preferences : ::testing::Test {
  std::unique_ptr<Registry> store = *Registry::Open(testing::MakeTempDir() + "registry.db");
  int32_t Integer(const char* name) {
    return store->ReadInteger(kUser, store_keys::kRunvane, name).value_or(-12345);
  }
  std::string Text(const char* name) {
    return store->ReadString(kUser, store_keys::kRunvane, name).value_or("<missing>");
  }
};

TEST_F(Preferences, FirstLoadWritesTheWholeDefaultSet) {
  RVPreferences prefs(store.get());
  const std::string dir = RVPreferences::ProgramDirectory();
  ASSERT_EQ(dir.back(), '/');
  EXPECT_EQ(prefs.TaskFile, dir + "TASKS.RVD");
  EXPECT_EQ(prefs.LogFile, dir + "RUNVANE.LOG");
  EXPECT_EQ(prefs.ScanTime, 1);
  EXPECT_EQ(prefs.SettingsTop, -1);
  EXPECT_EQ(prefs.SBHeight, 327);
  EXPECT_EQ(prefs.Column6, 60);
  // Written to the store, numbers and flags as integers.
  EXPECT_EQ(Integer("FirstRun"), 1);
  EXPECT_EQ(Integer("SettingsWidth"), 642);
  EXPECT_EQ(Integer("StatusLogWidth"), 321);
  EXPECT_EQ(Integer("LogThreshold"), 1);
  EXPECT_EQ(Text("TaskFile"), dir + "TASKS.RVD");
  EXPECT_EQ(Text("SoundToPlay"), "");
  EXPECT_EQ(Text("RunvaneMessage"), "<missing>");  // never written
  auto names = store->ValueNames(kUser, store_keys::kRunvane);
  ASSERT_TRUE(names);
  EXPECT_EQ(names->size(), 42u);
}

TEST_F(Preferences, SaveAndLoadRoundTrip) {
  RVPreferences prefs(store.get());
  prefs.ScanTime = 30;
  prefs.TaskFile = "/home/someone/work.rvd";
  prefs.WarnOnShutdown = false;
  prefs.StatusLogHeight = 77;
  prefs.StatusLogWidth = 88;
  prefs.LogThreshold = 90;
  ASSERT_TRUE(prefs.Save());
  RVPreferences again(store.get());
  EXPECT_EQ(again.ScanTime, 30);
  EXPECT_EQ(again.TaskFile, "/home/someone/work.rvd");
  EXPECT_FALSE(again.WarnOnShutdown);
  EXPECT_EQ(again.StatusLogHeight, 77);
  EXPECT_EQ(again.StatusLogWidth, 88);
  EXPECT_EQ(again.LogThreshold, 90);
}

TEST_F(Preferences, MissingOrMistypedNumberResetsEverything) {
  for (const char* broken : {"missing", "mistyped"}) {
    RVPreferences prefs(store.get());
    prefs.TaskFile = "/elsewhere.rvd";
    prefs.ScanTime = 9;
    ASSERT_TRUE(prefs.Save());
    if (std::string(broken) == "missing") {
      ASSERT_TRUE(store->DeleteValue(kUser, store_keys::kRunvane, "Column6"));
    } else {
      ASSERT_TRUE(store->WriteString(kUser, store_keys::kRunvane, "ScanTime", "9"));
    }
    RVPreferences reloaded(store.get());
    EXPECT_EQ(reloaded.TaskFile, RVPreferences::ProgramDirectory() + "TASKS.RVD") << broken;
    EXPECT_EQ(reloaded.ScanTime, 1) << broken;
    EXPECT_EQ(Integer("Column6"), 60) << broken;  // the reset was saved
    EXPECT_EQ(Integer("ScanTime"), 1) << broken;
  }
}

TEST_F(Preferences, MissingTextReadsEmptyAndEmptyLogFileMeansTheDefault) {
  RVPreferences prefs(store.get());
  prefs.SoundToPlay = "0";
  prefs.LogFile = "";
  prefs.ScanTime = 5;
  ASSERT_TRUE(prefs.Save());
  ASSERT_TRUE(store->DeleteValue(kUser, store_keys::kRunvane, "SoundToPlay"));
  RVPreferences reloaded(store.get());
  EXPECT_EQ(reloaded.SoundToPlay, "");
  EXPECT_EQ(reloaded.ScanTime, 5);  // loaded normally
  EXPECT_EQ(reloaded.LogFile, RVPreferences::ProgramDirectory() + "RUNVANE.LOG");
}

TEST_F(Preferences, ChangeFlagsDefaultAndRoundTrip) {
  RVPreferences prefs(store.get());
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::Processing));
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::RunvaneChange));
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::SettingsChange));
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::PrefsChanged));
  ASSERT_TRUE(prefs.SetChangeFlag(ChangeFlag::Processing, false));
  ASSERT_TRUE(prefs.SetChangeFlag(ChangeFlag::SettingsChange, true));
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::Processing));
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::SettingsChange));
  EXPECT_EQ(Integer("SettingsChange"), 1);
}

TEST_F(Preferences, RunningSetAndFileLock) {
  RVPreferences prefs(store.get());
  EXPECT_TRUE(prefs.ClearRunningList());  // nothing to clear is fine
  ASSERT_TRUE(prefs.MarkRunning("Backup"));
  ASSERT_TRUE(prefs.MarkRunning("Mail check"));
  EXPECT_TRUE(prefs.IsRunning("Backup"));
  EXPECT_EQ(prefs.RunningTasks(), (std::vector<std::string>{"Backup", "Mail check"}));
  ASSERT_TRUE(prefs.UnmarkRunning("Backup"));
  EXPECT_FALSE(prefs.IsRunning("Backup"));
  ASSERT_TRUE(prefs.ClearRunningList());
  EXPECT_TRUE(prefs.RunningTasks().empty());
  EXPECT_FALSE(store->KeyExists(kUser, store_keys::kRunning));

  ASSERT_TRUE(store->WriteInteger(kUser, store_keys::kIpc, "FileLocked", 1));
  prefs.ClearFileLock();
  EXPECT_EQ(*store->ReadInteger(kUser, store_keys::kIpc, "FileLocked"), 0);
}

}  // namespace
}  // namespace rv
