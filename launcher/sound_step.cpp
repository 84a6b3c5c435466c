// SOUND plays a sound file and returns at once (mode 0), plays it and waits
// for its end (mode 1), or stops the sound playing (mode 2). A file that
// cannot be played and any other mode fail the step.

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/sound.h"

namespace rv {

void AddSoundStep(StepHandlers& handlers, const StepServices& services) {
  Sound* sound = services.sound;
  (void)handlers.Set("SOUND", [sound](const std::string& params, RVTaskInterpreter& run) {
    Result<SoundFields> fields = ScanSound(params);
    if (!fields) {
      run.LogStepEvent("(!) SOUND: " + fields.error(), Severity::Failure);
      return StepStatus::Failed;
    }
    if (fields->mode != "0" && fields->mode != "1" && fields->mode != "2") {
      run.LogStepEvent("(!) SOUND: the mode must be 0, 1 or 2, found \"" + fields->mode + "\"",
                       Severity::Failure);
      return StepStatus::Failed;
    }
    if (sound == nullptr) {
      run.LogStepEvent("(!) SOUND: this launcher has no sound player", Severity::Failure);
      return StepStatus::Failed;
    }
    if (fields->mode == "2") {
      sound->Stop();
      return StepStatus::Okay;
    }
    const Result<void> played =
        fields->mode == "0" ? sound->PlayAsync(fields->file) : sound->PlaySync(fields->file);
    if (!played) {
      run.LogStepEvent("(!) SOUND: " + played.error(), Severity::Failure);
      return StepStatus::Failed;
    }
    return StepStatus::Okay;
  });
}

}  // namespace rv
