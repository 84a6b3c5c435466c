// Script steps in the real runvane program: the objects come from
// librvole.so beside it, changes reach the task file, and the action and
// system objects drive the same launcher over DDE.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "common/preferences.h"
#include "common/task_list.h"
#include "platform/dde_client.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

extern char** environ;

namespace rv {
namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class ScriptLauncher : public ::testing::Test {
 protected:
  ScriptLauncher() : home_(testing::MakeTempDir("s")), env_("RUNVANE_HOME", home_.c_str()) {
    ::mkdir((home_ + "data").c_str(), 0700);
    store_ = std::move(*Registry::Open(home_ + "registry.db"));
    RVPreferences preferences(store_.get());
    preferences.LogThreshold = 0;
    preferences.WarnOnShutdown = false;
    preferences.Save();
  }
  ~ScriptLauncher() override {
    if (pid_ > 0) {
      (void)client_.Execute("Runvane", "System", "KILLRUNVANE", dde::Wait::Yes);
      if (!WaitUntil([&] { return ::waitpid(pid_, nullptr, WNOHANG) == pid_; }, 5s)) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
      }
    }
  }

  std::string Data(const std::string& name) const { return home_ + "data/" + name; }

  // `script` becomes the body of Sub Main in a file of its own.
  std::shared_ptr<RVTask> AddScriptTask(RVTaskList& list, const std::string& name,
                                        const std::string& script) {
    std::ofstream(Data(name + ".bas")) << "Sub Main\n" << script << "\nEnd Sub\n";
    std::shared_ptr<RVTask> task = list.Add();
    task->TaskName = name;
    task->LaunchDateTime = EncodeDate(2030, 3, 4) + EncodeTime(5, 6, 7, 0);
    task->Steps = {"SCRIPT: \"" + Data(name + ".bas") + "\""};
    task->StepCount = 1;
    return task;
  }

  void Start(RVTaskList& list) {
    ASSERT_TRUE(list.SaveToFile());
    std::string program = testing::BuildDir() + "launcher/app/runvane";
    char* args[] = {program.data(), nullptr};
    ASSERT_EQ(::posix_spawn(&pid_, args[0], nullptr, nullptr, args, environ), 0);
    ASSERT_TRUE(WaitUntil([&] { return client_.IsServiceRunning("Runvane", "System"); }));
  }

  void Launch(const std::string& name) {
    ASSERT_TRUE(client_.Execute("Runvane", "System", "LAUNCH: " + name, dde::Wait::Yes));
  }

  std::shared_ptr<RVTask> Reread(RVTaskList& fresh, const std::string& name) {
    fresh.Clear();
    if (!fresh.LoadFromFile()) return nullptr;
    return fresh.FindByName(name);
  }

  std::string home_;
  testing::ScopedEnv env_;
  std::unique_ptr<Registry> store_;
  dde::SocketClient client_;
  pid_t pid_ = -1;
};

TEST_F(ScriptLauncher, ChangedDetailsAndStepsAreSavedWithTheScheduleKept) {
  RVTaskList list(Data("TASKS.RVD"));
  AddScriptTask(list, "Job",
                "CurrentTask.Details = \"changed by the script\"\n"
                "CurrentTask.AppendTaskStep \"BEEP: \"");
  Start(list);
  Launch("Job");
  RVTaskList fresh(Data("TASKS.RVD"));
  ASSERT_TRUE(WaitUntil([&] {
    auto job = Reread(fresh, "Job");
    return job && job->Steps.size() == 2;
  }));
  auto job = Reread(fresh, "Job");
  ASSERT_TRUE(job);
  EXPECT_EQ(job->Details, std::vector<std::string>{"changed by the script"});
  EXPECT_EQ(job->Steps[1], "BEEP: ");
  EXPECT_EQ(job->LaunchDateTime, EncodeDate(2030, 3, 4) + EncodeTime(5, 6, 7, 0));
  EXPECT_FALSE(job->Running);
  // The objects came through the registration of the library beside the launcher.
  EXPECT_TRUE(store_->KeyExists(Hive::ClassesRoot, "RVOLE.Task\\Clsid"));
}

TEST_F(ScriptLauncher, ActionAndSystemObjectsDriveTheLauncher) {
  std::ofstream(Data("a.txt")) << "payload";
  RVTaskList list(Data("TASKS.RVD"));
  AddScriptTask(list, "Copier",
                "Action.CopyFile \"" + Data("a.txt") + "\", \"" + Data("b.txt") +
                    "\"\n"
                    "Runvane.RunTask \"Other\"");
  std::shared_ptr<RVTask> other = list.Add();
  other->TaskName = "Other";
  other->Steps = {"COPY: \"" + Data("a.txt") + "\",\"" + Data("c.txt") + "\""};
  other->StepCount = 1;
  Start(list);
  Launch("Copier");
  EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(Data("b.txt")); }));
  EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(Data("c.txt")); }));
}

}  // namespace
}  // namespace rv
