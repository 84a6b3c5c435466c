#pragma once

// Puts the hotkey and system-event trigger among the main form's triggers
// and connects it to its sources: the desktop's hotkeys and screen changes,
// the clock being set, and the application's palette changing. The events
// reach it whether processing is on or off.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "launcher/app/main_form.h"
#include "launcher/app/trigger.h"
#include "launcher/win_trigger.h"
#include "platform/desktop/desktop.h"
#include "platform/time_change_watch.h"

namespace rv {

class WinTriggerLink final : public QObject, public Trigger {
 public:
  WinTriggerLink(TfrmMain& form, Desktop& desktop, Dispatcher& main_thread)
      : form_(form), desktop_(desktop), trigger_(form, desktop) {
    desktop_.Listen(main_thread, DesktopEvents{[this](int id) { trigger_.HotkeyPressed(id); },
                                               [this] { trigger_.DoDispChange(); }});
    if (Result<TimeChangeWatch> watch = TimeChangeWatch::Open(); watch) {
      time_watch_ = std::make_unique<TimeChangeWatch>(std::move(*watch));
      time_notifier_ = std::make_unique<QSocketNotifier>(time_watch_->fd(), QSocketNotifier::Read);
      QObject::connect(time_notifier_.get(), &QSocketNotifier::activated, [this] {
        if (time_watch_->ClockWasSet()) trigger_.DoTimeChange();
      });
    } else {
      form_.Logger()->LogEvent("Time changes cannot be watched: " + watch.error(), 20);
    }
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~WinTriggerLink() override {
    desktop_.Listen(form_.MainThread(), DesktopEvents{});
    trigger_.UnregisterAllHotKeys();
  }

  bool Enabled() const override { return trigger_.Active(); }
  void SetEnabled(bool enabled) override { trigger_.ToggleActive(enabled); }
  void SetTaskList(RVTaskList* list) override { trigger_.SetTaskList(list, form_.Logger()); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // The application hears of a new colour scheme or theme once.
    if (watched == QCoreApplication::instance() &&
        event->type() == QEvent::ApplicationPaletteChange) {
      trigger_.DoPalChange();
    }
    return false;
  }

 private:
  TfrmMain& form_;
  Desktop& desktop_;
  TRVWinTrigger trigger_;
  std::unique_ptr<TimeChangeWatch> time_watch_;
  std::unique_ptr<QSocketNotifier> time_notifier_;
};

}  // namespace rv
