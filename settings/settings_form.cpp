#include "settings/settings_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <chrono>
#include <filesystem>

#include "platform/message_box.h"
#include "platform/timer.h"
#include "settings/file_dialogs.h"
#include "settings/get_task_file_form.h"
#include "settings/icons.h"
#include "settings/preferences_form.h"
#include "settings/program_starter.h"
#include "settings/recent_messages_form.h"
#include "settings/settings_command.h"
#include "settings/task_file_choice.h"
#include "settings/task_table_model.h"

namespace rv {
namespace {

constexpr std::chrono::milliseconds kScanInterval{2500};
constexpr const char* kWelcomeMessage = "Welcome to Runvane 4.05";

MessageRequest YesNo(const char* text, const char* caption, MessageIcon icon) {
  return MessageRequest{text, caption, icon, {MessageButton::Yes, MessageButton::No}, {}, false};
}

}  // namespace

TfrmSettings::TfrmSettings(SettingsServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      prefs_(std::make_unique<RVPreferences>(services_.store, RVPreferences::LoadNow::No)),
      tasks_("", services_.store) {
  setObjectName("TfrmSettings");
  setWindowTitle("Runvane4 Settings");
  setWindowIcon(icons::ToolIcon(icons::Tool::Application));

  view_ = std::make_unique<TaskListViewModel>(tasks_, *prefs_, *services_.layout);
  commands_ = std::make_unique<TaskCommands>(tasks_, *prefs_);
  link_ = std::make_unique<LauncherLink>(*services_.dde, services_.program_directory + "runvane");

  BuildList();
  BuildMenus();
  BuildToolBars();

  status_panels_[0] = new QLabel(this);
  status_panels_[0]->setFixedWidth(140);
  status_panels_[1] = new QLabel(kWelcomeMessage, this);
  statusBar()->addWidget(status_panels_[0]);
  statusBar()->addWidget(status_panels_[1], 1);
  statusBar()->installEventFilter(this);
  for (QLabel* panel : status_panels_)
    panel->installEventFilter(this);

  recent_ = std::make_unique<TfrmRecentMessages>(*services_.messages, *services_.dialogs);
  recent_->setWindowIcon(windowIcon());
  recent_->on_hidden = [this] { mnuRecentMessages->setChecked(false); };
  recent_->on_error = [this](const std::string& error) {
    services_.messages->Show(error, "Recent Status Messages", MessageIcon::Error);
  };
  chooser_ = std::make_unique<TfrmGetTaskFile>(*services_.messages, *services_.dialogs, this);
  chooser_->on_error = [this](const std::string& error) {
    services_.messages->Show(error, "Task File Not Found", MessageIcon::Error);
  };

  prefs_form_ = std::make_unique<TfrmPrefs>(*services_.messages, *services_.dialogs, this);
  prefs_form_->on_saved = [this](const std::string& scan_status) {
    status_panels_[0]->setText(QString::fromStdString(scan_status));
  };

  services_.scan_timer->SetEnabled(false);
  services_.scan_timer->SetInterval(kScanInterval);
  services_.scan_timer->SetCallback([this] { tmrScanTimer(); });
  lstProcessesClick();
}

TfrmSettings::~TfrmSettings() {
  services_.scan_timer->SetEnabled(false);
  services_.scan_timer->SetCallback({});
  server_.reset();
  recent_->on_hidden = nullptr;
  view_->on_rows_reset = nullptr;
  view_->on_row_changed = nullptr;
}

void TfrmSettings::BuildList() {
  lstProcesses = new QTreeView(this);
  lstProcesses->setObjectName("lstProcesses");
  table_ = new TaskTableModel(*view_, this);
  table_->on_rename = [this](int row, const std::string& name) { return RenameRow(row, name); };
  lstProcesses->setModel(table_);
  lstProcesses->setRootIsDecorated(false);
  lstProcesses->setUniformRowHeights(true);
  lstProcesses->setItemsExpandable(false);
  lstProcesses->setAllColumnsShowFocus(true);
  lstProcesses->setSelectionBehavior(QAbstractItemView::SelectRows);
  lstProcesses->setSelectionMode(QAbstractItemView::SingleSelection);
  lstProcesses->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::SelectedClicked);
  lstProcesses->setIconSize(QSize(25, 25));
  lstProcesses->setSortingEnabled(false);
  lstProcesses->header()->setSectionsClickable(true);
  lstProcesses->header()->setStretchLastSection(false);
  for (int column = 0; column < static_cast<int>(kTaskColumnWidths.size()); ++column) {
    lstProcesses->setColumnWidth(column, kTaskColumnWidths[column]);
  }
  lstProcesses->setContextMenuPolicy(Qt::CustomContextMenu);
  setCentralWidget(lstProcesses);

  connect(lstProcesses->header(), &QHeaderView::sectionClicked, this, [this](int section) {
    const std::string selected = SelectedName();
    view_->ColumnClick(kTaskColumnCaptions.at(section));
    RestoreSelection(selected);
  });
  connect(lstProcesses->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { lstProcessesClick(); });
  connect(lstProcesses, &QTreeView::doubleClicked, this, [this] {
    if (SelectedRow() >= 0) comPropertiesClick();
  });
  connect(lstProcesses, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    lstProcessesClick();
    const bool selected = SelectedRow() >= 0;
    for (QAction* item : {popCopy, popProperties, popDelete, popEnableDisable}) {
      item->setEnabled(selected);
    }
    popTaskList->popup(lstProcesses->viewport()->mapToGlobal(at));
  });
}

void TfrmSettings::BuildMenus() {
  auto action = [this](QMenu* menu, const char* caption, auto handler) {
    QAction* item = menu->addAction(caption);
    connect(item, &QAction::triggered, this, handler);
    return item;
  };
  auto check = [](QAction* item, bool checked) {
    item->setCheckable(true);
    item->setChecked(checked);
    return item;
  };

  mnuFile = menuBar()->addMenu("&File");
  QMenu* file_new = mnuFile->addMenu("&New");
  mnuNewTask = action(file_new, "&Task", [this] {
    if (services_.show_wizard) {
      services_.show_wizard(false);
    } else {
      SetStatusMessage("The add-task wizard is not available in this build.");
    }
  });
  mnuNewTask->setShortcut(QKeySequence(Qt::Key_Insert));
  mnuNewScript = action(file_new, "Runvane &Script", [this] { NewScript(); });
  QMenu* file_open = mnuFile->addMenu("&Open");
  mnuOpenScript = action(file_open, "Runvane &Script", [this] { OpenScript(); });
  mnuDelete = action(mnuFile, "&Delete", [this] { DeleteSelectedTask(); });
  mnuDelete->setShortcut(QKeySequence(Qt::Key_Delete));
  mnuProperties = action(mnuFile, "&Properties", [this] {
    if (SelectedRow() >= 0) comPropertiesClick();
  });
  mnuRunTask = action(mnuFile, "Run Task", [this] { RunSelectedTask(); });
  mnuEndTask = action(mnuFile, "End Task", [this] { EndSelectedTask(); });
  mnuCopyTask = action(mnuFile, "Copy Task", [this] { CopySelectedTask(); });
  mnuCopyTask->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  mnuEnableDisable = action(mnuFile, "Enable/Disable Task", [this] { ToggleSelectedTask(false); });
  mnuFile->addSeparator();
  mnuProcessing = check(action(mnuFile, "Enable &Runvaned Processing",
                               [this](bool checked) {
                                 // Qt has inverted the check already.
                                 if (LauncherRunning()) (void)link_->SetProcessing(checked);
                               }),
                        true);
  mnuStartLauncher = action(mnuFile, "&Start Runvane Launcher", [this] { StartLauncher(); });
  mnuFile->addSeparator();
  mnuExit = action(mnuFile, "E&xit", [this] { close(); });
  connect(mnuFile, &QMenu::aboutToShow, this, [this] {
    mnuStartLauncher->setEnabled(!LauncherRunning());
    UpdateCommandStates();
  });

  QMenu* view = menuBar()->addMenu("&View");
  mnuTaskLog = action(view, "Task &Log", [this] { ViewLog(); });
  mnuRefresh = action(view, "&Refresh", [this] { FillTaskList(ClearRows::Yes, ForceFill::Yes); });
  mnuRefresh->setShortcut(QKeySequence(Qt::Key_F5));
  mnuAutoRefresh =
      check(action(view, "&Auto Refresh", [this](bool checked) { view_->SetAutoRefresh(checked); }),
            true);
  view->addSeparator();
  mnuToolbar =
      check(action(view, "Toolbar", [this](bool checked) { SetCoolBarVisible(checked); }), true);
  mnuStatusBar = check(
      action(view, "Status Bar", [this](bool checked) { statusBar()->setVisible(checked); }), true);
  mnuRecentMessages = check(action(view, "Recent Messages",
                                   [this](bool checked) {
                                     // Decide from the check as it was.
                                     mnuRecentMessages->setChecked(!checked);
                                     ToggleRecentMessages();
                                   }),
                            false);
  view->addSeparator();
  mnuPreferences = action(view, "&Preferences", [this] { ShowPreferences(); });

  QMenu* help = menuBar()->addMenu("&Help");
  mnuHelpContents = action(help, "Help Con&tents", [this] { OpenHelpTopic("Welcome"); });
  mnuHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
  mnuScriptingHelp = action(help, "S&cripting Help", [this] { OpenHelpTopic("Scripting"); });
  help->addSeparator();
  mnuAbout = action(help, "A&bout Runvane...", [this] {
    services_.messages->Show(
        "Runvane 4.05\n\nTasks that run themselves: on a schedule, on a hotkey, when a window "
        "appears or when the system changes.",
        "About Runvane", MessageIcon::Information);
  });

  popTaskList = new QMenu(this);
  popNew = action(popTaskList, "New...", [this] {
    if (services_.show_wizard) {
      services_.show_wizard(true);
    } else {
      SetStatusMessage("The add-task wizard is not available in this build.");
    }
  });
  popDelete = action(popTaskList, "Delete...", [this] { DeleteSelectedTask(); });
  popCopy = action(popTaskList, "Copy", [this] { CopySelectedTask(); });
  popEnableDisable =
      action(popTaskList, "Enable/Disable Task", [this] { ToggleSelectedTask(true); });
  popProperties = action(popTaskList, "Properties...", [this] {
    if (SelectedRow() >= 0) comPropertiesClick();
  });
}

void TfrmSettings::BuildToolBars() {
  auto button = [this](QToolBar* bar, const char* caption, const char* hint, icons::Tool icon,
                       auto handler) {
    auto* tool = new QToolButton(bar);
    tool->setText(caption);
    tool->setToolTip(hint);
    tool->setStatusTip(hint);
    tool->setIcon(icons::ToolIcon(icon));
    tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tool->setAutoRaise(true);
    connect(tool, &QToolButton::clicked, this, handler);
    bar->addWidget(tool);
    return tool;
  };
  task_tools_ = addToolBar("Tasks");
  task_tools_->setMovable(false);
  task_tools_->setIconSize(QSize(32, 32));
  comNew = button(task_tools_, "New", "Create a New Task", icons::Tool::New, [this] {
    if (services_.show_wizard) {
      services_.show_wizard(true);
    } else {
      SetStatusMessage("The add-task wizard is not available in this build.");
    }
  });
  comLaunch = button(task_tools_, "Run", "Run Selected Task", icons::Tool::Run,
                     [this] { comLaunchClick(); });
  comProperties = button(task_tools_, "Properties", "Task's Properties", icons::Tool::Properties,
                         [this] { comPropertiesClick(); });
  comDelete = button(task_tools_, "Delete", "Delete Selected Task", icons::Tool::Delete,
                     [this] { DeleteSelectedTask(); });
  processing_tools_ = addToolBar("Processing");
  processing_tools_->setMovable(false);
  processing_tools_->setIconSize(QSize(32, 32));
  comToggle = button(processing_tools_, "Pause", "Stop All Runvaned Processing", icons::Tool::Pause,
                     [this] { comToggleClick(); });
  comViewLog = button(processing_tools_, "View Log", "View Event Log", icons::Tool::ViewLog,
                      [this] { ViewLog(); });
  for (QToolBar* bar : {task_tools_, processing_tools_}) {
    // The tool bars are shown and hidden together, from the View menu only.
    bar->toggleViewAction()->setVisible(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
  }
  setContextMenuPolicy(Qt::NoContextMenu);
}

void TfrmSettings::SetCoolBarVisible(bool visible) {
  cool_bar_visible_ = visible;
  task_tools_->setVisible(visible);
  processing_tools_->setVisible(visible);
}

bool TfrmSettings::FormCreate() {
  // The exception handler is the application's (settings_application.h);
  // dates are always written "mm/dd/yyyy" (common/date_time.h).
  if (!prefs_->Load()) prefs_->SetDefaults();

  const bool launcher_running = LauncherRunning();
  if (!launcher_running) prefs_->ClearFileLock();
  mnuStartLauncher->setEnabled(!launcher_running);
  SetProcessingCheck(prefs_->GetChangeFlag(ChangeFlag::Processing));
  ApplyBounds();

  if (!ChooseTaskFile()) {
    services_.messages->Show(
        "Runvane cannot start without an active task file.  Runvane will close.", "No task file.",
        MessageIcon::Error);
    hide();
    return false;
  }

  if (!launcher_running && prefs_->WarnNoRunvane &&
      services_.messages->Ask(YesNo("Runvane Launcher is not running.  Start it now?",
                                    "Start Launcher?", MessageIcon::Warning)) ==
          MessageButton::Yes) {
    StartLauncher();
  }

  status_panels_[0]->setText("Scan: Every " + QString::number(prefs_->ScanTime) + " seconds");

  tasks_.Clear();
  tasks_.FileName = prefs_->TaskFile;
  if (Result<void> loaded = tasks_.LoadFromFile(); !loaded) {
    services_.messages->Show(loaded.error(), "Task file not read", MessageIcon::Error);
  }

  view_->SetMode(SortMode::TaskName);
  view_->SetDescending(true);
  FillTaskList(ClearRows::No, ForceFill::Yes);
  view_->SortTaskList(view_->Mode(), InvertDirection::No);

  recent_->move(prefs_->StatusLogLeft, prefs_->StatusLogTop);
  recent_->resize(prefs_->StatusLogWidth, prefs_->StatusLogHeight);
  if (prefs_->StatusLogOpen) {
    mnuRecentMessages->setChecked(true);
    recent_->show();
  }

  if (services_.dispatcher != nullptr) {
    Result<std::unique_ptr<dde::Server>> server =
        dde::Server::Start("Settings", "System", *services_.dispatcher,
                           [this](const std::string& text) { return SystemExecuteMacro(text); });
    if (server) {
      server_ = std::move(*server);
    } else {
      SetStatusMessage("The launcher cannot reach this window: " + server.error());
    }
  }
  services_.scan_timer->SetEnabled(true);
  started_ = true;
  return true;
}

void TfrmSettings::ApplyBounds() {
  resize(prefs_->SettingsWidth, prefs_->SettingsHeight);
  if (prefs_->SettingsTop == -1 || prefs_->SettingsLeft == -1) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->availableGeometry();
      move(area.center() - QPoint(prefs_->SettingsWidth / 2, prefs_->SettingsHeight / 2));
    }
  } else {
    move(prefs_->SettingsLeft, prefs_->SettingsTop);
  }
  if (prefs_->SettingsMaxed) setWindowState(windowState() | Qt::WindowMaximized);
  if (!prefs_->ShowToolbar) {
    SetCoolBarVisible(false);
    mnuToolbar->setChecked(false);
  }
  if (!prefs_->ShowStatusbar) {
    statusBar()->hide();
    mnuStatusBar->setChecked(false);
  }
  const int widths[] = {prefs_->Column1, prefs_->Column2, prefs_->Column3,
                        prefs_->Column4, prefs_->Column5, prefs_->Column6};
  for (int column = 0; column < 6; ++column)
    lstProcesses->setColumnWidth(column, widths[column]);
}

bool TfrmSettings::ChooseTaskFile() {
  if (ConfiguredTaskFile(*prefs_)) return true;
  chooser_->exec();
  if (chooser_->Result().empty()) return false;
  prefs_->TaskFile = chooser_->Result();
  prefs_->Save();
  return true;
}

void TfrmSettings::FormDestroy() {
  if (!started_ || layout_saved_) return;
  layout_saved_ = true;
  prefs_->FirstRun = false;
  prefs_->SettingsMaxed = isMaximized();
  const QRect normal = isMaximized() ? normalGeometry() : geometry();
  prefs_->SettingsTop = isMaximized() ? normal.top() : y();
  prefs_->SettingsLeft = isMaximized() ? normal.left() : x();
  prefs_->SettingsWidth = normal.width();
  prefs_->SettingsHeight = normal.height();
  prefs_->StatusLogTop = recent_->y();
  prefs_->StatusLogLeft = recent_->x();
  prefs_->StatusLogWidth = recent_->width();
  prefs_->StatusLogHeight = recent_->height();
  prefs_->StatusLogOpen = mnuRecentMessages->isChecked();
  int32_t* columns[] = {&prefs_->Column1, &prefs_->Column2, &prefs_->Column3,
                        &prefs_->Column4, &prefs_->Column5, &prefs_->Column6};
  for (int column = 0; column < 6; ++column)
    *columns[column] = lstProcesses->columnWidth(column);
  prefs_->ShowToolbar = cool_bar_visible_;
  prefs_->ShowStatusbar = !statusBar()->isHidden();
  prefs_->Save();
}

void TfrmSettings::closeEvent(QCloseEvent* event) {
  FormDestroy();
  services_.scan_timer->SetEnabled(false);
  event->accept();
  emit shutdownRequested();
}

bool TfrmSettings::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick &&
      (watched == statusBar() || watched == status_panels_[0] || watched == status_panels_[1])) {
    ToggleRecentMessages();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TfrmSettings::SystemExecuteMacro(const std::string& text) {
  const SettingsCommand command = ParseSettingsCommand(text);
  if (command.task_start) FillTaskList(ClearRows::No, ForceFill::No);
  if (command.message) {
    status_panels_[1]->setText(QString::fromStdString(*command.message));
    recent_->AddMessage(*command.message);
  }
  if (command.update) ReloadTaskList();
  if (command.shutdown) close();
  return true;
}

void TfrmSettings::tmrScanTimer() {
  SetProcessingCheck(prefs_->GetChangeFlag(ChangeFlag::Processing));
  if (prefs_->GetChangeFlag(ChangeFlag::RunvaneChange)) {
    services_.scan_timer->SetEnabled(false);
    ReloadTaskList();
    prefs_->SetChangeFlag(ChangeFlag::RunvaneChange, false);
    services_.scan_timer->SetEnabled(true);
  }
}

void TfrmSettings::ReloadTaskList() {
  tasks_.Clear();
  tasks_.FileName = prefs_->TaskFile;
  if (Result<void> loaded = tasks_.LoadFromFile(); !loaded) SetStatusMessage(loaded.error());
  FillTaskList(ClearRows::No, ForceFill::No);
}

void TfrmSettings::FillTaskList(ClearRows clear, ForceFill force) {
  const std::string selected = SelectedName();
  view_->FillTaskList(clear, force);
  RestoreSelection(selected);
  lstProcessesClick();
}

void TfrmSettings::SetProcessingCheck(bool checked) {
  mnuProcessing->setChecked(checked);
  comToggle->setText(checked ? "Pause" : "Resume");
  comToggle->setToolTip(checked ? "Stop All Runvaned Processing"
                                : "Resume All Runvaned Processing");
  comToggle->setIcon(icons::ToolIcon(checked ? icons::Tool::Pause : icons::Tool::Resume));
}

bool TfrmSettings::ProcessingChecked() const {
  return mnuProcessing->isChecked();
}

void TfrmSettings::comToggleClick() {
  // Only the launcher records the state; the next tick shows what it did.
  mnuProcessing->setChecked(!mnuProcessing->isChecked());
  if (LauncherRunning()) (void)link_->SetProcessing(mnuProcessing->isChecked());
}

bool TfrmSettings::LauncherRunning() {
  return link_->IsRunning();
}

int TfrmSettings::SelectedRow() const {
  const QModelIndexList rows = lstProcesses->selectionModel()->selectedRows();
  if (rows.isEmpty()) return -1;
  const int row = rows.front().row();
  return row < view_->RowCount() ? row : -1;
}

void TfrmSettings::SelectRow(int row) {
  if (row < 0 || row >= view_->RowCount()) {
    lstProcesses->selectionModel()->clearSelection();
    return;
  }
  lstProcesses->selectionModel()->setCurrentIndex(
      table_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TfrmSettings::RestoreSelection(const std::string& caption) {
  if (caption.empty()) return;
  const int row = view_->IndexOfCaption(caption);
  if (row >= 0) SelectRow(row);
}

std::shared_ptr<RVTask> TfrmSettings::SelectedTask() const {
  const int row = SelectedRow();
  return row < 0 ? nullptr : view_->Rows()[row].task;
}

std::string TfrmSettings::SelectedName() const {
  const int row = SelectedRow();
  return row < 0 ? std::string() : view_->Rows()[row].caption;
}

std::string TfrmSettings::SelectedStatus() const {
  const int row = SelectedRow();
  return row < 0 ? std::string() : view_->Rows()[row].sub_items[SubItem::Status];
}

QString TfrmSettings::StatusText(int panel) const {
  return status_panels_[panel]->text();
}

void TfrmSettings::SetStatusMessage(const std::string& text) {
  status_panels_[1]->setText(QString::fromStdString(text));
}

void TfrmSettings::lstProcessesClick() {
  const bool selected = SelectedRow() >= 0;
  for (QToolButton* button : {comLaunch, comProperties, comDelete})
    button->setEnabled(selected);
  if (selected && SelectedStatus() == "Running") {
    comLaunch->setText("Stop");
    comLaunch->setIcon(icons::ToolIcon(icons::Tool::Stop));
  } else {
    comLaunch->setText("Run");
    comLaunch->setIcon(icons::ToolIcon(icons::Tool::Run));
  }
  UpdateCommandStates();
}

void TfrmSettings::UpdateCommandStates() {
  const bool selected = SelectedRow() >= 0;
  const bool running = selected && SelectedStatus() == "Running";
  mnuDelete->setEnabled(selected);
  mnuProperties->setEnabled(selected);
  mnuEndTask->setEnabled(running);
  mnuRunTask->setEnabled(selected && !running);
  mnuCopyTask->setEnabled(selected);
  mnuEnableDisable->setEnabled(selected);
}

void TfrmSettings::comLaunchClick() {
  if (comLaunch->text() == "Run") {
    RunSelectedTask();
  } else {
    EndSelectedTask();
  }
}

void TfrmSettings::RunSelectedTask() {
  const std::string name = SelectedName();
  if (name.empty()) return;
  if (Result<void> sent = link_->Launch(name); !sent) {
    SetStatusMessage("The launcher did not take the task: " + sent.error());
  }
}

void TfrmSettings::EndSelectedTask() {
  const std::string name = SelectedName();
  if (name.empty()) return;
  if (Result<void> sent = link_->Kill(name); !sent) {
    SetStatusMessage("The launcher did not take the command: " + sent.error());
  }
}

void TfrmSettings::comPropertiesClick() {
  const int row = SelectedRow();
  if (row < 0) {
    services_.messages->Show("Please select only one task to view its properties.",
                             "Select One Task", MessageIcon::Information);
    return;
  }
  std::shared_ptr<RVTask> task = tasks_.FindByName(view_->Rows()[row].caption);
  if (!task) {
    // A row left over from a refresh that did not clear: show what is there.
    FillTaskList(ClearRows::Yes, ForceFill::Yes);
    return;
  }
  if (!services_.show_properties) {
    SetStatusMessage("The task properties dialog is not available in this build.");
    return;
  }
  services_.scan_timer->SetEnabled(false);
  services_.show_properties(task);
  services_.scan_timer->SetEnabled(true);
}

void TfrmSettings::ShowCommandResult(const CommandResult& result) {
  switch (result.outcome) {
    case CommandOutcome::Done:
      return;
    case CommandOutcome::TaskMissing:
      SetStatusMessage("The task is no longer in the task file.");
      return;
    case CommandOutcome::LockFailed:
      services_.messages->Show("The task file was not changed: " + result.error + ".",
                               "Task File Busy", MessageIcon::Warning);
      return;
    case CommandOutcome::SaveFailed:
      services_.messages->Show("The task file could not be saved: " + result.error,
                               "Task File Not Saved", MessageIcon::Error);
      return;
  }
}

void TfrmSettings::DeleteSelectedTask() {
  const std::string name = SelectedName();
  if (name.empty()) return;
  if (services_.messages->Ask(YesNo("Are you sure you wish to delete this task?", "Delete Task?",
                                    MessageIcon::Warning)) != MessageButton::Yes) {
    return;
  }
  ShowCommandResult(commands_->Delete(name));
  FillTaskList(ClearRows::Yes, ForceFill::Yes);
}

void TfrmSettings::CopySelectedTask() {
  const std::string name = SelectedName();
  if (name.empty()) return;
  services_.scan_timer->SetEnabled(false);
  ShowCommandResult(commands_->Copy(name));
  FillTaskList(ClearRows::Yes, ForceFill::Yes);
  services_.scan_timer->SetEnabled(true);
}

void TfrmSettings::ToggleSelectedTask(bool from_popup) {
  const int row = SelectedRow();
  if (row < 0) return;
  if (from_popup) services_.scan_timer->SetEnabled(false);
  if (!view_->Rows()[row].task) {
    FillTaskList(ClearRows::Yes, ForceFill::Yes);
  } else {
    const CommandResult result = commands_->ToggleActive(view_->Rows()[row].caption);
    ShowCommandResult(result);
    if (result.done()) {
      view_->SetStatus(row, result.active ? "Active" : "Inactive");
    } else if (result.outcome == CommandOutcome::TaskMissing) {
      FillTaskList(ClearRows::Yes, ForceFill::Yes);
    }
  }
  if (from_popup) services_.scan_timer->SetEnabled(true);
}

bool TfrmSettings::RenameRow(int row, const std::string& name) {
  if (row < 0 || row >= view_->RowCount()) return false;
  const std::string old_name = view_->Rows()[row].caption;
  if (name == old_name) return false;
  // The view is rebuilt after the editor has closed, not inside its commit.
  auto rebuild = [this](ClearRows clear) {
    QTimer::singleShot(0, this, [this, clear] { FillTaskList(clear, ForceFill::Yes); });
  };
  if (!view_->Rows()[row].task) {
    rebuild(ClearRows::Yes);
    return false;
  }
  const CommandResult result = commands_->Rename(old_name, name);
  ShowCommandResult(result);
  if (!result.done()) {
    if (result.outcome == CommandOutcome::TaskMissing) rebuild(ClearRows::Yes);
    return false;
  }
  view_->SetCaption(row, name);
  rebuild(ClearRows::No);
  return true;
}

void TfrmSettings::StartSibling(const std::string& name, const std::vector<std::string>& args) {
  const std::string program = services_.program_directory + name;
  std::error_code error;
  if (!std::filesystem::exists(program, error)) {
    SetStatusMessage("The program " + program + " is not installed.");
    return;
  }
  if (Result<void> started = services_.starter->Start(program, args); !started) {
    SetStatusMessage(started.error());
  }
}

void TfrmSettings::StartLauncher() {
  StartSibling("runvane", {});
}

void TfrmSettings::NewScript() {
  StartSibling("rvide", {});
}

void TfrmSettings::OpenScript() {
  const std::optional<std::string> path = services_.dialogs->Open(FileDialogRequest{
      "Open Runvane Script", "Runvane Script (*.mac *.bas);;All files (*)", "bas", true, false});
  if (path) StartSibling("rvide", {*path});
}

void TfrmSettings::ViewLog() {
  if (Result<void> started = services_.starter->Start("xdg-open", {prefs_->LogFile}); !started) {
    SetStatusMessage(started.error());
  }
}

void TfrmSettings::OpenHelpTopic(const std::string& topic) {
  const std::string path = services_.help_directory + topic + ".html";
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    SetStatusMessage("The help topic " + path + " is not installed.");
    return;
  }
  if (Result<void> started = services_.starter->Start("xdg-open", {path}); !started) {
    SetStatusMessage(started.error());
  }
}

void TfrmSettings::ShowPreferences() {
  prefs_form_->Execute(*prefs_);
}

void TfrmSettings::ToggleRecentMessages() {
  if (mnuRecentMessages->isChecked()) {
    recent_->hide();
    mnuRecentMessages->setChecked(false);
  } else {
    recent_->show();
    recent_->raise();
    mnuRecentMessages->setChecked(true);
  }
}

}  // namespace rv
