// DDE sends one command to another program's DDE server and waits until the
// server has handled it; the step succeeds when the command was accepted.

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/dde_client.h"

namespace rv {

void AddDdeStep(StepHandlers& handlers, const StepServices& services) {
  dde::Client* client = services.dde;
  (void)handlers.Set("DDE", [client](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    const std::string service = NextParam(rest);
    const std::string topic = NextParam(rest);
    const std::string command = NextParam(rest);
    if (client == nullptr) {
      run.LogStepEvent("(!) DDE: this launcher cannot send DDE commands", Severity::Failure);
      return StepStatus::Failed;
    }
    const Result<void> sent = client->Execute(service, topic, command, dde::Wait::Yes);
    if (!sent) {
      run.LogStepEvent("DDE: " + service + "|" + topic + ": " + sent.error(), Severity::Notice);
      return StepStatus::Failed;
    }
    return StepStatus::Okay;
  });
}

}  // namespace rv
