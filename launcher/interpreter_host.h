#pragma once

// What an interpreter thread needs of the launcher around it. The launcher's
// main form implements it; tests use a fake. Calls marked "main thread" are
// made there by the interpreter through MainThread().runAndWait.

#include <memory>
#include <string>

#include "common/clock.h"
#include "launcher/task_starter.h"

namespace rv {

class Dispatcher;
class Registry;
class RVTask;
class TRVLogger;
class RVTaskInterpreter;
template <typename Context>
class StepDispatch;

using StepHandlers = StepDispatch<RVTaskInterpreter>;

class InterpreterHost : public TaskStarter {
 public:
  virtual ~InterpreterHost() = default;

  virtual Dispatcher& MainThread() = 0;
  // May be null: then nothing is logged.
  virtual TRVLogger* Logger() = 0;
  // The store that holds the running set.
  virtual Registry* Store() = 0;
  virtual const Clock& clock() = 0;
  virtual const StepHandlers& Handlers() = 0;

  // Main thread. Sends one command to the task manager, only when it runs.
  virtual void NotifySettings(const std::string& text, bool wait) = 0;
  // Main thread. Starts a task the way every trigger does (chaining).
  void StartTask(const std::shared_ptr<RVTask>& task) override = 0;
  // Interpreter thread, after a run with script steps: writes the task copy
  // back to the task file, into the record named `started_as`.
  virtual void WriteBackTask(const RVTask& copy, const std::string& started_as) = 0;

  // True once the launcher is ending: steps that wait (a pause) give up
  // instead of keeping the launcher from quitting.
  virtual bool ShuttingDown() const { return false; }
};

}  // namespace rv
