#pragma once

// The launcher's "Event Log" window: the lines of the log file as they are
// written. It is created hidden and shows itself at start-up when it was
// open at the last exit; its place and size are kept in the preferences.

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace rv {

class RVPreferences;

class TfrmEventLog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMinimumWidth = 297;
  static constexpr int kMinimumHeight = 261;

  explicit TfrmEventLog(RVPreferences& preferences, QWidget* parent = nullptr);

  // Appends each text as one line.
  void AppendLines(const std::vector<std::string>& lines);

  QPlainTextEdit* memLog() const { return memLog_; }
  QPushButton* comClose() const { return comClose_; }

  // Escape closes the window like the button does, storing its place.
  void reject() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void FormResize();
  void FormClose();

  RVPreferences& preferences_;
  QPlainTextEdit* memLog_;
  QPushButton* comClose_;
};

}  // namespace rv
