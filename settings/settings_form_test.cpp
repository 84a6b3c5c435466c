#include "settings/settings_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "common/store_keys.h"
#include "platform/fake_dde_client.h"
#include "platform/fake_message_box.h"
#include "platform/manual_timer.h"
#include "platform/qt/testing/test_application.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"
#include "settings/fake_file_dialogs.h"
#include "settings/get_task_file_form.h"
#include "settings/keyboard_layout.h"
#include "settings/preferences_form.h"
#include "settings/program_starter.h"
#include "settings/recent_messages_form.h"

namespace rv {
namespace {

using Strings = std::vector<std::string>;

// The main window on a real task file and store, with fakes for the
// launcher, the message boxes, the file dialogs and the programs started.
struct SettingsForm : ::testing::Test {
  QApplication& app = testing::TestApplication();
  std::string dir = testing::MakeTempDir();
  std::unique_ptr<Registry> store = *Registry::Open(dir + "registry.db");
  std::string file = dir + "tasks.rvd";
  dde::FakeClient dde;
  FakeMessageBox messages;
  FakeFileDialogs dialogs;
  FakeProgramStarter starter;
  UsKeyboardLayout layout;
  ManualTimer timer;
  std::unique_ptr<TfrmSettings> form;

  void SetUp() override {
    RVTaskList writer(file, store.get());
    for (const char* name : {"Backup", "Mail", "alpha"}) {
      auto task = writer.Add();
      task->TaskName = name;
      task->Active = true;
      task->TaskTriggers = TriggerBits::Hotkey;
      task->Hotkey = "%^a";
    }
    ASSERT_TRUE(writer.SaveToFile());
    RVPreferences prefs(store.get());
    prefs.TaskFile = file;
    prefs.WarnNoRunvane = false;
    ASSERT_TRUE(prefs.Save());
  }

  SettingsServices Services() {
    SettingsServices services;
    services.store = store.get();
    services.dde = &dde;
    services.messages = &messages;
    services.dialogs = &dialogs;
    services.starter = &starter;
    services.layout = &layout;
    services.scan_timer = &timer;
    services.program_directory = dir;
    services.help_directory = dir + "help/";
    return services;
  }
  void Start() {
    form = std::make_unique<TfrmSettings>(Services());
    ASSERT_TRUE(form->FormCreate());
  }
  Strings Captions() const {
    Strings captions;
    for (const TaskRow& row : form->ViewModel().Rows())
      captions.push_back(row.caption);
    return captions;
  }
  std::string Status(const std::string& caption) const {
    auto& view = form->ViewModel();
    return view.Rows().at(view.IndexOfCaption(caption)).sub_items[SubItem::Status];
  }
  void Select(const std::string& caption) {
    form->SelectRow(form->ViewModel().IndexOfCaption(caption));
  }
  Strings NamesInFile() {
    RVTaskList reader(file, store.get());
    EXPECT_TRUE(reader.LoadFromFile());
    Strings names;
    for (int32_t i = 0; i < reader.Count(); ++i)
      names.push_back(reader.Item(i)->TaskName);
    return names;
  }
};

TEST_F(SettingsForm, StartsWithTheTasksByNameDescending) {
  Start();
  EXPECT_EQ(form->windowTitle(), "Runvane4 Settings");
  EXPECT_EQ(Captions(), (Strings{"Mail", "Backup", "alpha"}));
  EXPECT_EQ(form->ViewModel().Rows()[0].sub_items[SubItem::Hotkey], "Ctrl+Alt+A");
  EXPECT_EQ(form->StatusText(0), "Scan: Every 1 seconds");
  EXPECT_EQ(form->StatusText(1), "Welcome to Runvane 4.05");
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), std::chrono::milliseconds(2500));
  EXPECT_FALSE(form->comLaunch->isEnabled());
  EXPECT_FALSE(form->comDelete->isEnabled());
  EXPECT_TRUE(form->mnuStartLauncher->isEnabled());
  EXPECT_TRUE(messages.asked.empty());

  Select("Backup");
  EXPECT_TRUE(form->comLaunch->isEnabled());
  EXPECT_EQ(form->comLaunch->text(), "Run");
  EXPECT_TRUE(form->mnuRunTask->isEnabled());
  EXPECT_FALSE(form->mnuEndTask->isEnabled());
}

TEST_F(SettingsForm, PreferencesEditTheWindowsOwnObjectAndOkShowsTheScanTime) {
  Start();
  TfrmPrefs& dialog = form->PreferencesForm();
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "General Preferences");
    EXPECT_EQ(dialog.edtTaskfile->text().toStdString(), file);
    dialog.edtScanTime->setText("42");
    dialog.comOK->click();
  });
  form->mnuPreferences->trigger();
  EXPECT_EQ(form->StatusText(0), "Scan: Every 42 seconds");
  EXPECT_EQ(form->Preferences().ScanTime, 42);
  EXPECT_TRUE(form->Preferences().GetChangeFlag(ChangeFlag::PrefsChanged));
  EXPECT_EQ(RVPreferences(store.get()).ScanTime, 42);
}

TEST_F(SettingsForm, TaskCommandsChangeTheFileAndTheRows) {
  Start();
  Select("Backup");
  form->CopySelectedTask();
  EXPECT_EQ(NamesInFile(), (Strings{"Backup", "Mail", "alpha", "Backup (1)"}));
  EXPECT_EQ(Status("Backup (1)"), "Inactive");
  EXPECT_TRUE(timer.Enabled());

  Select("Mail");
  form->ToggleSelectedTask(true);
  EXPECT_EQ(Status("Mail"), "Inactive");
  EXPECT_FALSE(form->Tasks().FindByName("Mail")->Active);

  Select("Mail");
  messages.Script({MessageButton::No});
  form->DeleteSelectedTask();
  ASSERT_EQ(messages.asked.size(), 1u);
  EXPECT_EQ(messages.asked[0].text, "Are you sure you wish to delete this task?");
  EXPECT_EQ(messages.asked[0].caption, "Delete Task?");
  EXPECT_EQ(NamesInFile().size(), 4u);
  Select("Mail");
  messages.Script({MessageButton::Yes});
  form->DeleteSelectedTask();
  EXPECT_EQ(NamesInFile(), (Strings{"Backup", "alpha", "Backup (1)"}));
  EXPECT_EQ(form->ViewModel().IndexOfCaption("Mail"), -1);

  // In-place editing renames the task in the file.
  QAbstractItemModel* model = form->TaskListWidget()->model();
  const int row = form->ViewModel().IndexOfCaption("alpha");
  ASSERT_TRUE(model->setData(model->index(row, 0), "omega", Qt::EditRole));
  EXPECT_EQ(NamesInFile(), (Strings{"Backup", "omega", "Backup (1)"}));
  QCoreApplication::processEvents();
  EXPECT_EQ(Captions(), (Strings{"omega", "Backup (1)", "Backup"}));
}

TEST_F(SettingsForm, TaskDeletedByAnotherProgramLeavesTheFileAlone) {
  Start();
  {
    RVTaskList other(file, store.get());
    ASSERT_EQ(other.LockFile(1), 1);
    other.Remove(other.FindByName("Mail").get());
    ASSERT_TRUE(other.SaveToFile());
    other.UnlockFile();
  }
  Select("Mail");
  form->ToggleSelectedTask(false);
  EXPECT_EQ(form->StatusText(1), "The task is no longer in the task file.");
  EXPECT_EQ(Captions(), (Strings{"Backup", "alpha"}));  // rebuilt
  EXPECT_EQ(NamesInFile(), (Strings{"Backup", "alpha"}));
  EXPECT_FALSE(RVPreferences(store.get()).GetChangeFlag(ChangeFlag::SettingsChange));
}

TEST_F(SettingsForm, BusyTaskFileIsReportedNotIgnored) {
  Start();
  ASSERT_TRUE(store->WriteInteger(Hive::CurrentUser, store_keys::kIpc, store_keys::kFileLocked, 1));
  Select("Mail");
  form->CopySelectedTask();
  ASSERT_EQ(messages.asked.size(), 1u);
  EXPECT_EQ(messages.asked[0].caption, "Task File Busy");
  EXPECT_EQ(NamesInFile(), (Strings{"Backup", "Mail", "alpha"}));
}

TEST_F(SettingsForm, LauncherCommandsAndMessages) {
  Start();
  ASSERT_TRUE(form->SystemExecuteMacro("MESSAGE: Done"));
  EXPECT_EQ(form->StatusText(1), "Done");
  EXPECT_EQ(form->RecentMessagesWindow().Messages().Lines().back(), "Done");
  form->SystemExecuteMacro("TASKEND: Mail");
  EXPECT_EQ(form->StatusText(1), "Done");

  // With Auto Refresh off the rows stay, though UPDATE re-reads the file.
  form->mnuAutoRefresh->trigger();
  ASSERT_FALSE(form->ViewModel().AutoRefresh());
  RVPreferences(store.get()).MarkRunning("Mail");
  form->SystemExecuteMacro("TASKSTART: Mail UPDATE");
  EXPECT_EQ(Status("Mail"), "Active");
  form->mnuRefresh->trigger();
  EXPECT_EQ(Status("Mail"), "Running");

  Select("Mail");
  EXPECT_EQ(form->comLaunch->text(), "Stop");
  EXPECT_TRUE(form->mnuEndTask->isEnabled());
  EXPECT_FALSE(form->mnuRunTask->isEnabled());

  bool shut_down = false;
  QObject::connect(form.get(), &TfrmSettings::shutdownRequested, [&] { shut_down = true; });
  form->SystemExecuteMacro("SHUTDOWN");
  EXPECT_TRUE(shut_down);
}

TEST_F(SettingsForm, RunAndStopGoToTheLauncher) {
  Start();
  Select("Backup");
  form->comLaunchClick();
  EXPECT_EQ(dde.started_programs(), Strings{dir + "runvane"});
  ASSERT_EQ(dde.commands().size(), 1u);
  EXPECT_EQ(dde.commands()[0].text, "LAUNCH: Backup");
  EXPECT_EQ(dde.commands()[0].service, "Runvane");

  dde.SetRunning("Runvane", "System", false);
  form->EndSelectedTask();  // no launcher: nothing sent
  EXPECT_EQ(dde.commands().size(), 1u);
  dde.SetRunning("Runvane", "System", true);
  form->EndSelectedTask();
  ASSERT_EQ(dde.commands().size(), 2u);
  EXPECT_EQ(dde.commands()[1].text, "KILL: Backup");
}

TEST_F(SettingsForm, PauseFollowsTheProcessingFlag) {
  Start();
  ASSERT_TRUE(form->ProcessingChecked());
  form->comToggleClick();  // no launcher: only the check flips
  EXPECT_FALSE(form->ProcessingChecked());
  EXPECT_TRUE(dde.commands().empty());
  ASSERT_TRUE(timer.Fire());
  EXPECT_TRUE(form->ProcessingChecked());
  EXPECT_EQ(form->comToggle->text(), "Pause");

  dde.SetRunning("Runvane", "System", true);
  form->comToggleClick();
  ASSERT_EQ(dde.commands().size(), 1u);
  EXPECT_EQ(dde.commands()[0].text, "STOPPROCESSING");
  RVPreferences(store.get()).SetChangeFlag(ChangeFlag::Processing, false);
  timer.Fire();
  EXPECT_FALSE(form->ProcessingChecked());
  EXPECT_EQ(form->comToggle->text(), "Resume");
  EXPECT_EQ(form->comToggle->toolTip(), "Resume All Runvaned Processing");
}

TEST_F(SettingsForm, LauncherChangeReloadsTheList) {
  Start();
  {
    RVTaskList other(file, store.get());
    ASSERT_EQ(other.LockFile(1), 1);
    other.Add()->TaskName = "Fresh";
    ASSERT_TRUE(other.SaveToFile());
    other.UnlockFile();
  }
  RVPreferences launcher(store.get());
  launcher.SetChangeFlag(ChangeFlag::RunvaneChange, true);
  timer.Fire();
  EXPECT_NE(form->ViewModel().IndexOfCaption("Fresh"), -1);
  EXPECT_FALSE(launcher.GetChangeFlag(ChangeFlag::RunvaneChange));
  EXPECT_TRUE(timer.Enabled());
}

TEST_F(SettingsForm, LayoutSurvivesARestart) {
  Start();
  form->mnuStatusBar->trigger();
  form->mnuToolbar->trigger();
  form->TaskListWidget()->setColumnWidth(4, 123);
  form->FormDestroy();
  form.reset();

  Start();
  EXPECT_FALSE(form->mnuStatusBar->isChecked());
  EXPECT_FALSE(form->mnuToolbar->isChecked());
  EXPECT_EQ(form->TaskListWidget()->columnWidth(4), 123);
  EXPECT_FALSE(form->Preferences().FirstRun);
}

TEST_F(SettingsForm, OutsideProgramsAndHelpTopics) {
  Start();
  form->ViewLog();
  ASSERT_EQ(starter.calls.size(), 1u);
  EXPECT_EQ(starter.calls[0].program, "xdg-open");
  EXPECT_EQ(starter.calls[0].args, Strings{form->Preferences().LogFile});

  form->OpenHelpTopic("Welcome");  // not installed here
  EXPECT_EQ(starter.calls.size(), 1u);
  EXPECT_NE(form->StatusText(1).toStdString().find("Welcome.html is not installed"),
            std::string::npos);
  testing::WriteFile(dir + "rvide", "#!/bin/sh\n");
  dialogs.Script({dir + "my script.bas"});
  form->OpenScript();
  ASSERT_EQ(starter.calls.size(), 2u);
  EXPECT_EQ(starter.calls[1], (FakeProgramStarter::Call{dir + "rvide", {dir + "my script.bas"}}));
}

TEST_F(SettingsForm, WithoutATaskFileTheChooserDecides) {
  {
    RVPreferences prefs(store.get());
    prefs.TaskFile = dir + "missing.rvd";
    ASSERT_TRUE(prefs.Save());
  }
  form = std::make_unique<TfrmSettings>(Services());
  QTimer::singleShot(0, [&] { form->TaskFileChooser().comCancelClick(); });
  EXPECT_FALSE(form->FormCreate());
  ASSERT_EQ(messages.asked.size(), 1u);
  EXPECT_EQ(messages.asked[0].caption, "No task file.");
  EXPECT_EQ(messages.asked[0].text,
            "Runvane cannot start without an active task file.  Runvane will close.");

  // Creating one in the chooser starts normally and remembers it.
  form = std::make_unique<TfrmSettings>(Services());
  dialogs.Script({dir + "new.rvd"});
  QTimer::singleShot(0, [&] { form->TaskFileChooser().comNewClick(); });
  EXPECT_TRUE(form->FormCreate());
  EXPECT_EQ(RVPreferences(store.get()).TaskFile, dir + "new.rvd");
  EXPECT_EQ(form->ViewModel().RowCount(), 0);
}

}  // namespace
}  // namespace rv
