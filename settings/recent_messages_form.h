#pragma once

// The Recent Status Messages window: the launcher's last 51 messages, with
// Clear, Save As, Print and Close. Hiding it in any way is reported through
// on_hidden, so the main window can uncheck its menu item.

#include <QMainWindow>
#include <functional>

#include "platform/result.h"

#include "settings/recent_messages.h"

class QAction;
class QPlainTextEdit;

namespace rv {

class FileDialogs;
class MessageBox;

class TfrmRecentMessages final : public QMainWindow {
  Q_OBJECT

 public:
  TfrmRecentMessages(MessageBox& messages, FileDialogs& dialogs, QWidget* parent = nullptr);

  void AddMessage(const std::string& text);
  const RecentMessages& Messages() const { return lines_; }

  void itmClearClick();
  // Errors are the caller's to show; the lines stay either way.
  Result<void> itmSaveAsClick();
  void itmPrintClick();
  void itmCloseClick() { hide(); }

  // "Runvane Status Messages (" date and time ")".
  static QString PrintTitle();

  std::function<void()> on_hidden;
  std::function<void(const std::string& error)> on_error;

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void Show();

  MessageBox& message_box_;
  FileDialogs& dialogs_;
  RecentMessages lines_;
  QPlainTextEdit* memMessages = nullptr;
};

}  // namespace rv
