#pragma once

// Puts the hotkey and system-event trigger among the main form's triggers
// and connects it to its sources: the desktop's hotkeys and screen changes,
// the clock being set, and the application's palette changing. The events
// reach it whether processing is on or off.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "launcher/app/main_form.h"
#include "launcher/app/trigger.h"
#include "launcher/win_trigger.h"
#include "platform/desktop/desktop.h"
#include "platform/system_event_watches.h"
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
      unavailable_.push_back("time changes (" + watch.error() + ")");
    }
    if (Result<DeviceChangeWatch> devices = DeviceChangeWatch::Open(); devices) {
      device_watch_ = std::make_unique<DeviceChangeWatch>(std::move(*devices));
      device_notifier_ =
          std::make_unique<QSocketNotifier>(device_watch_->fd(), QSocketNotifier::Read);
      // Plugging in one device sends a burst of events: one change for all.
      device_burst_.setSingleShot(true);
      device_burst_.setInterval(500);
      QObject::connect(&device_burst_, &QTimer::timeout, [this] { trigger_.DoDevChange(); });
      QObject::connect(device_notifier_.get(), &QSocketNotifier::activated, [this] {
        if (device_watch_->Drain() && !device_burst_.isActive()) device_burst_.start();
      });
    } else {
      unavailable_.push_back("device changes (" + devices.error() + ")");
    }
    memory_watch_ = std::make_unique<MemoryPressureWatch>(MemoryPressureWatch::Open());
    if (memory_watch_->fd() >= 0) {
      memory_notifier_ =
          std::make_unique<QSocketNotifier>(memory_watch_->fd(), QSocketNotifier::Exception);
      QObject::connect(memory_notifier_.get(), &QSocketNotifier::activated,
                       [this] { trigger_.DoMemChange(); });
    } else {
      memory_poll_.setInterval(5000);
      QObject::connect(&memory_poll_, &QTimer::timeout, [this] {
        if (memory_watch_->LowOnMemory()) trigger_.DoMemChange();
      });
      memory_poll_.start();
    }
    unavailable_.push_back("print spooler changes (not watched yet)");
    QCoreApplication::instance()->installEventFilter(this);
  }

  // The event sources this session cannot offer, for one log line each.
  const std::vector<std::string>& UnavailableSources() const { return unavailable_; }
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
  std::unique_ptr<DeviceChangeWatch> device_watch_;
  std::unique_ptr<QSocketNotifier> device_notifier_;
  QTimer device_burst_;
  std::unique_ptr<MemoryPressureWatch> memory_watch_;
  std::unique_ptr<QSocketNotifier> memory_notifier_;
  QTimer memory_poll_;
  std::vector<std::string> unavailable_;
};

}  // namespace rv
