#include "launcher/app/main_form.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include "platform/fake_dde_client.h"
#include "platform/fake_journal_control.h"
#include "platform/fake_message_box.h"
#include "platform/manual_timer.h"
#include "platform/paths.h"
#include "platform/qt/qt_dispatcher.h"
#include "platform/qt/testing/test_application.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

class FakeTrigger final : public Trigger {
 public:
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool on) override { enabled = on; }
  void SetTaskList(RVTaskList* list) override { this->list = list; }
  bool enabled = false;
  RVTaskList* list = nullptr;
};

// The main form with every service faked but the event loop's dispatcher.
class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestApplication();
    store_ = std::move(*Registry::OpenDefault());
    // A fresh store for each test.
    (void)store_->DeleteKey(Hive::CurrentUser, "Software");
    ::unlink((paths::DataDirectory() + "TASKS.RVD").c_str());
    RVPreferences preferences(store_.get());
    preferences.LogThreshold = 0;
    preferences.Save();
  }

  void WriteTasks(const std::vector<std::string>& names) {
    RVTaskList list(paths::DataDirectory() + "TASKS.RVD");
    for (const std::string& name : names) {
      auto task = list.Add();
      task->TaskName = name;
      task->Steps = {"BEGINLOOP: "};
      task->StepCount = 1;
    }
    ASSERT_TRUE(list.SaveToFile().ok());
  }

  std::unique_ptr<TfrmMain> MakeForm() {
    auto form = std::make_unique<TfrmMain>(LauncherServices{
        *store_, dispatcher_, client_, boxes_, timer_, journals_, SystemClock::Instance(),
        [this](const std::string& program) -> Result<void> {
          started_.push_back(program);
          return {};
        },
        [this](int status) { quit_.push_back(status); }, false});
    form->AddTrigger(&trigger_);
    return form;
  }

  std::vector<std::string> SettingsCommands() {
    std::vector<std::string> texts;
    for (const dde::Command& command : client_.commands()) {
      if (command.service == "Settings") texts.push_back(command.text);
    }
    return texts;
  }

  bool SpinUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
      if (clock.elapsed() > 5000) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
  }

  std::unique_ptr<Registry> store_;
  QtDispatcher dispatcher_;
  dde::FakeClient client_;
  FakeMessageBox boxes_;
  ManualTimer timer_;
  FakeJournalControlFactory journals_;
  FakeTrigger trigger_;
  std::vector<std::string> started_;
  std::vector<int> quit_;
};

TEST_F(MainFormTest, NoTaskFileAsksAndAYesStartsTheTaskManager) {
  boxes_.Script({MessageButton::Yes});
  auto form = MakeForm();
  form->FormCreate();
  EXPECT_TRUE(form->Terminated());
  ASSERT_EQ(boxes_.asked.size(), 1u);
  EXPECT_EQ(boxes_.asked[0].caption, "Invalid Task File");
  EXPECT_EQ(boxes_.asked[0].icon, MessageIcon::Question);
  EXPECT_EQ(boxes_.asked[0].buttons,
            (std::vector<MessageButton>{MessageButton::Yes, MessageButton::No}));
  EXPECT_EQ(started_, (std::vector<std::string>{paths::ExecutableDirectory() + "settings"}));
  EXPECT_FALSE(timer_.Enabled());
}

TEST_F(MainFormTest, StartUpSwitchesTheTriggersOnAndTellsTheTaskManager) {
  WriteTasks({"A"});
  client_.SetRunning("Settings", "System", true);
  auto form = MakeForm();
  form->FormCreate();
  ASSERT_FALSE(form->Terminated());
  EXPECT_TRUE(trigger_.enabled);
  EXPECT_EQ(trigger_.list, &form->TaskList());
  EXPECT_TRUE(timer_.Enabled());
  EXPECT_EQ(timer_.Interval(), std::chrono::milliseconds(1000));
  ASSERT_EQ(SettingsCommands().size(), 1u);
  EXPECT_EQ(SettingsCommands()[0].rfind("MESSAGE: (", 0), 0u);
  EXPECT_NE(SettingsCommands()[0].find("): Runvane Launcher started."), std::string::npos);

  form->SetProcessing(false);
  EXPECT_FALSE(trigger_.enabled);
  EXPECT_FALSE(form->Preferences().GetChangeFlag(ChangeFlag::Processing));
  EXPECT_NE(SettingsCommands().back().find("): Runvane Launcher disabled."), std::string::npos);
  // A reload keeps a switched-off trigger off.
  form->ReloadTasks();
  EXPECT_FALSE(trigger_.enabled);
  form->SetProcessing(true);
  form->ReloadTasks();
  EXPECT_TRUE(trigger_.enabled);
}

TEST_F(MainFormTest, AFinishedRunIsFreedAtTheNextTickAndTheTaskManagerHearsUpdate) {
  WriteTasks({"A"});
  client_.SetRunning("Settings", "System", true);
  auto form = MakeForm();
  form->FormCreate();
  form->LaunchTask("A");
  ASSERT_EQ(form->Threads().Count(), 1);
  ASSERT_TRUE(SpinUntil([&] { return form->Threads().ThreadAt(0)->Finished(); }));
  EXPECT_TRUE(timer_.Fire());
  EXPECT_EQ(form->Threads().Count(), 0);
  EXPECT_EQ(SettingsCommands().back(), "UPDATE");
  EXPECT_TRUE(timer_.Enabled());
  // Nothing freed, nothing sent.
  const size_t sent = SettingsCommands().size();
  EXPECT_TRUE(timer_.Fire());
  EXPECT_EQ(SettingsCommands().size(), sent);
}

TEST_F(MainFormTest, KillPassesOverARunThatIsAlreadyOver) {
  WriteTasks({"A"});
  auto form = MakeForm();
  form->FormCreate();
  form->LaunchTask("A");
  ASSERT_TRUE(SpinUntil([&] { return form->Threads().ThreadAt(0)->Finished(); }));
  form->PlaySteps({"BEGINLOOP: ", "ENDLOOP: 100000000"});
  form->KillTask("task interpreter");
  ASSERT_EQ(form->Threads().Count(), 2);
  EXPECT_TRUE(form->Threads().ThreadAt(1)->TerminateRequested());
  EXPECT_EQ(form->Threads().NameAt(1), "Task Interpreter");
}

TEST_F(MainFormTest, ExitAsksFirstAndOnlyYesEndsTheLauncher) {
  WriteTasks({"A"});
  {
    RVPreferences preferences(store_.get());
    preferences.WarnOnShutdown = true;
    preferences.Save();
  }
  client_.SetRunning("Settings", "System", true);
  auto form = MakeForm();
  form->FormCreate();
  boxes_.Script({MessageButton::No, MessageButton::Yes});
  form->mnuExitClick();
  ASSERT_EQ(boxes_.asked.size(), 1u);
  const MessageRequest& asked = boxes_.asked[0];
  EXPECT_EQ(asked.text,
            "If you close Runvane your tasks will not be performed! Are you sure you want to "
            "quit?");
  EXPECT_EQ(asked.caption, "Quit Runvane");
  EXPECT_EQ(asked.default_button, MessageButton::No);
  EXPECT_TRUE(asked.topmost);
  EXPECT_TRUE(quit_.empty());
  form->mnuExitClick();
  EXPECT_EQ(quit_, (std::vector<int>{0}));
  EXPECT_EQ(SettingsCommands().back(), "SHUTDOWN");
}

}  // namespace
}  // namespace rv
