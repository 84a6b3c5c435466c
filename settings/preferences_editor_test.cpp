#include "settings/preferences_editor.h"

#include <gtest/gtest.h>

#include "common/preferences.h"
#include "common/store_keys.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"
#include "settings/fake_file_dialogs.h"

namespace rv {
namespace {

// The editor over preferences kept in a store of its own, as the main
// window's object would be.
struct PreferencesEditing : ::testing::Test {
  std::string dir = testing::MakeTempDir();
  std::unique_ptr<Registry> store = *Registry::Open(dir + "registry.db");
  RVPreferences prefs{store.get()};
  PreferencesEditor editor;

  RVPreferences Reloaded() { return RVPreferences(store.get()); }
  static std::vector<std::string> Captions(const PreferencesEditor::Accepted& accepted) {
    std::vector<std::string> captions;
    for (const MessageRequest& notice : accepted.notices)
      captions.push_back(notice.caption);
    return captions;
  }
};

TEST_F(PreferencesEditing, ScanTextMovesTheBarOnlyForPositiveWholeNumbers) {
  struct Row {
    const char* text;
    ScanTextOutcome outcome;
    int bar;
  };
  // The bar starts each row at 30.
  const Row rows[] = {
      {"45", ScanTextOutcome::Moved, 45},       {"500", ScanTextOutcome::Moved, 120},
      {"1", ScanTextOutcome::Moved, 1},         {"", ScanTextOutcome::Ignored, 30},
      {"0", ScanTextOutcome::NotPositive, 30},  {"-3", ScanTextOutcome::NotPositive, 30},
      {"12x", ScanTextOutcome::NotANumber, 30}, {"99999999999", ScanTextOutcome::NotANumber, 30},
      {"+-4", ScanTextOutcome::NotANumber, 30},
  };
  for (const Row& row : rows) {
    editor.MoveBar(30);
    EXPECT_EQ(editor.SetScanText(row.text), row.outcome) << row.text;
    EXPECT_EQ(editor.bar_position, row.bar) << row.text;
    // The edit keeps what was typed.
    EXPECT_EQ(editor.scan_text, row.text);
  }
  editor.MoveBar(77);
  EXPECT_EQ(editor.scan_text, "77");
}

TEST_F(PreferencesEditing, OnlyDigitsAndControlKeysReachTheScanEdit) {
  for (char32_t c : {U'0', U'9', U'\b', U'\x16'})
    EXPECT_TRUE(PreferencesEditor::AcceptsScanCharacter(c)) << int(c);
  for (char32_t c : {U'a', U'-', U' ', U'.', U'\u0663'})
    EXPECT_FALSE(PreferencesEditor::AcceptsScanCharacter(c)) << int(c);
}

TEST_F(PreferencesEditing, ActivationFillsTheFieldsAndPicksTheLevel) {
  prefs.ScanTime = 300;
  prefs.TaskFile = "/data/work.rvd";
  prefs.LogEvents = false;
  prefs.LogFile = "/var/tmp/rv.log";
  prefs.WarnNoRunvane = false;
  prefs.WarnOnShutdown = true;
  prefs.LogThreshold = 0;
  EXPECT_EQ(editor.Activate(prefs), ScanTextOutcome::Moved);
  EXPECT_EQ(editor.scan_text, "300");
  EXPECT_EQ(editor.bar_position, 120);
  EXPECT_EQ(editor.task_file, "/data/work.rvd");
  EXPECT_FALSE(editor.log_events);
  EXPECT_FALSE(editor.LogControlsEnabled());
  EXPECT_EQ(editor.log_file, "/var/tmp/rv.log");
  EXPECT_FALSE(editor.warn_no_runvane);
  EXPECT_TRUE(editor.warn_on_shutdown);
  ASSERT_TRUE(editor.level);
  EXPECT_STREQ(kLogLevels[*editor.level].caption, "Debug");

  // A threshold the dialog does not offer keeps the previous selection:
  // "Low" on a first showing, "Debug" now.
  prefs.LogThreshold = 55;
  PreferencesEditor fresh;
  fresh.Activate(prefs);
  EXPECT_STREQ(kLogLevels[*fresh.level].caption, "Low");
  editor.Activate(prefs);
  EXPECT_STREQ(kLogLevels[*editor.level].caption, "Debug");
}

TEST_F(PreferencesEditing, AStoredScanTimeOfZeroIsRefusedAndOkSavesOne) {
  prefs.ScanTime = 0;
  EXPECT_EQ(editor.Activate(prefs), ScanTextOutcome::NotPositive);
  EXPECT_EQ(editor.bar_position, 1);
  editor.Accept(prefs);
  EXPECT_EQ(Reloaded().ScanTime, 1);
}

TEST_F(PreferencesEditing, OkWritesEveryFieldSavesAndTellsTheLauncher) {
  prefs.ShowPrompt = prefs.AdvanceManual = prefs.PromptForReminders = true;
  prefs.ShowTips = prefs.PlaySound = true;
  prefs.SoundToPlay = "chime.wav";
  prefs.Save();
  ASSERT_FALSE(prefs.GetChangeFlag(ChangeFlag::PrefsChanged));
  editor.Activate(prefs);
  // Nothing changed: no message, and still everything is written.
  PreferencesEditor::Accepted accepted = editor.Accept(prefs);
  EXPECT_TRUE(accepted.notices.empty());
  EXPECT_EQ(accepted.scan_status, "Scan: Every 1 seconds");
  RVPreferences saved = Reloaded();
  EXPECT_FALSE(saved.ShowPrompt || saved.AdvanceManual || saved.PromptForReminders ||
               saved.ShowTips || saved.PlaySound);
  EXPECT_EQ(saved.SoundToPlay, "0");
  EXPECT_TRUE(saved.GetChangeFlag(ChangeFlag::PrefsChanged));

  editor.Activate(prefs);
  editor.warn_no_runvane = false;
  editor.warn_on_shutdown = false;
  editor.task_file = dir + "other.rvd";
  editor.level = 4;
  editor.SetScanText("500");
  editor.SetScanText("0");  // refused: the bar stays at 120
  accepted = editor.Accept(prefs);
  EXPECT_EQ(accepted.scan_status, "Scan: Every 120 seconds");
  saved = Reloaded();
  EXPECT_EQ(saved.ScanTime, 120);
  EXPECT_EQ(prefs.ScanTime, 120);
  EXPECT_FALSE(saved.WarnNoRunvane);
  EXPECT_FALSE(saved.WarnOnShutdown);
  EXPECT_EQ(saved.TaskFile, dir + "other.rvd");
  EXPECT_EQ(saved.LogThreshold, 90);

  // An emptied task-file field keeps the stored file.
  editor.Activate(prefs);
  editor.task_file.clear();
  editor.Accept(prefs);
  EXPECT_EQ(Reloaded().TaskFile, dir + "other.rvd");
}

TEST_F(PreferencesEditing, AnEmptyLogFileWithLoggingOnFallsBackToTheDefaultLog) {
  const std::string default_log = RVPreferences::ProgramDirectory() + "RUNVANE.LOG";
  prefs.LogEvents = true;
  prefs.LogFile = "/var/tmp/old.log";
  editor.Activate(prefs);
  editor.log_file.clear();
  EXPECT_EQ(Captions(editor.Accept(prefs)),
            (std::vector<std::string>{"Using default log file.", "Log change"}));
  EXPECT_EQ(Reloaded().LogFile, default_log);

  // Already on the default: only the first message.
  editor.Activate(prefs);
  editor.log_file.clear();
  const PreferencesEditor::Accepted again = editor.Accept(prefs);
  EXPECT_EQ(Captions(again), (std::vector<std::string>{"Using default log file."}));
  EXPECT_EQ(again.notices[0].text,
            "No log file has been entered.  Runvane will default to the previously used log "
            "file.");
  EXPECT_EQ(again.notices[0].icon, MessageIcon::Warning);
}

TEST_F(PreferencesEditing, LoggingOffWithAnEmptyLogFileSavesItEmpty) {
  editor.Activate(prefs);
  editor.SetLogEvents(false);
  editor.log_file.clear();
  const PreferencesEditor::Accepted accepted = editor.Accept(prefs);
  ASSERT_EQ(accepted.notices.size(), 1u);
  EXPECT_EQ(accepted.notices[0].text,
            "Logging changes will take effect next time Runvane is started.");
  EXPECT_EQ(accepted.notices[0].icon, MessageIcon::Information);
  EXPECT_EQ(*store->ReadString(Hive::CurrentUser, store_keys::kRunvane, "LogFile"), "");
  // The next load turns it into the default.
  EXPECT_EQ(Reloaded().LogFile, RVPreferences::ProgramDirectory() + "RUNVANE.LOG");
}

TEST_F(PreferencesEditing, BothBrowseButtonsShareTheNameLastChosen) {
  FakeFileDialogs dialogs;
  editor.Activate(prefs);
  const std::string task_file = editor.task_file;
  // Cancelled with nothing chosen yet: the fields stay.
  editor.BrowseTaskFile(dialogs);
  editor.BrowseLogFile(dialogs);
  EXPECT_EQ(editor.task_file, task_file);
  EXPECT_EQ(editor.log_file, prefs.LogFile);

  dialogs.Script({dir + "events.log", std::nullopt});
  editor.BrowseLogFile(dialogs);
  EXPECT_EQ(editor.log_file, dir + "events.log");
  // Cancelling the task file's Browse still takes the name last chosen.
  editor.BrowseTaskFile(dialogs);
  EXPECT_EQ(editor.task_file, dir + "events.log");

  ASSERT_EQ(dialogs.asked.size(), 4u);
  const FileDialogRequest& log_request = dialogs.asked[2];
  EXPECT_EQ(log_request.filter, "Log File (*.log);;All files (*)");
  EXPECT_EQ(log_request.default_suffix, "log");
  const FileDialogRequest& task_request = dialogs.asked[3];
  EXPECT_EQ(task_request.filter, "Runvane Taskfile (*.rvd);;All files (*)");
  EXPECT_EQ(task_request.default_suffix, "rvd");
  EXPECT_EQ(task_request.initial_file, dir + "events.log");
  for (const FileDialogRequest& request : dialogs.asked) {
    EXPECT_FALSE(request.must_exist);
    EXPECT_TRUE(request.confirm_create);
  }
}

}  // namespace
}  // namespace rv
