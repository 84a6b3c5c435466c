// Black-box tests of the runvanectl program.

#include <gtest/gtest.h>

#include "common/date_time.h"
#include "common/preferences.h"
#include "common/task_list.h"
#include "platform/registry.h"
#include "platform/testing/run_program.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

using testing::ProgramResult;
using testing::ReadFile;
using testing::WriteFile;

ProgramResult Ctl(std::vector<std::string> args) {
  args.insert(args.begin(), testing::BuildDir() + "tools/runvanectl/runvanectl");
  return testing::RunProgram(args);
}

std::string Demo() {
  return std::string(RUNVANE_SOURCE_DIR) + "/docs/examples/demo.rvd";
}

struct RunvaneCtl : ::testing::Test {
  std::string dir = testing::MakeTempDir();
  std::string file = dir + "TASKS.RVD";
  // A store of this test's own, also when the tests share one process.
  testing::ScopedEnv home{"RUNVANE_HOME", (dir + "home").c_str()};

  void WriteTasks() {
    RVTaskList list(file);
    auto daily = list.Add();
    daily->TaskName = "Daily";
    daily->LaunchDateTime = EncodeDate(2026, 12, 10) + EncodeTime(23, 30, 0, 0);
    daily->Frequency = 1;
    daily->Interval = 1;
    daily->IntervalType = 2;
    daily->Active = true;
    daily->LateFlags = 1 | 8;
    daily->TaskTriggers = 1 | 8;
    daily->Hotkey = "%^a";
    auto once = list.Add();
    once->TaskName = "Once";
    once->LaunchDateTime = EncodeDate(2026, 12, 11) + EncodeTime(8, 0, 0, 0);
    once->Frequency = 0;
    once->Active = true;
    once->LateFlags = 1 | 8;
    once->TaskTriggers = 0;
    ASSERT_TRUE(list.SaveToFile());
  }
};

TEST_F(RunvaneCtl, CheckReportsTaskCountOrTheFirstError) {
  ProgramResult demo = Ctl({"check", Demo()});
  EXPECT_EQ(demo.exit_status, 0) << demo.err;
  EXPECT_EQ(demo.out, Demo() + ": 8 tasks\n");

  WriteFile(file, "__RVTLST__\r\nBroken\r\n6/9/1998 1:0:0 AM\r\n1\r\nx\r\n");
  ProgramResult broken = Ctl({"check", file});
  EXPECT_EQ(broken.exit_status, 1);
  EXPECT_EQ(broken.err, file + ":5: expected a whole number for the interval, found \"x\"\n");

  WriteFile(file, "not a task file\r\n");
  ProgramResult foreign = Ctl({"check", file});
  EXPECT_EQ(foreign.exit_status, 1);
  EXPECT_EQ(foreign.err, file + ": not a task file\n");

  ProgramResult missing = Ctl({"check", dir + "missing.rvd"});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_EQ(missing.err, dir + "missing.rvd: cannot open: No such file or directory\n");
  EXPECT_NE(::access((dir + "missing.rvd").c_str(), F_OK), 0);  // checking creates nothing
}

TEST_F(RunvaneCtl, ListShowsStatusScheduleAndTriggers) {
  WriteTasks();
  auto store = *Registry::OpenDefault();
  RVPreferences prefs(store.get(), RVPreferences::LoadNow::No);
  ASSERT_TRUE(prefs.MarkRunning("Once"));

  ProgramResult text = Ctl({"list", file});
  ASSERT_EQ(text.exit_status, 0) << text.err;
  EXPECT_EQ(text.out,
            "Daily\tActive\t12/10/2026\t11:30:00 PM\tEvery day\tScheduled, Hotkey\n"
            "Once\tRunning\t12/11/2026\t8:00:00 AM\tOnce\tNONE\n");

  ProgramResult json = Ctl({"list", "--json", file});
  ASSERT_EQ(json.exit_status, 0) << json.err;
  EXPECT_EQ(json.out,
            "[\n  {\"name\": \"Daily\", \"status\": \"Active\", \"date\": \"12/10/2026\", "
            "\"time\": \"11:30:00 PM\", \"frequency\": \"Every day\", \"triggers\": "
            "\"Scheduled, Hotkey\"},\n  {\"name\": \"Once\", \"status\": \"Running\", \"date\": "
            "\"12/11/2026\", \"time\": \"8:00:00 AM\", \"frequency\": \"Once\", \"triggers\": "
            "\"NONE\"}\n]\n");

  ProgramResult demo = Ctl({"list", Demo()});
  ASSERT_EQ(demo.exit_status, 0) << demo.err;
  EXPECT_NE(demo.out.find("Stand-up reminder\tActive\t12/14/2026\t9:55:00 AM\tEvery weekday\t"
                          "Scheduled\n"),
            std::string::npos)
      << demo.out;
}

TEST_F(RunvaneCtl, RescheduleAppliesTheRuleAndWritesUnderTheLock) {
  WriteTasks();
  const std::string before = ReadFile(file);
  ProgramResult dry = Ctl({"reschedule", file, "Daily", "--now", "12/11/2026 8:0:0 AM"});
  ASSERT_EQ(dry.exit_status, 0) << dry.err;
  EXPECT_EQ(dry.out, "12/11/2026 11:30:0 PM\nActive\n");
  EXPECT_EQ(ReadFile(file), before);

  ProgramResult once = Ctl({"reschedule", file, "Once", "--now", "12/11/2026 8:0:1 AM", "--write"});
  ASSERT_EQ(once.exit_status, 0) << once.err;
  EXPECT_EQ(once.out, "12/11/2026 8:0:0 AM\nInactive\n");
  RVTaskList reread(file);
  ASSERT_TRUE(reread.LoadFromFile());
  EXPECT_FALSE(reread.Item(1)->Active);
  auto store = *Registry::OpenDefault();
  RVPreferences prefs(store.get(), RVPreferences::LoadNow::No);
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::SettingsChange));
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::RunvaneChange));
  EXPECT_EQ(*store->ReadInteger(Hive::CurrentUser, "Software\\Brindlo\\Runvane\\IPC", "FileLocked"),
            0);

  ProgramResult missing = Ctl({"reschedule", file, "Nope", "--now", "12/11/2026 8:0:0 AM"});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_EQ(missing.err, "runvanectl: no task named \"Nope\" in " + file + "\n");

  ProgramResult bad_date = Ctl({"reschedule", file, "Daily", "--now", "13/11/2026 8:0:0 AM"});
  EXPECT_EQ(bad_date.exit_status, 2);
  EXPECT_NE(bad_date.err.find("does not exist"), std::string::npos);
}

TEST_F(RunvaneCtl, RegistryPrintsTheTree) {
  auto store = *Registry::OpenDefault();
  ASSERT_TRUE(store->WriteInteger(Hive::CurrentUser, "Software\\Brindlo\\Runvane", "ScanTime", 5));
  ASSERT_TRUE(store->WriteString(Hive::CurrentUser, "Software\\Brindlo\\Runvane", "LogFile", "/x"));
  ASSERT_TRUE(
      store->OpenKey(Hive::CurrentUser, "Software\\Brindlo\\Runvane\\Running", CreateKey::Yes));
  ProgramResult all = Ctl({"registry"});
  ASSERT_EQ(all.exit_status, 0) << all.err;
  EXPECT_EQ(all.out,
            "Software\\Brindlo\\Runvane\\LogFile = string:/x\n"
            "Software\\Brindlo\\Runvane\\ScanTime = integer:5\n"
            "Software\\Brindlo\\Runvane\\Running\\\n");
  ProgramResult below = Ctl({"registry", "software\\brindlo\\runvane\\running"});
  EXPECT_EQ(below.exit_status, 0);
  EXPECT_EQ(below.out, "Software\\Brindlo\\Runvane\\Running\\\n");
  ProgramResult missing = Ctl({"registry", "Software\\Nope"});
  EXPECT_EQ(missing.exit_status, 1);

  EXPECT_EQ(
      Ctl({"registry", "--set", "Software\\Brindlo\\Runvane\\ScanTime=integer:7"}).exit_status, 0);
  EXPECT_EQ(Ctl({"registry", "--set", "HKCR\\RVOLE.Task\\=string:Task object"}).exit_status, 0);
  EXPECT_EQ(*store->ReadInteger(Hive::CurrentUser, "Software\\Brindlo\\Runvane", "ScanTime"), 7);
  EXPECT_EQ(*store->ReadString(Hive::ClassesRoot, "RVOLE.Task", ""), "Task object");
  for (const char* bad : {"Software\\X=integer:x", "Software\\X=number:1", "no-equals",
                          "Software\\X=integer:99999999999"}) {
    EXPECT_EQ(Ctl({"registry", "--set", bad}).exit_status, 2) << bad;
  }
}

TEST_F(RunvaneCtl, PrefsShowsAndChangesPreferences) {
  ProgramResult shown = Ctl({"prefs"});
  ASSERT_EQ(shown.exit_status, 0) << shown.err;
  EXPECT_NE(shown.out.find("ScanTime = 1\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("WarnOnShutdown = 1\n"), std::string::npos);
  ProgramResult set = Ctl({"prefs", "scantime=5", "WarnOnShutdown=0", "LogFile=/tmp/x.log"});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  auto store = *Registry::OpenDefault();
  RVPreferences prefs(store.get());
  EXPECT_EQ(prefs.ScanTime, 5);
  EXPECT_FALSE(prefs.WarnOnShutdown);
  EXPECT_EQ(prefs.LogFile, "/tmp/x.log");
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::PrefsChanged));
  EXPECT_EQ(Ctl({"prefs", "Nope=1"}).err, "runvanectl: there is no preference named \"Nope\"\n");
  EXPECT_EQ(Ctl({"prefs", "ShowToolbar=2"}).exit_status, 2);
  EXPECT_EQ(Ctl({"prefs", "ScanTime=fast"}).exit_status, 2);
}

TEST_F(RunvaneCtl, UnknownCommandAndHelp) {
  ProgramResult help = Ctl({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("reschedule FILE NAME"), std::string::npos);
  ProgramResult unknown = Ctl({"frobnicate"});
  EXPECT_EQ(unknown.exit_status, 2);
  EXPECT_EQ(unknown.err, "runvanectl: unknown command \"frobnicate\" (see runvanectl --help)\n");
}

}  // namespace
}  // namespace rv
