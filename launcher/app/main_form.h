#pragma once

// The launcher's main form: never shown, it owns what the launcher runs on:
// the preferences, the task list, the event logger, the thread manager, the
// housekeeping timer, the DDE server for other programs' commands, and the
// tray icon with its menu. Everything here runs on the main thread;
// interpreter threads reach it only through the logger and the dispatcher.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/logger.h"
#include "common/preferences.h"
#include "common/step_keywords.h"
#include "common/task_list.h"
#include "launcher/app/log_feed.h"
#include "launcher/app/trigger.h"
#include "launcher/interpreter_host.h"
#include "launcher/launcher_commands.h"
#include "launcher/settings_link.h"
#include "launcher/step_services.h"
#include "launcher/thread_manager.h"
#include "platform/dde_server.h"
#include "platform/journal_control.h"
#include "platform/message_box.h"
#include "platform/result.h"
#include "platform/timer.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace rv {

class TfrmEventLog;

// What the main form is handed by the program entry (tests hand fakes).
struct LauncherServices {
  Registry& store;
  Dispatcher& dispatcher;
  dde::Client& dde_client;
  MessageBox& message_box;
  // tmrCheckReg, the housekeeping timer.
  Timer& housekeeping_timer;
  JournalControlFactory& journals;
  const Clock& clock;
  // Starts a program detached, by path.
  std::function<Result<void>(const std::string& program)> start_program;
  // Ends the program's event loop with this status.
  std::function<void(int status)> quit;
  // Whether the desktop has a notification area to put the icon in.
  bool tray_available = false;
  // The step handlers' services; without them, LinuxStepServices().
  const StepServices* steps = nullptr;
};

class TfrmMain final : public QObject,
                       public LauncherActions,
                       public InterpreterHost,
                       public TaskFileHost {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Runvane Task Service";

  explicit TfrmMain(LauncherServices services);
  // Calls FormClose.
  ~TfrmMain() override;

  // The start-up sequence. Afterwards Terminated() tells whether the
  // launcher gave up (no usable task file) instead of running.
  void FormCreate();
  bool Terminated() const { return terminated_; }
  // When the event loop has ended: takes no more commands, closes the feed,
  // asks every run to stop and serves their last main-thread calls for a
  // while, then clears the running set. Safe to call twice.
  void FormClose();

  void SetEventLog(TfrmEventLog* event_log) { event_log_ = event_log; }

  // ---- LauncherActions (the DDE commands).
  void LaunchTask(const std::string& name) override;
  void ReloadTasks() override;
  void KillTask(const std::string& name) override;
  void SetProcessing(bool on) override;
  void KillRunvane() override;
  void PlaySteps(const std::vector<std::string>& steps) override;

  // ---- InterpreterHost.
  Dispatcher& MainThread() override { return services_.dispatcher; }
  TRVLogger* Logger() override { return &RVLogObj; }
  Registry* Store() override { return &services_.store; }
  const Clock& clock() override { return services_.clock; }
  const StepHandlers& Handlers() override { return handlers_; }
  void NotifySettings(const std::string& text, bool wait) override;
  void StartTask(const std::shared_ptr<RVTask>& task) override;
  void WriteBackTask(const RVTask& copy, const std::string& started_as) override;
  bool ShuttingDown() const override { return shutting_down_.load(); }

  // ---- TaskFileHost.
  void CannotOpenTaskFile(const std::string& path) override;

  // ---- Tray and menu actions.
  void TrayIconDblClick();
  void mnuOpenClick();
  void menuEnableClick();
  void ViewEventLog1Click();
  void mnuHelpClick();
  void mnuExitClick();

  // The exit without a question, for a termination signal.
  void SignalShutdown();

  // One tick of tmrCheckReg.
  void tmrCheckRegTimer();

  // Triggers that SetProcessing and ReloadTasks switch.
  void AddTrigger(Trigger* trigger) { triggers_.push_back(trigger); }

  bool Processing() const { return processing_; }
  RVPreferences& Preferences() { return *preferences_; }
  RVTaskList& TaskList() { return *task_list_; }
  Threadmanager& Threads() { return threads_; }

 private:
  void Terminate(int status = 0);
  void StartSettings();
  bool SettingsWindowExists();
  bool ChooseTaskFile(std::string& chosen);
  void StartRunning(const std::string& task_file);
  void ActivateLogger();
  void CreateTrayIcon();
  void SetTaskFileName(const std::string& path);
  void FinishRuns();
  void AppendNewLogLines();

  LauncherServices services_;
  TRVLogger RVLogObj;
  SettingsLink settings_link_;
  StepHandlers handlers_;
  Threadmanager threads_;
  std::unique_ptr<RVPreferences> preferences_;
  std::unique_ptr<RVTaskList> task_list_;
  std::unique_ptr<dde::Server> System;
  LogFeed log_feed_;
  TfrmEventLog* event_log_ = nullptr;
  std::vector<Trigger*> triggers_;
  bool processing_ = true;
  bool terminated_ = false;
  bool closed_ = false;
  std::atomic<bool> shutting_down_{false};
  bool tray_enabled_ = true;

  // The task file's path for the write-back of interpreter threads.
  mutable std::mutex task_file_mutex_;
  std::string task_file_name_;

  std::unique_ptr<QMenu> pumTrayMenu;
  std::unique_ptr<QSystemTrayIcon> TrayIcon;
  QAction* menuEnable = nullptr;
  QAction* viewEventLog1 = nullptr;
};

}  // namespace rv
