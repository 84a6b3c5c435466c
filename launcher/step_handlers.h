#pragma once

// The handlers the launcher's interpreter runs, by keyword. Each family of
// steps registers its own; a keyword without a handler fails its step.

#include "common/step_keywords.h"
#include "launcher/interpreter_host.h"
#include "launcher/step_services.h"

namespace rv {

// Every handler the launcher has, working through `services`.
StepHandlers MakeStepHandlers(const StepServices& services);
// The same with this system's real services (LinuxStepServices()).
StepHandlers MakeStepHandlers();

// The loop block: BEGINLOOP and ENDLOOP.
void AddLoopSteps(StepHandlers& handlers);

// START, OPEN, PRINT.
void AddProgramSteps(StepHandlers& handlers, const StepServices& services);
// COPY, MOVE, DELETE, RENAME, MAKEDIR, REMDIR, CD.
void AddFileSteps(StepHandlers& handlers, const StepServices& services);
// PAUSE.
void AddPauseStep(StepHandlers& handlers);
// SCRIPT.
void AddScriptStep(StepHandlers& handlers, const StepServices& services);
// FOCUS, SEND, WAIT.
void AddWindowSteps(StepHandlers& handlers, const StepServices& services);
// The twelve FTP steps.
void AddFtpSteps(StepHandlers& handlers, const StepServices& services);
// SMTP, POP, INTERNET.
void AddMailSteps(StepHandlers& handlers, const StepServices& services);
// MESSAGE, REMINDER (snoozes wait in real time; see message_steps.h).
void AddMessageSteps(StepHandlers& handlers, const StepServices& services);
// SOUND.
void AddSoundStep(StepHandlers& handlers, const StepServices& services);
// DDE.
void AddDdeStep(StepHandlers& handlers, const StepServices& services);
// OS.
void AddOsStep(StepHandlers& handlers, const StepServices& services);

}  // namespace rv
