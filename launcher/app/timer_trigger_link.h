#pragma once

// Puts the timer trigger among the main form's triggers: switched with
// processing, handed the list after every reload. Its scan period is taken
// from the preferences once, at start-up, and kept after later changes.

#include "launcher/app/main_form.h"
#include "launcher/app/trigger.h"
#include "launcher/timer_trigger.h"
#include "platform/message_box.h"

namespace rv {

class TimerTriggerLink final : public Trigger {
 public:
  TimerTriggerLink(TfrmMain& form, MessageBox& boxes, std::unique_ptr<Timer> timer,
                   const Clock& clock)
      : form_(form),
        trigger_(
            std::move(timer), form, form.Threads(),
            [&boxes](const std::string& text, const std::string& caption) {
              return boxes.Ask(MessageRequest{text,
                                              caption,
                                              MessageIcon::Question,
                                              {MessageButton::Yes, MessageButton::No},
                                              std::nullopt,
                                              false}) == MessageButton::Yes;
            },
            clock) {}

  bool Enabled() const override { return trigger_.Active(); }
  void SetEnabled(bool enabled) override { trigger_.ToggleEnable(enabled); }
  void SetTaskList(RVTaskList* list) override {
    if (!scan_time_set_) {
      trigger_.ScanTime = form_.Preferences().ScanTime * 1000;
      scan_time_set_ = true;
    }
    trigger_.SetTaskList(list, &form_.Preferences(), form_.Logger());
  }

  TRVTimerTrigger& RVTTrigger() { return trigger_; }

 private:
  TfrmMain& form_;
  TRVTimerTrigger trigger_;
  bool scan_time_set_ = false;
};

}  // namespace rv
