#include "launcher/app/main_form.h"

#include <strings.h>
#include <sys/stat.h>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QThread>
#include <QUrl>
#include <chrono>
#include <thread>

#include "launcher/app/event_log_form.h"
#include "launcher/app/tray_icon.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/dispatcher.h"
#include "platform/paths.h"

namespace rv {
namespace {

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string SettingsProgram() {
  return paths::ExecutableDirectory() + "settings";
}

// How long the exit waits for running tasks to reach the end of their
// current step before it leaves them behind.
constexpr std::chrono::milliseconds kRunsGracePeriod{5000};

}  // namespace

TfrmMain::TfrmMain(LauncherServices services)
    : services_(std::move(services)),
      RVLogObj(services_.clock),
      settings_link_(services_.dde_client, services_.clock),
      handlers_(services_.steps != nullptr ? MakeStepHandlers(*services_.steps)
                                           : MakeStepHandlers()) {
  RVLogObj.SetThreshold(1);
  services_.housekeeping_timer.SetInterval(std::chrono::milliseconds(1000));
  services_.housekeeping_timer.SetCallback([this] { tmrCheckRegTimer(); });
}

TfrmMain::~TfrmMain() {
  FormClose();
}

void TfrmMain::FormClose() {
  if (closed_) return;
  closed_ = true;
  shutting_down_.store(true);
  services_.housekeeping_timer.SetEnabled(false);
  // No new commands while the runs end.
  System.reset();
  log_feed_.Close();
  FinishRuns();
  if (preferences_) preferences_->ClearRunningList();
}

void TfrmMain::FinishRuns() {
  for (int i = 0; i < threads_.Count(); ++i)
    threads_.TellThreadToTerminate(i);
  // The runs may still hand the main thread their end-of-run notifications:
  // keep serving them for a while.
  QElapsedTimer waited;
  waited.start();
  auto all_finished = [this] {
    for (int i = 0; i < threads_.Count(); ++i) {
      if (RVTaskInterpreter* run = threads_.ThreadAt(i); run != nullptr && !run->Finished()) {
        return false;
      }
    }
    return true;
  };
  while (!all_finished() && waited.elapsed() < kRunsGracePeriod.count()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  threads_.ReapFinishedThreads();
}

void TfrmMain::Terminate(int status) {
  terminated_ = true;
  services_.housekeeping_timer.SetEnabled(false);
  if (services_.quit) services_.quit(status);
}

bool TfrmMain::SettingsWindowExists() {
  return settings_link_.SettingsRunning();
}

void TfrmMain::StartSettings() {
  if (!services_.start_program) return;
  if (Result<void> started = services_.start_program(SettingsProgram()); !started) {
    RVLogObj.LogEvent("(!) Could not start the task manager: " + started.error(), 90);
  }
}

void TfrmMain::SetTaskFileName(const std::string& path) {
  task_list_->FileName = path;
  std::lock_guard lock(task_file_mutex_);
  task_file_name_ = path;
}

void TfrmMain::ActivateLogger() {
  if (RVLogObj.Enabled()) return;
  RVLogObj.SetLogFile(preferences_->LogFile);
  RVLogObj.SetThreshold(preferences_->LogThreshold);
  if (preferences_->LogEvents) RVLogObj.ToggleActivate(true);
}

void TfrmMain::FormCreate() {
  // The application exception handler is installed by the program entry,
  // before this form exists.
  tray_enabled_ = FileExists(SettingsProgram()) && services_.tray_available;

  preferences_ = std::make_unique<RVPreferences>(&services_.store, RVPreferences::LoadNow::Yes);
  preferences_->ClearRunningList();
  // The single-instance mutex is held, but another launcher's server could
  // still answer while it exits: then its lock is not stale.
  if (!services_.dde_client.IsServiceRunning(kLauncherService, kSystemTopic)) {
    preferences_->ClearFileLock();
  }
  task_list_ = std::make_unique<RVTaskList>(std::string(), &services_.store, services_.clock);
  task_list_->SetHost(this);

  if (preferences_->SettingsOpen) StartSettings();

  std::string chosen;
  const bool have_file = ChooseTaskFile(chosen);
  if (have_file && RVTaskList::IsValidTaskFile(chosen)) {
    StartRunning(chosen);
    return;
  }
  // Nobody may see the message below: the log is where it then shows.
  ActivateLogger();
  if (have_file) {
    services_.message_box.Show(
        "Runvane is set to use an invalid task file.  Please check your settings.",
        "Invalid Task File", MessageIcon::Error);
  } else {
    const MessageButton answer = services_.message_box.Ask(MessageRequest{
        "Runvane has not been set to use a task file yet.  Would you like to do this now?",
        "Invalid Task File",
        MessageIcon::Question,
        {MessageButton::Yes, MessageButton::No},
        std::nullopt,
        false});
    if (answer == MessageButton::Yes) StartSettings();
  }
  task_list_.reset();
  Terminate();
}

bool TfrmMain::ChooseTaskFile(std::string& chosen) {
  if (!preferences_->TaskFile.empty() && FileExists(preferences_->TaskFile)) {
    chosen = preferences_->TaskFile;
    return true;
  }
  const std::string fallback = RVPreferences::ProgramDirectory() + "TASKS.RVD";
  if (FileExists(fallback)) {
    preferences_->TaskFile = fallback;
    if (RVTaskList::IsValidTaskFile(fallback)) {
      preferences_->Save();
      chosen = fallback;
      return true;
    }
  }
  return false;
}

void TfrmMain::StartRunning(const std::string& task_file) {
  SetTaskFileName(task_file);
  if (Result<void> loaded = task_list_->LoadFromFile(); !loaded) {
    if (terminated_) return;  // the task file could not be opened at all
    ActivateLogger();
    RVLogObj.LogEvent("(!) " + loaded.error(), 90);
  }
  for (Trigger* trigger : triggers_) {
    trigger->SetTaskList(task_list_.get());
    trigger->SetEnabled(true);
  }
  ActivateLogger();
  RVLogObj.LogEvent("Runvane Launcher Started", 20);
  settings_link_.SendMessageToSettings("Runvane Launcher started.");
  if (!preferences_->LogFile.empty()) log_feed_.Open(preferences_->LogFile);

  Result<std::unique_ptr<dde::Server>> server = dde::Server::Start(
      kLauncherService, kSystemTopic, services_.dispatcher,
      [this](const std::string& text) { return SystemExecuteMacro(text, *this); },
      [this](const std::string& line) { RVLogObj.LogEvent(line, 20); });
  if (server) {
    System = std::move(*server);
  } else {
    RVLogObj.LogEvent("(!) Other programs cannot reach the launcher: " + server.error(), 90);
  }

  CreateTrayIcon();
  services_.housekeeping_timer.SetEnabled(true);
}

void TfrmMain::CreateTrayIcon() {
  pumTrayMenu = std::make_unique<QMenu>();
  QAction* open = pumTrayMenu->addAction(QStringLiteral("Open"), [this] { mnuOpenClick(); });
  QFont bold = open->font();
  bold.setBold(true);
  open->setFont(bold);
  menuEnable =
      pumTrayMenu->addAction(QStringLiteral("&Enable Processing"), [this] { menuEnableClick(); });
  menuEnable->setCheckable(true);
  menuEnable->setChecked(true);
  viewEventLog1 = pumTrayMenu->addAction(QStringLiteral("View Event &Log..."),
                                         [this] { ViewEventLog1Click(); });
  viewEventLog1->setVisible(false);
  pumTrayMenu->addAction(QStringLiteral("Help"), [this] { mnuHelpClick(); });
  pumTrayMenu->addSeparator();
  pumTrayMenu->addSeparator();
  pumTrayMenu->addAction(QStringLiteral("Exit"), [this] { mnuExitClick(); });

  if (!tray_enabled_) return;
  TrayIcon = std::make_unique<QSystemTrayIcon>(MakeMainIcon());
  TrayIcon->setToolTip(QStringLiteral("Runvane"));
  TrayIcon->setContextMenu(pumTrayMenu.get());
  QObject::connect(TrayIcon.get(), &QSystemTrayIcon::activated,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::DoubleClick) TrayIconDblClick();
                   });
  TrayIcon->show();
}

// ---- Menu and tray actions.

void TfrmMain::TrayIconDblClick() {
  StartSettings();
}

void TfrmMain::mnuOpenClick() {
  StartSettings();
}

void TfrmMain::menuEnableClick() {
  SetProcessing(!processing_);
}

void TfrmMain::ViewEventLog1Click() {
  if (event_log_ == nullptr) return;
  event_log_->show();
  event_log_->raise();
}

void TfrmMain::mnuHelpClick() {
  const std::string topic = paths::ExecutableDirectory() + "help/Welcome.html";
  if (!FileExists(topic)) {
    RVLogObj.LogEvent("(!) The help topic \"Welcome\" is not installed: " + topic, 90);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(topic)));
}

void TfrmMain::mnuExitClick() {
  if (preferences_->WarnOnShutdown) {
    if (TrayIcon) TrayIcon->setContextMenu(nullptr);
    const MessageButton answer = services_.message_box.Ask(MessageRequest{
        "If you close Runvane your tasks will not be performed! Are you sure you want to quit?",
        "Quit Runvane",
        MessageIcon::Question,
        {MessageButton::Yes, MessageButton::No},
        MessageButton::No,
        true});
    if (TrayIcon) TrayIcon->setContextMenu(pumTrayMenu.get());
    if (answer != MessageButton::Yes) return;
  }
  RVLogObj.LogEvent("Runvane Launcher shutdown.", 20);
  if (SettingsWindowExists()) settings_link_.Notify("SHUTDOWN", true);
  if (event_log_ != nullptr && event_log_->isVisible()) {
    preferences_->Load();
    preferences_->ErrorLogTop = event_log_->y();
    preferences_->ErrorLogLeft = event_log_->x();
    preferences_->ErrorLogWidth = event_log_->width();
    preferences_->ErrorLogHeight = event_log_->height();
    preferences_->ErrorLogOpen = true;
    preferences_->Save();
  }
  Terminate();
}

void TfrmMain::SignalShutdown() {
  if (terminated_) return;
  RVLogObj.LogEvent("Runvane Launcher shutdown.", 20);
  Terminate();
}

// ---- Processing and reloading.

void TfrmMain::SetProcessing(bool on) {
  processing_ = on;
  if (menuEnable) menuEnable->setChecked(on);
  for (Trigger* trigger : triggers_)
    trigger->SetEnabled(on);
  preferences_->SetChangeFlag(ChangeFlag::Processing, on);
  const std::string text = on ? "Runvane Launcher enabled." : "Runvane Launcher disabled.";
  RVLogObj.LogEvent(text, 20);
  settings_link_.SendMessageToSettings(text);
}

void TfrmMain::ReloadTasks() {
  if (!task_list_) return;
  std::vector<bool> were_on;
  for (Trigger* trigger : triggers_) {
    were_on.push_back(trigger->Enabled());
    trigger->SetEnabled(false);
  }
  auto restore = [&] {
    for (size_t i = 0; i < triggers_.size(); ++i) {
      triggers_[i]->SetTaskList(task_list_.get());
      triggers_[i]->SetEnabled(were_on[i]);
    }
  };
  if (task_list_->LockFile(0) != 0) {
    RVLogObj.LogEvent("(!) The task list was not reloaded: " + task_list_->LastError(), 90);
    restore();
    return;
  }
  task_list_->Clear();
  SetTaskFileName(preferences_->TaskFile);
  if (Result<void> loaded = task_list_->LoadFromFile(); !loaded) {
    RVLogObj.LogEvent("(!) " + loaded.error(), 90);
  }
  restore();
  task_list_->UnlockFile();
}

void TfrmMain::AppendNewLogLines() {
  if (!log_feed_.IsOpen() || event_log_ == nullptr || !event_log_->isVisible()) return;
  event_log_->AppendLines(log_feed_.ReadNewLines());
}

void TfrmMain::tmrCheckRegTimer() {
  AppendNewLogLines();
  Timer& timer = services_.housekeeping_timer;
  timer.SetEnabled(false);
  if (preferences_->GetChangeFlag(ChangeFlag::SettingsChange)) {
    ReloadTasks();
    preferences_->SetChangeFlag(ChangeFlag::SettingsChange, false);
  }
  if (preferences_->GetChangeFlag(ChangeFlag::PrefsChanged)) {
    preferences_->Load();
    timer.SetInterval(std::chrono::milliseconds(int64_t{preferences_->ScanTime} * 1000));
    ReloadTasks();
    preferences_->SetChangeFlag(ChangeFlag::PrefsChanged, false);
  }
  if (threads_.ReapFinishedThreads() && SettingsWindowExists()) {
    settings_link_.Notify("UPDATE", true);
  }
  if (!terminated_) timer.SetEnabled(true);
}

// ---- Commands.

void TfrmMain::LaunchTask(const std::string& name) {
  if (!task_list_) return;
  const int32_t index = task_list_->IndexOfName(name);
  if (index >= 0) StartTask(task_list_->Item(index));
}

void TfrmMain::KillTask(const std::string& name) {
  // The first entry of that name that can still be stopped: a run that is
  // over, or already asked to stop, does not swallow the command meant for
  // a later run of the same task. A late-task placeholder does, as the
  // thread manager's own lookup would.
  for (int i = 0; i < threads_.Count(); ++i) {
    if (strcasecmp(threads_.NameAt(i).c_str(), name.c_str()) != 0) continue;
    RVTaskInterpreter* run = threads_.ThreadAt(i);
    if (run != nullptr && run->Terminated()) continue;
    threads_.TellThreadToTerminate(i);
    return;
  }
}

void TfrmMain::KillRunvane() {
  RVLogObj.LogEvent("Runvane Launcher shutdown.", 20);
  settings_link_.SendMessageToSettings("Runvane Launcher shutdown (by a task).");
  Terminate();
}

void TfrmMain::PlaySteps(const std::vector<std::string>& steps) {
  auto task = std::make_shared<RVTask>(services_.clock);
  task->TaskName = kPlayStepsTaskName;
  task->Steps = steps;
  task->StepCount = static_cast<int32_t>(steps.size());
  task->DisabledSteps.clear();
  task->DisabledStepCount = 0;
  task->Owner = nullptr;
  StartTask(task);
}

// ---- Interpreter host.

void TfrmMain::NotifySettings(const std::string& text, bool wait) {
  settings_link_.Notify(text, wait);
}

void TfrmMain::StartTask(const std::shared_ptr<RVTask>& task) {
  if (terminated_) return;
  auto run = std::make_unique<RVTaskInterpreter>(*this, task, services_.journals.Create());
  RVTaskInterpreter& started = *run;
  threads_.AddThread(std::move(run));
  started.Start();
}

void TfrmMain::WriteBackTask(const RVTask& copy, const std::string& started_as) {
  // Runs on the interpreter's thread with a list of its own, so the main
  // list is not touched.
  std::string file_name;
  {
    std::lock_guard lock(task_file_mutex_);
    file_name = task_file_name_;
  }
  RVTaskList list(file_name, &services_.store, services_.clock);
  RVTask fresh(services_.clock);
  RVTaskList::CopyTask(copy, fresh);
  if (list.LockFile(0) != 0) return;
  // Found by the name the run started under: a script may have renamed the copy.
  if (std::shared_ptr<RVTask> found = list.FindByName(started_as)) {
    fresh.Running = false;
    fresh.Holding = false;
    fresh.LaunchDateTime = found->LaunchDateTime;
    if (fresh.Frequency == 0) fresh.Active = found->Active;
    RVTaskList::CopyTask(fresh, *found);
    if (Result<void> saved = list.SaveToFile(); !saved) {
      RVLogObj.LogEvent(copy.TaskName + "::(!) The task was not written back: " + saved.error(),
                        90);
    } else {
      preferences_->SetChangeFlag(ChangeFlag::RunvaneChange, true);
    }
  }
  list.UnlockFile();
}

// ---- Task file host.

void TfrmMain::CannotOpenTaskFile(const std::string& path) {
  ActivateLogger();
  RVLogObj.LogEvent("(!) Cannot open the task file " + path, 90);
  services_.message_box.Show(
      "Runvane cannot seem to open the task file.  Check the settings and try restarting "
      "Runvane.",
      "Runvane Error", MessageIcon::Error);
  if (FileExists(SettingsProgram())) StartSettings();
  Terminate();
}

}  // namespace rv
