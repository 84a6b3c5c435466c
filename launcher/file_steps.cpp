// The file and directory steps. Each fails its step when the operation
// fails, after logging why; CD never fails a task, it only logs.

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"

namespace rv {
namespace {

int StatusOf(RVTaskInterpreter& run, const char* keyword, const Result<void>& result) {
  if (result) return StepStatus::Okay;
  run.LogStepEvent("(!) " + std::string(keyword) + ": " + result.error(), Severity::Failure);
  return StepStatus::Failed;
}

}  // namespace

void AddFileSteps(StepHandlers& handlers, const StepServices& services) {
  // Pointers, copied into each handler: the services outlive the table.
  FileOperations* files = &services.files;
  Trash* trash = &services.trash;
  using Operation = Result<void> (FileOperations::*)(const std::string&, const std::string&);
  auto two_paths = [&](const char* keyword, Operation operation) {
    (void)handlers.Set(
        keyword, [files, keyword, operation](const std::string& params, RVTaskInterpreter& run) {
          std::string rest = params;
          const std::string first = NextParam(rest);
          const std::string second = NextParam(rest);
          return StatusOf(run, keyword, (files->*operation)(first, second));
        });
  };
  two_paths("COPY", &FileOperations::Copy);
  two_paths("MOVE", &FileOperations::Move);
  two_paths("RENAME", &FileOperations::Rename);

  (void)handlers.Set("DELETE", [files, trash](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    return StatusOf(run, "DELETE", files->Delete(NextParam(rest), *trash));
  });
  (void)handlers.Set("MAKEDIR", [files](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    return StatusOf(run, "MAKEDIR", files->MakeDirectory(NextParam(rest)));
  });
  (void)handlers.Set("REMDIR", [files](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    return StatusOf(run, "REMDIR", files->RemoveDirectory(NextParam(rest)));
  });
  (void)handlers.Set("CD", [files](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    if (Result<void> changed = files->ChangeDirectory(NextParam(rest)); !changed)
      run.LogStepEvent("CD: " + changed.error(), Severity::Notice);
    return StepStatus::Okay;
  });
}

}  // namespace rv
