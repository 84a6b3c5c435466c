#include "settings/recording_session.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/virtual_key.h"
#include "platform/journal_control.h"

namespace rv {
namespace {
constexpr HotkeyModifiers kStopModifiers{.ctrl = true, .alt = true, .shift = false};
}

RecordingSession::RecordingSession(JournalControl& journal, Desktop& desktop,
                                   Dispatcher& main_thread)
    : journal_(journal), desktop_(desktop), main_thread_(main_thread) {}

RecordingSession::~RecordingSession() {
  on_ended = nullptr;
  End();
}

Result<void> RecordingSession::Start(const std::string& file) {
  if (recording_) return MakeError("a recording is already running");
  if (Result<void> registered = desktop_.RegisterHotKey(kStopHotkeyId, kStopModifiers, vk::F12);
      !registered) {
    return MakeError("Ctrl+Alt+F12 cannot be used to stop a recording (" + registered.error() +
                     "); the recording was not started.");
  }
  journal_.SetRecordFileName(file);
  journal_.StartRecord();
  recording_ = true;
  return {};
}

void RecordingSession::ListenForStop() {
  if (!recording_ || listening_) return;
  listening_ = true;
  desktop_.Listen(main_thread_, DesktopEvents{[this](int id) {
                                                if (id == kStopHotkeyId) End();
                                              },
                                              {}});
}

void RecordingSession::End() {
  if (!recording_) return;
  recording_ = false;
  journal_.StopRecord();
  if (listening_) {
    listening_ = false;
    desktop_.Listen(main_thread_, DesktopEvents{});
  }
  desktop_.UnregisterHotKey(kStopHotkeyId);
  if (on_ended) on_ended();
}

RecordButtons RecordingSession::Buttons() const {
  return recording_ ? RecordButtons{false, true, false} : RecordButtons{};
}

}  // namespace rv
