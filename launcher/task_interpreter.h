#pragma once

// Runs the steps of one task in a thread of its own, from the first step to
// the last: skips disabled steps and comments, repeats loop blocks, stops on
// a failed step, on a step that asks the task to stop, or on a terminate
// request between two steps. It logs every step, keeps the running marker,
// and reports start, progress and end to the task manager.
//
// The object owns its thread; destroying it waits for the thread to end.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "common/task.h"
#include "launcher/interpreter_host.h"
#include "platform/journal_control.h"

namespace rv {

namespace StepStatus {
inline constexpr int Failed = 0;
inline constexpr int Okay = 1;
inline constexpr int StopTask = 2;
}  // namespace StepStatus

// The name of the unnamed task that test-runs steps; such runs never write
// anything back.
inline constexpr const char* kPlayStepsTaskName = "Task Interpreter";

class RVTaskInterpreter {
 public:
  RVTaskInterpreter(InterpreterHost& host, std::shared_ptr<RVTask> task,
                    std::unique_ptr<JournalControl> journal);
  ~RVTaskInterpreter();
  RVTaskInterpreter(const RVTaskInterpreter&) = delete;
  RVTaskInterpreter& operator=(const RVTaskInterpreter&) = delete;

  // Starts the thread (once).
  void Start();

  // Asks the run to stop before its next step; the running step finishes,
  // unless it set a stop hook (a script), which is called too.
  void Terminate() {
    terminate_requested_.store(true);
    std::lock_guard lock(stop_mutex_);
    if (stop_hook_) stop_hook_();
  }
  // Set by a step that can be cut short while it runs; cleared by it after.
  void SetStopHook(std::function<void()> hook) {
    std::lock_guard lock(stop_mutex_);
    stop_hook_ = std::move(hook);
  }
  bool TerminateRequested() const { return terminate_requested_.load(); }
  // True once the run is over and every end-of-run step has happened.
  bool Finished() const { return finished_.load(); }
  // Terminated in the thread class's sense: asked to stop, or over.
  bool Terminated() const { return TerminateRequested() || Finished(); }

  // The name the run was started under.
  const std::string& TaskName() const { return task_name_; }
  // The final step status (valid once Finished()).
  int FinalStatus() const { return final_status_.load(); }

  // ---- Services for step handlers (called on the interpreter's thread).
  void LogStepEvent(const std::string& text, int level);
  void ShowStatus(const std::string& text);
  int CurrentStep() const { return current_step_; }
  void SetCurrentStep(int index) { current_step_ = index; }
  InterpreterHost& Host() { return host_; }
  RVTask& Task() { return *task_; }
  // The private copy that script steps see and change.
  RVTask& TaskCopy() { return *task_copy_; }
  JournalControl* Journal() { return journal_.get(); }

  // Loop fields: one set per run; blocks do not nest.
  int loop_start = -1;
  int loop_pass = 0;
  int loop_count = 0;

  // The FTP and dial-up steps' share of the run. The FTP connection (an
  // FtpClient) is released when the run ends, so a task that never logs out
  // does not keep its server connection for the launcher's life.
  std::shared_ptr<void> ftp_connection;
  std::string ftp_log_file;
  int ftp_log_overwrite = 0;
  std::string dial_up_entry;

  // Set by the wait-for-window step when its outcome starts another task.
  void RequestChain(const std::string& task_name) {
    chain_ = true;
    chain_task_name_ = task_name;
  }

  const std::string& StatusText() const { return status_text_; }

 private:
  void Execute();
  int RunStep(const std::string& line);
  void WriteRunningMarker(bool running);
  void Notify(const std::string& text, bool wait);

  InterpreterHost& host_;
  std::shared_ptr<RVTask> task_;
  std::unique_ptr<RVTask> task_copy_;
  std::unique_ptr<JournalControl> journal_;
  std::string task_name_;
  int current_step_ = -1;
  bool chain_ = false;
  std::string chain_task_name_;
  std::string status_text_;
  std::atomic<bool> terminate_requested_{false};
  std::mutex stop_mutex_;
  std::function<void()> stop_hook_;
  std::atomic<bool> finished_{false};
  std::atomic<int> final_status_{StepStatus::Okay};
  std::thread thread_;
};

}  // namespace rv
