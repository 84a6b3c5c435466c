#pragma once

// The small "Recording" window shown modally while a recording runs, near
// the bottom right of the screen. Showing it lets the stop hotkey end the
// recording; the hotkey or closing the window in any way ends it, closes
// the window and brings the minimised application back.

#include <QDialog>

class QLabel;

namespace rv {

class RecordingSession;

class TfrmRecordMouse final : public QDialog {
  Q_OBJECT

 public:
  // The session must be started and outlive the dialog.
  explicit TfrmRecordMouse(RecordingSession& session, QWidget* parent = nullptr);
  ~TfrmRecordMouse() override;

  // Where the window goes on a screen of that size.
  static QPoint PlaceFor(const QRect& screen);

  // Closing by any way (Esc, the close box, the hotkey) comes here.
  void done(int result) override;

  QLabel* lblInfo = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void RestoreApplication();

  RecordingSession& session_;
};

}  // namespace rv
