#pragma once

// Puts the window trigger among the main form's triggers: it polls every
// 750 ms and rebuilds its watch list whenever it is switched on.

#include "launcher/app/main_form.h"
#include "launcher/app/trigger.h"
#include "launcher/window_trigger.h"

namespace rv {

class WindowTriggerLink final : public Trigger {
 public:
  WindowTriggerLink(TfrmMain& form, Desktop& desktop, std::unique_ptr<Timer> timer)
      : form_(form), trigger_(std::move(timer), form, desktop) {
    trigger_.ScanTime = 750;
  }

  bool Enabled() const override { return trigger_.Active(); }
  void SetEnabled(bool enabled) override { trigger_.ToggleState(enabled); }
  void SetTaskList(RVTaskList* list) override {
    trigger_.SetTaskList(list, &form_.Preferences(), form_.Logger());
  }

 private:
  TfrmMain& form_;
  TRVWindowTrigger trigger_;
};

}  // namespace rv
