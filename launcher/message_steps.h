#pragma once

// MESSAGE and REMINDER, with the wait between two showings of a snoozed
// reminder replaceable, so tests need not wait minutes.

#include <chrono>
#include <functional>

#include "launcher/step_handlers.h"

namespace rv {

// Waits out a snooze; returns early when the launcher is ending.
using SnoozeWait = std::function<void(std::chrono::milliseconds snooze, RVTaskInterpreter& run)>;

void AddMessageSteps(StepHandlers& handlers, const StepServices& services, SnoozeWait wait);

// The snooze in milliseconds for the boxes' texts: hours × 60 + minutes
// minutes. An empty box counts as 0; anything but digits is an error.
Result<std::chrono::milliseconds> SnoozeLength(const std::string& hours,
                                               const std::string& minutes);

}  // namespace rv
