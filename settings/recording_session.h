#pragma once

// One recording of the desktop's mouse and keyboard input into a file: from
// the Record page's "Start Recording" to the stop hotkey Ctrl+Alt+F12 or the
// closing of the recording dialog, whichever comes first.
//
// Start registers the hotkey and starts the journal control; the dialog,
// once shown, takes the desktop's events (ListenForStop), so the hotkey
// reaches this session on the main thread. End stops the recording, gives
// the desktop's events and the hotkey back and reports through on_ended;
// it does so once, however often it is called.

#include <functional>
#include <string>

#include "platform/result.h"

namespace rv {

class Desktop;
class Dispatcher;
class JournalControl;

// What the Record page's three buttons offer.
struct RecordButtons {
  bool start = true;
  bool stop = false;
  bool playback = true;
  bool operator==(const RecordButtons&) const = default;
};

class RecordingSession {
 public:
  static constexpr int kStopHotkeyId = 9999;

  // All three must outlive the session.
  RecordingSession(JournalControl& journal, Desktop& desktop, Dispatcher& main_thread);
  // Ends a recording still running.
  ~RecordingSession();
  RecordingSession(const RecordingSession&) = delete;
  RecordingSession& operator=(const RecordingSession&) = delete;

  // Fails, with nothing started, when the hotkey cannot be registered: a
  // recording the user could not stop as the dialog says is not begun.
  Result<void> Start(const std::string& file);
  // From now on the stop hotkey ends the recording. Other desktop events
  // are not wanted while recording.
  void ListenForStop();
  void End();

  bool Recording() const { return recording_; }
  RecordButtons Buttons() const;

  std::function<void()> on_ended;

 private:
  JournalControl& journal_;
  Desktop& desktop_;
  Dispatcher& main_thread_;
  bool recording_ = false;
  bool listening_ = false;
};

}  // namespace rv
