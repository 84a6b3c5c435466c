#include "launcher/task_interpreter.h"

#include <exception>

#include "common/logger.h"
#include "common/step_keywords.h"
#include "common/step_line.h"
#include "common/store_keys.h"
#include "common/task_list.h"
#include "launcher/os_steps.h"
#include "platform/dispatcher.h"
#include "platform/registry.h"

namespace rv {

RVTaskInterpreter::RVTaskInterpreter(InterpreterHost& host, std::shared_ptr<RVTask> task,
                                     std::unique_ptr<JournalControl> journal)
    : host_(host),
      task_(std::move(task)),
      journal_(std::move(journal)),
      task_name_(task_->TaskName) {}

RVTaskInterpreter::~RVTaskInterpreter() {
  if (thread_.joinable()) thread_.join();
}

void RVTaskInterpreter::Start() {
  if (!thread_.joinable()) thread_ = std::thread([this] { Execute(); });
}

void RVTaskInterpreter::LogStepEvent(const std::string& text, int level) {
  if (TRVLogger* logger = host_.Logger()) logger->LogEvent(task_->TaskName + "::" + text, level);
}

void RVTaskInterpreter::Notify(const std::string& text, bool wait) {
  host_.MainThread().runAndWait([&] { host_.NotifySettings(text, wait); });
}

void RVTaskInterpreter::ShowStatus(const std::string& text) {
  status_text_ = "(" + FormatDateTime(host_.clock().Now()) + ") " + text;
  Notify("MESSAGE: " + status_text_, false);
}

void RVTaskInterpreter::WriteRunningMarker(bool running) {
  Registry* store = host_.Store();
  if (store == nullptr) return;
  if (running) {
    (void)store->WriteInteger(Hive::CurrentUser, store_keys::kRunning, task_name_, 1);
  } else if (store->ValueExists(Hive::CurrentUser, store_keys::kRunning, task_name_)) {
    (void)store->DeleteValue(Hive::CurrentUser, store_keys::kRunning, task_name_);
  }
}

int RVTaskInterpreter::RunStep(const std::string& line) {
  const StepLine split = SplitStepLine(line);
  const std::string keyword(split.keyword);
  const StepHandlers::Handler* handler = host_.Handlers().Find(keyword);
  if (handler == nullptr) {
    LogStepEvent("(!) There is no step command \"" + keyword + "\"", 90);
    return StepStatus::Failed;
  }
  // A handler that throws (a number that is not one, say) fails its step;
  // the end of the run still happens.
  try {
    const int status = (*handler)(std::string(split.params), *this);
    if (status == StepStatus::Okay || status == StepStatus::Failed ||
        status == StepStatus::StopTask) {
      return status;
    }
    LogStepEvent("(!) " + keyword + " returned the unknown status " + std::to_string(status), 90);
  } catch (const std::exception& error) {
    LogStepEvent("(!) " + keyword + ": " + error.what(), 90);
  } catch (...) {
    LogStepEvent("(!) " + keyword + ": unknown error", 90);
  }
  return StepStatus::Failed;
}

void RVTaskInterpreter::Execute() {
  struct FinishGuard {
    std::atomic<bool>& finished;
    ~FinishGuard() { finished.store(true); }
  } guard{finished_};

  LogStepEvent("Task Started", 1);
  task_copy_ = std::make_unique<RVTask>(host_.clock());
  CopyTaskFields(*task_, *task_copy_);

  Notify("MESSAGE: " + status_text_, false);
  ShowStatus("Task started: " + task_->TaskName);

  current_step_ = 0;
  task_->Running = true;
  WriteRunningMarker(true);
  const std::string started_as = task_->TaskName;
  Notify("TASKSTART: " + task_->TaskName, true);

  int status = StepStatus::Okay;
  const std::vector<std::string>& steps = task_->Steps;
  while (current_step_ < static_cast<int>(steps.size()) && status == StepStatus::Okay &&
         !TerminateRequested()) {
    if (!task_->IsStepDisabled(current_step_)) {
      const std::string& line = steps[static_cast<size_t>(current_step_)];
      if (IsCommentLine(line)) {
        ShowStatus(line + " : " + task_->TaskName);
      } else {
        LogStepEvent(StepLineForLog(line), 0);
        const std::string keyword(SplitStepLine(line).keyword);
        status = RunStep(line);
        if (status == StepStatus::Okay) {
          LogStepEvent("Step Okay", 0);
        } else if (status == StepStatus::Failed) {
          LogStepEvent("Step Failed.", 0);
          LogStepEvent("(!) " + keyword + " command failed!", 90);
        } else {
          LogStepEvent("Step Okay.", 0);
          LogStepEvent("Step request task to stop.", 20);
        }
      }
    }
    ++current_step_;
  }
  final_status_.store(status);
  ftp_connection.reset();

  task_->Running = false;
  WriteRunningMarker(false);
  Notify("TASKEND: " + task_->TaskName, true);
  LogStepEvent("Task \"" + task_->TaskName + "\" Ended.", 1);

  if (status == StepStatus::Okay) {
    ShowStatus("Task ended: " + task_->TaskName);
  } else if (status == StepStatus::Failed) {
    ShowStatus("Task FAILED: " + task_->TaskName);
  } else {
    ShowStatus("Task stopped programatically: " + task_->TaskName);
  }

  bool has_script = false;
  for (const std::string& line : steps) {
    if (line.find("SCRIPT: ") != std::string::npos) has_script = true;
  }
  if (has_script && started_as != kPlayStepsTaskName) {
    host_.WriteBackTask(*task_copy_, started_as);
  }

  if (journal_) {
    host_.MainThread().runAndWait([this] { journal_.reset(); });
  }

  if (chain_) {
    RVTaskList* owner = task_->Owner;
    if (owner == nullptr) {
      LogStepEvent("(!) Couldn't locate parent TaskList!", 90);
    } else {
      std::shared_ptr<RVTask> chained;
      // The owner list belongs to the main thread, which may reload it.
      host_.MainThread().runAndWait([&] {
        chained = owner->FindByName(chain_task_name_);
        if (chained) host_.StartTask(chained);
      });
      if (!chained) {
        LogStepEvent("(!) Couldn't start task \"" + chain_task_name_ + "\" referenced in task \"" +
                         task_->TaskName + "\". Task not found.",
                     90);
      }
    }
  }
  task_copy_.reset();
}

}  // namespace rv
