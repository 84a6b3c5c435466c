#pragma once

// An interpreter host for tests: a hand-driven main thread, a log file in the
// test home with a fixed clock, the test's store, and a record of every
// notification, task start and write-back.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/logger.h"
#include "common/step_keywords.h"
#include "common/task.h"
#include "launcher/interpreter_host.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/fake_file_operations.h"
#include "platform/fake_shell.h"
#include "platform/fake_trash.h"
#include "platform/manual_dispatcher.h"
#include "platform/network/fake_dial_up.h"
#include "platform/network/network_clients.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv::testing {

class TestingHost : public InterpreterHost {
 public:
  TestingHost()
      : clock_(EncodeDate(2026, 12, 11) + EncodeTime(9, 30, 0, 0)),
        store_(std::move(*Registry::Open(MakeTempDir() + "registry.db"))),
        logger_(clock_),
        handlers_(MakeStepHandlers({shell_, files_, trash_, &network_, &dial_up_})) {
    logger_.SetLogFile(MakeTempDir() + "RUNVANE.LOG");
    logger_.SetThreshold(0);
    logger_.ToggleActivate(true);
  }

  Dispatcher& MainThread() override { return dispatcher_; }
  TRVLogger* Logger() override { return &logger_; }
  Registry* Store() override { return store_.get(); }
  const Clock& clock() override { return clock_; }
  const StepHandlers& Handlers() override { return handlers_; }
  void NotifySettings(const std::string& text, bool wait) override {
    notifications.push_back(text + (wait ? " [wait]" : ""));
  }
  void StartTask(const std::shared_ptr<RVTask>& task) override { started.push_back(task); }
  void WriteBackTask(const RVTask& copy, const std::string&) override {
    written_back.push_back(copy.TaskName);
  }
  bool ShuttingDown() const override { return shutting_down.load(); }
  std::atomic<bool> shutting_down{false};

  // Runs a task to its end, doing the main thread's share meanwhile.
  int Run(const std::shared_ptr<RVTask>& task) {
    RVTaskInterpreter run(*this, task, nullptr);
    run.Start();
    while (!run.Finished())
      dispatcher_.WaitAndRunPending(std::chrono::milliseconds(5));
    dispatcher_.RunPending();
    return run.FinalStatus();
  }

  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string text = ReadFile(logger_.LogFile());
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      std::string line = text.substr(start, end - start);
      // Drop the "(date time) - " prefix: the clock is fixed, the text matters.
      lines.push_back(line.substr(line.find(") - ") + 4));
      start = end + 1;
    }
    return lines;
  }

  ManualClock clock_;
  ManualDispatcher dispatcher_;
  std::unique_ptr<Registry> store_;
  TRVLogger logger_;
  // The step handlers' platform, faked: nothing is started or touched.
  FakeShell shell_;
  FakeFileOperations files_;
  FakeTrash trash_;
  // Real network clients (tests run loopback servers), quick to give up.
  NetworkClients network_{NetworkTimeouts{5, 10}};
  FakeDialUp dial_up_;
  StepHandlers handlers_;
  std::vector<std::string> notifications;
  std::vector<std::shared_ptr<RVTask>> started;
  std::vector<std::string> written_back;
};

}  // namespace rv::testing
