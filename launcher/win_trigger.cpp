#include "launcher/win_trigger.h"

#include <algorithm>

#include "common/hotkey_text.h"
#include "common/logger.h"
#include "common/task_list.h"
#include "launcher/task_starter.h"
#include "platform/desktop/desktop.h"

namespace rv {

TRVWinTrigger::TRVWinTrigger(TaskStarter& starter, Desktop& desktop)
    : starter_(starter), desktop_(desktop) {}

TRVWinTrigger::~TRVWinTrigger() {
  UnregisterAllHotKeys();
}

void TRVWinTrigger::ToggleActive(bool on) {
  if (on) {
    RegisterHotKeys();
    active_ = true;
  } else {
    UnregisterAllHotKeys();
    active_ = false;
  }
}

void TRVWinTrigger::RegisterHotKeys() {
  if (list_ == nullptr) return;
  for (int32_t i = 0; i < list_->Count(); ++i) {
    const std::shared_ptr<RVTask> task = list_->Item(i);
    if (!task->Active || !task->HasTrigger(TriggerBits::Hotkey)) continue;
    registered_count_ = std::max(registered_count_, i + 1);
    std::string reason = "no hotkey is set";
    if (std::optional<HotkeyText> hotkey = ParseHotkeyText(task->Hotkey)) {
      // The key is what the layout types the character with; one that needs
      // Shift there gives no valid key.
      const std::optional<KeyScan> scan =
          desktop_.VkKeyScan(static_cast<unsigned char>(hotkey->key));
      if (!scan || scan->shift) {
        reason = "the keyboard has no plain key for \"" + std::string(1, hotkey->key) + "\"";
      } else if (Result<void> registered = desktop_.RegisterHotKey(
                     i, HotkeyModifiers{hotkey->ctrl, hotkey->alt, hotkey->shift},
                     scan->virtual_key);
                 registered) {
        continue;
      } else {
        reason = registered.error();
      }
    }
    if (logger_) logger_->LogEvent("Could not set hotkey for task: " + task->TaskName, 90);
    if (logger_) logger_->LogEvent("(!) " + task->TaskName + ": " + reason, 90);
  }
}

void TRVWinTrigger::UnregisterAllHotKeys() {
  const int count = std::max(registered_count_, list_ ? list_->Count() + 1 : 0);
  for (int id = 0; id < count; ++id)
    desktop_.UnregisterHotKey(id);
  registered_count_ = 0;
}

void TRVWinTrigger::HotkeyPressed(int id) {
  if (!active_ || list_ == nullptr || id < 0 || id >= list_->Count()) return;
  const std::shared_ptr<RVTask> task = list_->Item(id);
  if (task->Active && !task->Running) starter_.StartTask(task);
}

void TRVWinTrigger::StartOnEvent(int event_bit, bool needs_active) {
  if (list_ == nullptr) return;
  for (int32_t i = 0; i < list_->Count(); ++i) {
    const std::shared_ptr<RVTask> task = list_->Item(i);
    if (task->HasTrigger(TriggerBits::WindowsEvents) && (task->Events & event_bit) &&
        (!needs_active || task->Active)) {
      starter_.StartTask(task);
    }
  }
}

void TRVWinTrigger::DoTimeChange() {
  StartOnEvent(EventBits::TimeChange, false);
}
void TRVWinTrigger::DoMemChange() {
  StartOnEvent(EventBits::LowMemory, true);
}
void TRVWinTrigger::DoDevChange() {
  StartOnEvent(EventBits::DeviceChange, true);
}
void TRVWinTrigger::DoDispChange() {
  StartOnEvent(EventBits::DisplayChange, true);
}
void TRVWinTrigger::DoPalChange() {
  StartOnEvent(EventBits::PaletteChange, true);
}
void TRVWinTrigger::DoSpoolChange() {
  StartOnEvent(EventBits::SpoolerChange, true);
}

}  // namespace rv
