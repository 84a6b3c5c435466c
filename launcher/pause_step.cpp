#include "launcher/pause_step.h"

#include <string>
#include <thread>

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"

namespace rv {

Result<PauseLength> ReadPauseLength(std::string_view text) {
  struct Unit {
    std::string_view word;
    std::int64_t milliseconds;
  };
  for (const Unit unit : {Unit{"minute", 60000}, Unit{"millisecond", 1}, Unit{"second", 1000}}) {
    const std::size_t at = text.find(unit.word);
    if (at == std::string_view::npos) continue;
    const std::string_view count_text = text.substr(0, at);
    Result<int> count = ParseInteger(count_text);
    if (!count) {
      return MakeError("the pause \"" + std::string(text) + "\" needs a count of " +
                       std::string(unit.word) + "s: " + count.error());
    }
    if (*count < 0) return MakeError("the pause \"" + std::string(text) + "\" cannot be negative");
    // In 64 bits: an int count of minutes overflows 32.
    return PauseLength{std::chrono::milliseconds(*count * unit.milliseconds), true};
  }
  return PauseLength{};
}

void AddPauseStep(StepHandlers& handlers) {
  (void)handlers.Set("PAUSE", [](const std::string& params, RVTaskInterpreter& run) {
    Result<PauseLength> length = ReadPauseLength(params);
    if (!length) {
      run.LogStepEvent("(!) PAUSE: " + length.error(), Severity::Failure);
      return StepStatus::Failed;
    }
    if (!length->has_unit) {
      run.LogStepEvent("PAUSE: no unit (\"seconds\", \"minutes\" or \"milliseconds\") in \"" +
                           params + "\"; no pause",
                       Severity::Notice);
    }
    // A terminate request takes effect after the step, so the pause runs to
    // its end; only the launcher's own end cuts it short. Sleeping in slices
    // against a steady deadline keeps it exact when the wall clock is changed
    // meanwhile.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + length->duration;
    for (Clock::time_point now = Clock::now(); now < end && !run.Host().ShuttingDown();
         now = Clock::now())
      std::this_thread::sleep_for(
          std::min<Clock::duration>(end - now, std::chrono::milliseconds(100)));
    return StepStatus::Okay;
  });
}

}  // namespace rv
