// START, OPEN and PRINT hand a program or document to the shell. They never
// fail a task: a program that cannot be started is logged and the task goes
// on, as tasks written for this system expect.

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"

namespace rv {
namespace {

// The text up to and including the last "/"; empty when there is none.
std::string DirectoryPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void LogShellFailure(RVTaskInterpreter& run, const char* keyword, const Result<void>& result) {
  if (!result) run.LogStepEvent(std::string(keyword) + ": " + result.error(), Severity::Notice);
}

}  // namespace

void AddProgramSteps(StepHandlers& handlers, const StepServices& services) {
  // A pointer, copied into each handler: the services outlive the table.
  Shell* shell = &services.shell;
  (void)handlers.Set("START", [shell](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    const std::string program = NextParam(rest);
    const std::string parameters = NextParam(rest);
    const int state = ReadInteger(NextParam(rest));
    std::string directory = NextParam(rest);
    if (directory.empty()) directory = DirectoryPart(program);
    // A state outside the table asks for nothing to be started.
    if (state < 0 || state > 3) return StepStatus::Okay;
    LogShellFailure(run, "START",
                    shell->Open(program, parameters, directory, static_cast<WindowState>(state)));
    return StepStatus::Okay;
  });
  (void)handlers.Set("OPEN", [shell](const std::string& params, RVTaskInterpreter& run) {
    const std::string path = QuotedWholeText(params);
    LogShellFailure(run, "OPEN", shell->Open(path, "", DirectoryPart(path), WindowState::Normal));
    return StepStatus::Okay;
  });
  (void)handlers.Set("PRINT", [shell](const std::string& params, RVTaskInterpreter& run) {
    LogShellFailure(run, "PRINT", shell->Print(QuotedWholeText(params)));
    return StepStatus::Okay;
  });
}

}  // namespace rv
