// MESSAGE shows a message box and waits for it; REMINDER shows the reminder
// dialog until the user switches it off, waiting out each snooze between.
// Both dialogs are shown on the main thread while the step's thread waits,
// so several tasks can each have theirs open at the same time.

#include "launcher/message_steps.h"

#include <thread>

#include "common/date_time.h"
#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/reminder_dialog.h"
#include "launcher/task_interpreter.h"
#include "platform/dispatcher.h"
#include "platform/message_box.h"

namespace rv {
namespace {

constexpr const char* kMessageCaption = "Runvane Message";

void SleepUnlessEnding(std::chrono::milliseconds length, RVTaskInterpreter& run) {
  // Against a steady deadline, in slices, so a changed wall clock does not
  // stretch the snooze and the launcher's end cuts it short.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + length;
  for (Clock::time_point now = Clock::now(); now < end && !run.Host().ShuttingDown();
       now = Clock::now())
    std::this_thread::sleep_for(
        std::min<Clock::duration>(end - now, std::chrono::milliseconds(100)));
}

}  // namespace

Result<std::chrono::milliseconds> SnoozeLength(const std::string& hours,
                                               const std::string& minutes) {
  std::int64_t total = 0;
  for (const auto& [text, factor] : {std::pair{&hours, 60}, std::pair{&minutes, 1}}) {
    if (text->empty()) continue;
    Result<int> value = ParseInteger(*text);
    if (!value) return MakeError("the snooze time: " + value.error());
    if (*value < 0) return MakeError("the snooze time cannot be negative");
    total += static_cast<std::int64_t>(*value) * factor;
  }
  return std::chrono::milliseconds(total * 60000);
}

void AddMessageSteps(StepHandlers& handlers, const StepServices& services, SnoozeWait wait) {
  MessageBox* box = services.message_box;
  ReminderDialog* reminder = services.reminder;
  if (!wait) wait = SleepUnlessEnding;

  (void)handlers.Set("MESSAGE", [box](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    MessageRequest request;
    request.text = NextParam(rest);
    request.caption = kMessageCaption;
    // Any flag but "0" brings the box to the front.
    request.topmost = NextParam(rest) != "0";
    if (box == nullptr) {
      run.LogStepEvent("[" + request.caption + "] " + request.text + " (no display)",
                       Severity::Notice);
      return StepStatus::Okay;
    }
    run.Host().MainThread().runAndWait([&] { (void)box->Ask(request); });
    return StepStatus::Okay;
  });

  (void)handlers.Set(
      "REMINDER", [reminder, wait](const std::string& params, RVTaskInterpreter& run) {
        std::string rest = params;
        ReminderContent content;
        content.text = NextParam(rest);
        content.minutes = NextParam(rest);
        // The launch that started this run, not the list entry's next one.
        content.time = FormatLongTime(run.Task().LaunchDateTime);
        content.date = FormatShortDate(run.Task().LaunchDateTime);
        for (;;) {
          if (reminder == nullptr) {
            run.LogStepEvent("[Runvane Reminder] " + content.text + " (no display: switched off)",
                             Severity::Notice);
            break;
          }
          ReminderAnswer answer;
          run.Host().MainThread().runAndWait([&] { answer = reminder->Show(content); });
          if (!answer.snooze) break;
          Result<std::chrono::milliseconds> snooze = SnoozeLength(answer.hours, answer.minutes);
          if (!snooze) {
            // The reminder must not be lost to a typing slip: it comes back.
            run.LogStepEvent("REMINDER: " + snooze.error() + "; reminding again at once",
                             Severity::Notice);
            continue;
          }
          run.LogStepEvent(
              "REMINDER: snoozed for " + std::to_string(snooze->count() / 60000) + " minutes",
              Severity::Detail);
          wait(*snooze, run);
          if (run.Host().ShuttingDown()) break;
        }
        return StepStatus::Okay;
      });
}

void AddMessageSteps(StepHandlers& handlers, const StepServices& services) {
  AddMessageSteps(handlers, services, {});
}

}  // namespace rv
