// The task manager's main window against a real launcher: the runvane
// program of the build runs in a home of its own, and the window talks to
// it over the real DDE sockets and the shared store, as the two programs do
// on a desktop. Skipped when the build has no launcher (RUNVANE_TEST_BUILD_DIR
// may point at a build that has one).

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QCoreApplication>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "common/preferences.h"
#include "common/task_list.h"
#include "platform/dde_client.h"
#include "platform/fake_message_box.h"
#include "platform/manual_timer.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/testing/test_application.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"
#include "settings/fake_file_dialogs.h"
#include "settings/keyboard_layout.h"
#include "settings/program_starter.h"
#include "settings/settings_form.h"

extern char** environ;

namespace rv {
namespace {

using namespace std::chrono_literals;

std::string LauncherProgram() {
  return testing::BuildDir() + "launcher/app/runvane";
}

// Runs `until` while Qt's events (the DDE server's among them) are
// delivered; false when it did not come true in time.
bool PumpUntil(const std::function<bool()>& until, std::chrono::milliseconds timeout = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!until()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// A launcher process in a home of its own; killed at the end whatever
// happened.
class LauncherProcess {
 public:
  LauncherProcess() : home_(testing::MakeTempDir("e")), env_("RUNVANE_HOME", home_.c_str()) {
    ::mkdir((home_ + "data").c_str(), 0700);
    store_ = std::move(*Registry::Open(home_ + "registry.db"));
  }
  ~LauncherProcess() {
    if (pid_ <= 0) return;
    (void)client_.Execute("Runvane", "System", "KILLRUNVANE", dde::Wait::No);
    for (int i = 0; i < 200; ++i) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      ::usleep(10'000);
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }

  Registry* Store() { return store_.get(); }
  std::string TaskFile() const { return home_ + "data/TASKS.RVD"; }
  std::string Log() const {
    std::ifstream in(home_ + "data/RUNVANE.LOG", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  bool Start() {
    std::string program = LauncherProgram();
    char* args[] = {program.data(), nullptr};
    if (::posix_spawn(&pid_, args[0], nullptr, nullptr, args, environ) != 0) return false;
    return PumpUntil([this] { return client_.IsServiceRunning("Runvane", "System"); });
  }

 private:
  std::string home_;
  testing::ScopedEnv env_;
  std::unique_ptr<Registry> store_;
  dde::SocketClient client_;
  pid_t pid_ = -1;
};

TEST(SettingsWithLauncher, RunShowsRunningThenBackAndPauseStopsProcessing) {
  if (!std::filesystem::exists(LauncherProgram())) {
    GTEST_SKIP() << "no launcher in this build (" << LauncherProgram()
                 << "); build the target runvane or set RUNVANE_TEST_BUILD_DIR";
  }
  testing::TestApplication();
  LauncherProcess launcher;
  {
    RVTaskList tasks(launcher.TaskFile());
    std::shared_ptr<RVTask> task = tasks.Add();
    task->TaskName = "Slow";
    task->Active = false;
    task->Steps = {"PAUSE: 1500 milliseconds"};
    task->StepCount = 1;
    ASSERT_TRUE(tasks.SaveToFile().ok());
    RVPreferences prefs(launcher.Store());
    prefs.TaskFile = launcher.TaskFile();
    prefs.WarnNoRunvane = false;
    prefs.WarnOnShutdown = false;
    prefs.LogThreshold = 0;
    ASSERT_TRUE(prefs.Save());
  }
  ASSERT_TRUE(launcher.Start()) << launcher.Log();

  dde::SocketClient dde;
  FakeMessageBox messages;
  FakeFileDialogs dialogs;
  FakeProgramStarter starter;
  UsKeyboardLayout layout;
  ManualTimer timer;
  QtDispatcher dispatcher;
  SettingsServices services;
  services.store = launcher.Store();
  services.dde = &dde;
  services.messages = &messages;
  services.dialogs = &dialogs;
  services.starter = &starter;
  services.layout = &layout;
  services.scan_timer = &timer;
  services.dispatcher = &dispatcher;
  services.program_directory = testing::BuildDir() + "launcher/app/";
  TfrmSettings form(std::move(services));
  ASSERT_TRUE(form.FormCreate());
  EXPECT_TRUE(form.LauncherRunning());
  EXPECT_FALSE(form.mnuStartLauncher->isEnabled());
  EXPECT_TRUE(messages.asked.empty());

  auto status = [&] {
    const int row = form.ViewModel().IndexOfCaption("Slow");
    return row < 0 ? std::string() : form.ViewModel().Rows()[row].sub_items[SubItem::Status];
  };
  ASSERT_EQ(status(), "Inactive");

  // Run: LAUNCH goes out; the launcher's TASKSTART shows the row running,
  // its UPDATE after the run shows it back.
  form.SelectRow(form.ViewModel().IndexOfCaption("Slow"));
  form.comLaunchClick();
  EXPECT_TRUE(PumpUntil([&] { return status() == "Running"; })) << launcher.Log();
  EXPECT_EQ(form.comLaunch->text(), "Stop");
  EXPECT_TRUE(PumpUntil([&] { return status() == "Inactive"; })) << launcher.Log();
  EXPECT_NE(launcher.Log().find("Task \"Slow\" Ended."), std::string::npos);
  EXPECT_EQ(form.comLaunch->text(), "Run");

  // Pause: the launcher stops processing and the window's check follows the
  // store at the next tick; Resume turns it back.
  ASSERT_TRUE(form.ProcessingChecked());
  form.comToggleClick();
  RVPreferences watcher(launcher.Store(), RVPreferences::LoadNow::No);
  EXPECT_TRUE(PumpUntil([&] { return !watcher.GetChangeFlag(ChangeFlag::Processing); }));
  EXPECT_TRUE(PumpUntil([&] {
    return form.StatusText(1).endsWith("): Runvane Launcher disabled.");
  })) << form.StatusText(1).toStdString();
  form.tmrScanTimer();
  EXPECT_FALSE(form.ProcessingChecked());
  EXPECT_EQ(form.comToggle->text(), "Resume");

  form.comToggleClick();
  EXPECT_TRUE(PumpUntil([&] { return watcher.GetChangeFlag(ChangeFlag::Processing); }));
  form.tmrScanTimer();
  EXPECT_TRUE(form.ProcessingChecked());
  EXPECT_EQ(form.comToggle->text(), "Pause");
  EXPECT_NE(launcher.Log().find("Runvane Launcher disabled."), std::string::npos);
  EXPECT_NE(launcher.Log().find("Runvane Launcher enabled."), std::string::npos);
}

}  // namespace
}  // namespace rv
