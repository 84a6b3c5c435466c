#pragma once

// TfrmSettings, the task manager's main window: the task list with its
// menus, tool bars and status bar, the task commands, the start-up, the
// synchronisation with the launcher and the launcher's commands to it.
// Widgets and their handlers live here; the rows, the sorting and the task
// commands are the model classes it calls.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "common/preferences.h"
#include "common/task_list.h"
#include "platform/dde_server.h"
#include "settings/launcher_link.h"
#include "settings/task_commands.h"
#include "settings/task_list_view_model.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QTreeView;

namespace rv {

class Dispatcher;
class FileDialogs;
class KeyboardLayout;
class MessageBox;
class ProgramStarter;
class Registry;
class TaskTableModel;
class TfrmGetTaskFile;
class TfrmPrefs;
class TfrmRecentMessages;
class Timer;
namespace dde {
class Client;
}

// Everything the window talks to outside itself; the program passes the
// real ones, tests their fakes.
struct SettingsServices {
  Registry* store = nullptr;
  dde::Client* dde = nullptr;
  MessageBox* messages = nullptr;
  FileDialogs* dialogs = nullptr;
  ProgramStarter* starter = nullptr;
  const KeyboardLayout* layout = nullptr;
  // The synchronisation timer; the window sets its interval and callback.
  Timer* scan_timer = nullptr;
  // For the DDE server "Settings"; none: no server is started.
  Dispatcher* dispatcher = nullptr;
  // Where the sibling programs are: the launcher and the script editor.
  std::string program_directory;
  // Help topics ("Welcome.html", ...).
  std::string help_directory;
  // The properties dialog and the add-task wizard, when the program has them.
  std::function<void(std::shared_ptr<RVTask> task)> show_properties;
  std::function<void(bool modal)> show_wizard;
};

class TfrmSettings final : public QMainWindow {
  Q_OBJECT

 public:
  explicit TfrmSettings(SettingsServices services, QWidget* parent = nullptr);
  ~TfrmSettings() override;

  // The start-up in its order. False when the program must end (no task
  // file); the window is then not shown.
  bool FormCreate();
  // Writes the window layout back to the preferences and saves them.
  void FormDestroy();

  // The launcher's commands ("TASKSTART: ", "MESSAGE: ", "UPDATE",
  // "SHUTDOWN").
  bool SystemExecuteMacro(const std::string& text);
  void tmrScanTimer();
  void ReloadTaskList();
  void FillTaskList(ClearRows clear, ForceFill force);

  // The commands, as the menus, buttons and keys call them.
  void comLaunchClick();
  void comToggleClick();
  void comPropertiesClick();
  void DeleteSelectedTask();
  void CopySelectedTask();
  void ToggleSelectedTask(bool from_popup);
  bool RenameRow(int row, const std::string& name);
  void RunSelectedTask();
  void EndSelectedTask();
  void ViewLog();
  void StartLauncher();
  void NewScript();
  void OpenScript();
  void ToggleRecentMessages();
  void ShowPreferences();
  void OpenHelpTopic(const std::string& topic);
  // The enabling rules of the File menu, the popup and the buttons.
  void UpdateCommandStates();
  void lstProcessesClick();

  // For the tests and the start-up measurement.
  TaskListViewModel& ViewModel() { return *view_; }
  RVTaskList& Tasks() { return tasks_; }
  RVPreferences& Preferences() { return *prefs_; }
  TfrmRecentMessages& RecentMessagesWindow() { return *recent_; }
  TfrmGetTaskFile& TaskFileChooser() { return *chooser_; }
  TfrmPrefs& PreferencesForm() { return *prefs_form_; }
  QTreeView* TaskListWidget() const { return lstProcesses; }
  QString StatusText(int panel) const;
  // The selected row, or -1.
  int SelectedRow() const;
  void SelectRow(int row);
  bool ProcessingChecked() const;
  bool LauncherRunning();

  // Menu items and buttons, named as the window calls them.
  QAction *mnuNewTask, *mnuNewScript, *mnuOpenScript, *mnuDelete, *mnuProperties, *mnuRunTask,
      *mnuEndTask, *mnuCopyTask, *mnuEnableDisable, *mnuProcessing, *mnuStartLauncher, *mnuExit;
  QAction *mnuTaskLog, *mnuRefresh, *mnuAutoRefresh, *mnuToolbar, *mnuStatusBar, *mnuRecentMessages,
      *mnuPreferences;
  QAction *mnuHelpContents, *mnuScriptingHelp, *mnuAbout;
  QAction *popNew, *popDelete, *popCopy, *popEnableDisable, *popProperties;
  QToolButton *comNew, *comLaunch, *comProperties, *comDelete, *comToggle, *comViewLog;
  QMenu* popTaskList = nullptr;
  QMenu* mnuFile = nullptr;

 signals:
  // The program should end ("SHUTDOWN", Exit, closing the window).
  void shutdownRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBars();
  void BuildList();
  void ApplyBounds();
  bool ChooseTaskFile();
  void SetProcessingCheck(bool checked);
  void ShowCommandResult(const CommandResult& result);
  void SetStatusMessage(const std::string& text);
  void StartSibling(const std::string& name, const std::vector<std::string>& args);
  std::shared_ptr<RVTask> SelectedTask() const;
  std::string SelectedName() const;
  std::string SelectedStatus() const;
  void RestoreSelection(const std::string& caption);
  void SetCoolBarVisible(bool visible);

  SettingsServices services_;
  std::unique_ptr<RVPreferences> prefs_;
  RVTaskList tasks_;
  std::unique_ptr<TaskListViewModel> view_;
  std::unique_ptr<TaskCommands> commands_;
  std::unique_ptr<LauncherLink> link_;
  std::unique_ptr<dde::Server> server_;
  bool started_ = false;
  bool layout_saved_ = false;

  QTreeView* lstProcesses = nullptr;
  TaskTableModel* table_ = nullptr;
  QToolBar* task_tools_ = nullptr;
  QToolBar* processing_tools_ = nullptr;
  bool cool_bar_visible_ = true;
  QLabel* status_panels_[2] = {nullptr, nullptr};
  std::unique_ptr<TfrmRecentMessages> recent_;
  std::unique_ptr<TfrmGetTaskFile> chooser_;
  std::unique_ptr<TfrmPrefs> prefs_form_;
};

}  // namespace rv
