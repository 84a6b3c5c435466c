// BEGINLOOP marks where a block starts; ENDLOOP jumps back to it until the
// block has run its count of passes. One set of loop fields serves a run, so
// blocks do not nest.

#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"

namespace rv {

void AddLoopSteps(StepHandlers& handlers) {
  (void)handlers.Set("BEGINLOOP", [](const std::string&, RVTaskInterpreter& run) {
    run.loop_start = run.CurrentStep();
    run.LogStepEvent("Begin loop block at line " + std::to_string(run.CurrentStep()), 0);
    return StepStatus::Okay;
  });
  (void)handlers.Set("ENDLOOP", [](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    run.loop_count = ReadInteger(NextParam(rest));
    ++run.loop_pass;
    if (run.loop_start == -1) {
      run.LogStepEvent("Illegal loop block", 90);
      return StepStatus::Failed;
    }
    if (run.loop_pass < run.loop_count) {
      run.SetCurrentStep(run.loop_start);
    } else {
      run.loop_pass = 0;
    }
    return StepStatus::Okay;
  });
}

StepHandlers MakeStepHandlers(const StepServices& services) {
  StepHandlers handlers;
  AddLoopSteps(handlers);
  AddProgramSteps(handlers, services);
  AddFileSteps(handlers, services);
  AddPauseStep(handlers);
  AddScriptStep(handlers, services);
  AddWindowSteps(handlers, services);
  AddFtpSteps(handlers, services);
  AddMailSteps(handlers, services);
  AddMessageSteps(handlers, services);
  AddSoundStep(handlers, services);
  AddDdeStep(handlers, services);
  AddOsStep(handlers, services);
  return handlers;
}

}  // namespace rv
