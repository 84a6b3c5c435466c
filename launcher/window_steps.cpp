// FOCUS, SEND and WAIT: the steps that drive the desktop. They work on
// top-level windows by their whole title, without regard to case.

#include <chrono>
#include <thread>

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/send_keys.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/desktop_headless.h"

namespace rv {

namespace {

// Sleeps in slices against a steady deadline; only the launcher's own end
// cuts it short (a terminate request waits for the step, as with PAUSE).
void SleepFor(RVTaskInterpreter& run, std::chrono::milliseconds length) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + length;
  for (Clock::time_point now = Clock::now(); now < end && !run.Host().ShuttingDown();
       now = Clock::now())
    std::this_thread::sleep_for(
        std::min<Clock::duration>(end - now, std::chrono::milliseconds(100)));
}

// An interval of 0 would search without pause; it checks four times a
// second instead, and that time counts towards the timeout.
constexpr std::chrono::milliseconds kZeroIntervalPoll{250};

}  // namespace

void AddWindowSteps(StepHandlers& handlers, const StepServices& services) {
  static HeadlessDesktop no_desktop;
  Desktop* desktop = services.desktop != nullptr ? services.desktop : &no_desktop;

  (void)handlers.Set("FOCUS", [desktop](const std::string& params, RVTaskInterpreter&) {
    std::optional<DesktopWindow> window = desktop->FindWindow(params);
    if (!window) return StepStatus::Failed;
    return desktop->SetForegroundWindow(window->handle) ? StepStatus::Okay : StepStatus::Failed;
  });

  (void)handlers.Set("SEND", [desktop](const std::string& params, RVTaskInterpreter& run) {
    ListAndRest fields = ReadListThenRest(params, 2);
    const int pause_first = ReadInteger(fields.values[0]);
    const int pause = ReadInteger(fields.values[1]);
    // The whole text is read before anything is typed: a bad repeat count
    // fails the step without half of it sent.
    Result<std::vector<KeyAction>> actions = ParseKeystrokes(fields.rest);
    if (!actions) {
      run.LogStepEvent("(!) SEND: " + actions.error(), Severity::Failure);
      return StepStatus::Failed;
    }
    if (pause_first == 1 && pause > 0) SleepFor(run, std::chrono::milliseconds(pause));
    SendKeystrokes(*desktop, *actions);
    return StepStatus::Okay;
  });

  (void)handlers.Set("WAIT", [desktop](const std::string& params, RVTaskInterpreter& run) {
    Result<WaitFields> fields = ScanWait(params);
    if (!fields) {
      run.LogStepEvent("(!) WAIT: " + fields.error(), Severity::Failure);
      return StepStatus::Failed;
    }
    long long timeout_ms = static_cast<long long>(ReadInteger(fields->timeout)) * 1000;
    if (fields->unit == "1") timeout_ms *= 60;
    const int interval = ReadInteger(fields->interval);
    const int outcome = ReadInteger(fields->outcome);
    const std::chrono::milliseconds step =
        interval > 0 ? std::chrono::milliseconds(static_cast<long long>(interval) * 1000)
                     : kZeroIntervalPoll;
    // A timeout of 0 makes no search: the window counts as not found.
    std::optional<DesktopWindow> found;
    for (long long elapsed = 0; elapsed < timeout_ms && !run.Host().ShuttingDown();
         elapsed += step.count()) {
      found = desktop->FindWindow(fields->title);
      if (found && found->visible) break;
      SleepFor(run, step);
    }
    if (found) return StepStatus::Okay;
    switch (outcome) {
      case 1:
        return StepStatus::Failed;
      case 2:
        return StepStatus::Okay;
      case 0:
        run.RequestChain(fields->task);
        return StepStatus::StopTask;
      default:
        return StepStatus::Failed;
    }
  });
}

}  // namespace rv
