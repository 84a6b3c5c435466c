#pragma once

// The handlers the launcher's interpreter runs, by keyword. Each family of
// steps registers its own; a keyword without a handler fails its step.

#include "common/step_keywords.h"
#include "launcher/interpreter_host.h"

namespace rv {

// Every handler the launcher has.
StepHandlers MakeStepHandlers();

// The loop block: BEGINLOOP and ENDLOOP.
void AddLoopSteps(StepHandlers& handlers);

}  // namespace rv
