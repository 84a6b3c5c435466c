// Runs the real runvane program in a home of its own and talks to it the way
// other programs do: DDE commands, signals, and its log file.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "common/preferences.h"
#include "common/task_list.h"
#include "platform/dde_client.h"
#include "platform/registry.h"
#include "platform/testing/run_program.h"
#include "platform/testing/test_home.h"

extern char** environ;

namespace rv {
namespace {

using namespace std::chrono_literals;

std::string Program() {
  return testing::BuildDir() + "launcher/app/runvane";
}

std::string ReadIfThere(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// One launcher home: the store, the data directory with the task file and
// the log, the runtime directory with the DDE sockets. RUNVANE_HOME points
// here for the test's own clients too.
class LauncherHome {
 public:
  LauncherHome() : home_(testing::MakeTempDir("l")), env_("RUNVANE_HOME", home_.c_str()) {
    ::mkdir((home_ + "data").c_str(), 0700);
    store_ = std::move(*Registry::Open(home_ + "registry.db"));
    RVPreferences preferences(store_.get());
    // Step results are logged at level 0.
    preferences.LogThreshold = 0;
    preferences.WarnOnShutdown = false;
    preferences.Save();
  }
  ~LauncherHome() { Kill(); }

  std::string DataPath(const std::string& name) const { return home_ + "data/" + name; }
  std::string TaskFile() const { return DataPath("TASKS.RVD"); }
  std::string Log() const { return ReadIfThere(DataPath("RUNVANE.LOG")); }
  Registry& Store() { return *store_; }

  struct TaskSpec {
    std::string name;
    std::vector<std::string> steps;
  };
  // Inactive tasks: only commands start them.
  void WriteTasks(const std::vector<TaskSpec>& tasks) {
    RVTaskList list(TaskFile());
    for (const TaskSpec& spec : tasks) {
      std::shared_ptr<RVTask> task = list.Add();
      task->TaskName = spec.name;
      task->Active = false;
      task->Steps = spec.steps;
      task->StepCount = static_cast<int32_t>(spec.steps.size());
    }
    ASSERT_TRUE(list.SaveToFile().ok());
  }

  // `prefix` runs in front of the program (faketime and its arguments).
  void Start(std::vector<std::string> prefix = {}) {
    prefix.push_back(Program());
    std::vector<char*> args;
    for (std::string& arg : prefix)
      args.push_back(arg.data());
    args.push_back(nullptr);
    ASSERT_EQ(::posix_spawnp(&pid_, args[0], nullptr, nullptr, args.data(), environ), 0);
  }

  std::string Home() const { return home_; }

  bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }

  bool ServerAnswers() { return client_.IsServiceRunning("Runvane", "System"); }
  bool StartAndWaitForServer() {
    Start();
    return WaitUntil([this] { return ServerAnswers(); });
  }
  bool WaitForLog(const std::string& part, int times = 1) {
    return WaitUntil([&] { return CountOf(Log(), part) >= times; });
  }

  Result<void> Send(const std::string& text) {
    return client_.Execute("Runvane", "System", text, dde::Wait::Yes);
  }

  // The exit status, or -1 when it did not end in time (then it is killed).
  int WaitForExit(std::chrono::milliseconds timeout = 10s) {
    if (pid_ <= 0) return -1;
    int status = 0;
    const bool ended =
        WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout);
    if (!ended) {
      Kill();
      return -1;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  void Signal(int number) { ::kill(pid_, number); }

  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  std::string home_;
  testing::ScopedEnv env_;
  std::unique_ptr<Registry> store_;
  dde::SocketClient client_;
  pid_t pid_ = -1;
};

TEST(LauncherProgramTest, ASecondInstanceEndsAtOnceAndKillRunvaneEndsTheFirst) {
  LauncherHome home;
  home.WriteTasks({{"Idle", {"BEGINLOOP: "}}});
  ASSERT_TRUE(home.StartAndWaitForServer()) << home.Log();
  EXPECT_TRUE(home.WaitForLog(") - Runvane Launcher Started\n"));

  const testing::ProgramResult second = testing::RunProgram({Program()});
  EXPECT_EQ(second.exit_status, 0);
  EXPECT_EQ(second.out, "");
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(CountOf(home.Log(), "Runvane Launcher Started"), 1);

  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
  EXPECT_NE(home.Log().find(") - Runvane Launcher shutdown.\n"), std::string::npos);
  EXPECT_FALSE(home.ServerAnswers());
}

TEST(LauncherProgramTest, ATerminationSignalEndsTheLauncherCleanly) {
  for (int number : {SIGTERM, SIGINT}) {
    LauncherHome home;
    home.WriteTasks({});
    ASSERT_TRUE(home.StartAndWaitForServer());
    home.Signal(number);
    EXPECT_EQ(home.WaitForExit(), 0) << number;
    EXPECT_NE(home.Log().find("Runvane Launcher shutdown."), std::string::npos);
  }
}

TEST(LauncherProgramTest, LaunchRunsAnInactiveTaskAndItsLoopBlockTheCountedTimes) {
  LauncherHome home;
  struct Row {
    std::string name;
    int count;
    int passes;
  };
  const std::vector<Row> rows = {{"Three", 3, 3}, {"Zero", 0, 1}, {"One", 1, 1}, {"Five", 5, 5}};
  std::vector<LauncherHome::TaskSpec> tasks;
  for (const Row& row : rows)
    tasks.push_back({row.name, {"BEGINLOOP: ", "ENDLOOP: " + std::to_string(row.count)}});
  home.WriteTasks(tasks);
  ASSERT_TRUE(home.StartAndWaitForServer());

  for (const Row& row : rows) {
    ASSERT_TRUE(home.Send("LAUNCH: " + row.name).ok());
    ASSERT_TRUE(home.WaitForLog(row.name + "::Task \"" + row.name + "\" Ended.")) << home.Log();
    const std::string log = home.Log();
    // ENDLOOP jumps back to the step after BEGINLOOP, so the block's marker
    // is logged once and its body, here ENDLOOP itself, once per pass.
    EXPECT_EQ(CountOf(log, row.name + "::Begin loop block at line 0\n"), 1) << row.name;
    EXPECT_EQ(CountOf(log, row.name + "::Task Started\n"), 1);
    EXPECT_EQ(CountOf(log, row.name + "::ENDLOOP: " + std::to_string(row.count) + "\n"), row.passes)
        << row.name;
    EXPECT_EQ(CountOf(log, row.name + "::Step Failed."), 0);
  }
  // A name no task has starts nothing and is not an error for the sender.
  EXPECT_TRUE(home.Send("LAUNCH: Nobody").ok());
  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
  EXPECT_EQ(CountOf(home.Log(), "Nobody"), 0);
}

TEST(LauncherProgramTest, StoppedProcessingStillLaunchesOnCommand) {
  LauncherHome home;
  home.WriteTasks({{"Manual", {"BEGINLOOP: "}}});
  ASSERT_TRUE(home.StartAndWaitForServer());
  ASSERT_TRUE(home.Send("STOPPROCESSING").ok());
  EXPECT_TRUE(home.WaitForLog("Runvane Launcher disabled."));
  RVPreferences preferences(&home.Store());
  EXPECT_FALSE(preferences.GetChangeFlag(ChangeFlag::Processing));
  ASSERT_TRUE(home.Send("LAUNCH: Manual").ok());
  EXPECT_TRUE(home.WaitForLog("Manual::Task \"Manual\" Ended."));
  ASSERT_TRUE(home.Send("STARTPROCESSING").ok());
  EXPECT_TRUE(home.WaitForLog("Runvane Launcher enabled."));
  EXPECT_TRUE(preferences.GetChangeFlag(ChangeFlag::Processing));
  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
}

TEST(LauncherProgramTest, KillStopsARunBetweenTwoSteps) {
  LauncherHome home;
  home.WriteTasks({{"Long", {"BEGINLOOP: ", "ENDLOOP: 100000000"}}});
  ASSERT_TRUE(home.StartAndWaitForServer());
  ASSERT_TRUE(home.Send("LAUNCH: Long").ok());
  ASSERT_TRUE(home.WaitForLog("Long::ENDLOOP: 100000000\n", 5));
  // The name in another letter case still finds the run.
  ASSERT_TRUE(home.Send("KILL: long").ok());
  ASSERT_TRUE(home.WaitForLog("Long::Task \"Long\" Ended.")) << "the run did not stop";
  const std::string log = home.Log();
  const int passes = CountOf(log, "Long::ENDLOOP: 100000000\n");
  EXPECT_LT(passes, 100000000);
  // The step that ran when the command came finished; nothing ran after.
  const std::string before_end =
      log.substr(0, log.rfind('\n', log.find("Long::Task \"Long\" Ended.")));
  const std::string line_before_end = before_end.substr(before_end.rfind('\n') + 1);
  EXPECT_NE(line_before_end.find("Long::Step Okay"), std::string::npos) << line_before_end;
  const std::string tail = log.substr(log.find("Long::Task \"Long\" Ended."));
  EXPECT_EQ(CountOf(tail, "Long::ENDLOOP"), 0);
  // The running marker is gone.
  RVPreferences preferences(&home.Store());
  EXPECT_FALSE(preferences.IsRunning("Long"));
  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
}

TEST(LauncherProgramTest, ExitWhileATaskRunsStopsItAndEnds) {
  LauncherHome home;
  home.WriteTasks({{"Long", {"BEGINLOOP: ", "ENDLOOP: 100000000"}}});
  ASSERT_TRUE(home.StartAndWaitForServer());
  ASSERT_TRUE(home.Send("LAUNCH: Long").ok());
  ASSERT_TRUE(home.WaitForLog("Long::ENDLOOP: 100000000\n", 3));
  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
  EXPECT_NE(home.Log().find("Long::Task \"Long\" Ended."), std::string::npos);
  RVPreferences preferences(&home.Store());
  EXPECT_TRUE(preferences.RunningTasks().empty());
}

TEST(LauncherProgramTest, PlayStepsRunsAsTaskInterpreterAndNeverTouchesTheTaskFile) {
  LauncherHome home;
  home.WriteTasks({{"Kept", {"BEGINLOOP: "}}});
  const std::string before = testing::ReadFile(home.TaskFile());
  struct stat before_info {};
  ASSERT_EQ(::stat(home.TaskFile().c_str(), &before_info), 0);
  ASSERT_TRUE(home.StartAndWaitForServer());
  std::this_thread::sleep_for(20ms);  // a later write would show a later time

  // The comment mentions a script step, which would make a named task write
  // itself back.
  ASSERT_TRUE(home.Send("PLAYSTEPS: BEGINLOOP: \r\nREM: \"SCRIPT: x.bas\"\r\nENDLOOP: 2").ok());
  ASSERT_TRUE(home.WaitForLog("Task Interpreter::Task \"Task Interpreter\" Ended.")) << home.Log();
  const std::string log = home.Log();
  EXPECT_EQ(CountOf(log, "Task Interpreter::Begin loop block at line 0\n"), 1);
  EXPECT_EQ(CountOf(log, "Task Interpreter::ENDLOOP: 2\n"), 2);
  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);

  EXPECT_EQ(testing::ReadFile(home.TaskFile()), before);
  struct stat after_info {};
  ASSERT_EQ(::stat(home.TaskFile().c_str(), &after_info), 0);
  EXPECT_EQ(after_info.st_mtim.tv_sec, before_info.st_mtim.tv_sec);
  EXPECT_EQ(after_info.st_mtim.tv_nsec, before_info.st_mtim.tv_nsec);
  EXPECT_EQ(after_info.st_ino, before_info.st_ino);
}

TEST(LauncherProgramTest, WithoutAUsableTaskFileItSaysSoAndEnds) {
  struct Row {
    const char* what;
    // Empty: no file at all.
    std::string tasks_rvd;
    bool point_task_file_at_it;
    std::string expected;
  };
  const std::string question =
      "Runvane has not been set to use a task file yet.  Would you like to do this now?";
  const std::string invalid =
      "Runvane is set to use an invalid task file.  Please check your settings.";
  const std::vector<Row> rows = {
      {"no task file", "", false, question},
      // A file that is not a task file counts as none when it is only the
      // default one...
      {"bad default file", "not a task file\r\n", false, question},
      // ...and as an invalid one when the settings name it.
      {"bad named file", "not a task file\r\n", true, invalid},
  };
  for (const Row& row : rows) {
    LauncherHome home;
    RVPreferences preferences(&home.Store());
    const std::string named = home.DataPath("mine.rvd");
    preferences.TaskFile = row.point_task_file_at_it ? named : home.DataPath("missing.rvd");
    preferences.Save();
    if (!row.tasks_rvd.empty()) {
      testing::WriteFile(row.point_task_file_at_it ? named : home.TaskFile(), row.tasks_rvd);
    }
    home.Start();
    EXPECT_EQ(home.WaitForExit(), 0) << row.what;
    const std::string log = home.Log();
    EXPECT_NE(log.find(row.expected), std::string::npos) << row.what << "\n" << log;
    EXPECT_EQ(CountOf(log, "Runvane Launcher Started"), 0) << row.what;
    EXPECT_FALSE(home.ServerAnswers());
  }
}

TEST(LauncherProgramTest, AMissingNamedFileGivesWayToAValidDefaultOne) {
  LauncherHome home;
  home.WriteTasks({{"Here", {"BEGINLOOP: "}}});
  {
    RVPreferences preferences(&home.Store());
    preferences.TaskFile = home.DataPath("gone.rvd");
    preferences.Save();
  }
  ASSERT_TRUE(home.StartAndWaitForServer());
  RVPreferences preferences(&home.Store());
  EXPECT_EQ(preferences.TaskFile, home.TaskFile());
  ASSERT_TRUE(home.Send("LAUNCH: Here").ok());
  EXPECT_TRUE(home.WaitForLog("Here::Task \"Here\" Ended."));
  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
}

TEST(LauncherProgramTest, ASettingsChangeReloadsTheTaskList) {
  LauncherHome home;
  home.WriteTasks({{"Old", {"BEGINLOOP: "}}});
  ASSERT_TRUE(home.StartAndWaitForServer());
  home.WriteTasks({{"New", {"BEGINLOOP: "}}});
  RVPreferences preferences(&home.Store());
  preferences.SetChangeFlag(ChangeFlag::SettingsChange, true);
  ASSERT_TRUE(
      home.WaitUntil([&] { return !preferences.GetChangeFlag(ChangeFlag::SettingsChange); }));
  ASSERT_TRUE(home.Send("LAUNCH: New").ok());
  EXPECT_TRUE(home.WaitForLog("New::Task \"New\" Ended."));
  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
}

}  // namespace
}  // namespace rv

namespace rv {
namespace {

bool HaveFaketime() {
  return ::access("/usr/bin/faketime", X_OK) == 0;
}

// The launcher under a clock that starts at 8:59:00 and runs twenty times as
// fast: the task due at 9:00:00 comes one minute after the start.
TEST(LauncherProgramTest, ScheduledTasksRunWhenDueAndAreRescheduled) {
  if (!HaveFaketime()) GTEST_SKIP() << "faketime is not installed";
  LauncherHome home;
  {
    RVTaskList list(home.TaskFile());
    auto daily = list.Add();
    daily->TaskName = "Daily at nine";
    daily->LaunchDateTime = EncodeDate(2026, 12, 11) + EncodeTime(9, 0, 0, 0);
    daily->Frequency = 1;
    daily->Interval = 1;
    daily->IntervalType = 2;
    daily->Active = true;
    daily->LateFlags = 1 | 8;
    daily->TaskTriggers = 1;
    daily->Steps = {"MAKEDIR: \"" + home.Home() + "daily\""};
    auto once = list.Add();
    once->TaskName = "Once at nine";
    once->LaunchDateTime = EncodeDate(2026, 12, 11) + EncodeTime(9, 0, 5, 0);
    once->Frequency = 0;
    once->Active = true;
    once->LateFlags = 1 | 8;
    once->TaskTriggers = 1;
    once->Steps = {"MAKEDIR: \"" + home.Home() + "once\""};
    ASSERT_TRUE(list.SaveToFile());
  }
  home.Start({"faketime", "-f", "@2026-12-11 08:59:00 x20"});
  ASSERT_TRUE(home.WaitForLog("Once at nine::Task \"Once at nine\" Ended.", 1)) << home.Log();
  const std::string log = home.Log();
  // On time: within one scan period (one second) of its moment.
  EXPECT_TRUE(
      log.find("(12/11/2026 9:00:00 AM) - Daily at nine::Task Started") != std::string::npos ||
      log.find("(12/11/2026 9:00:01 AM) - Daily at nine::Task Started") != std::string::npos)
      << log;
  EXPECT_EQ(::access((home.Home() + "daily").c_str(), F_OK), 0);
  EXPECT_EQ(::access((home.Home() + "once").c_str(), F_OK), 0);

  // The file now carries the next launch moment; the one-time task is off.
  ASSERT_TRUE(home.WaitUntil([&] {
    return testing::ReadFile(home.TaskFile()).find("12/12/2026 9:0:0 AM") != std::string::npos;
  }));
  RVTaskList reread(home.TaskFile());
  ASSERT_TRUE(reread.LoadFromFile());
  EXPECT_EQ(reread.FindByName("Daily at nine")->LaunchDateTime,
            EncodeDate(2026, 12, 12) + EncodeTime(9, 0, 0, 0));
  EXPECT_TRUE(reread.FindByName("Daily at nine")->Active);
  EXPECT_FALSE(reread.FindByName("Once at nine")->Active);
  RVPreferences prefs(&home.Store(), RVPreferences::LoadNow::No);
  EXPECT_TRUE(prefs.GetChangeFlag(ChangeFlag::RunvaneChange));
  // Each ran once: the daily task is not due again for a day.
  EXPECT_EQ(CountOf(home.Log(), "Daily at nine::Task Started"), 1);

  EXPECT_TRUE(home.Send("KILLRUNVANE").ok());
  EXPECT_EQ(home.WaitForExit(), 0);
}

}  // namespace
}  // namespace rv
