#pragma once

// The task-file chooser of the start-up: create a new empty task file or
// open an existing one. Result() is the chosen file's full path, or empty
// when the user gave up.

#include <QDialog>
#include <functional>
#include <string>

class QPushButton;

namespace rv {

class FileDialogs;
class MessageBox;

class TfrmGetTaskFile final : public QDialog {
  Q_OBJECT

 public:
  TfrmGetTaskFile(MessageBox& messages, FileDialogs& dialogs, QWidget* parent = nullptr);

  const std::string& Result() const { return result_; }
  // Empties the result before each showing.
  int exec() override;

  void comNewClick();
  void comOpenClick();
  void comCancelClick();

  // A new file that cannot be written; the chooser still closes with its
  // path as the result.
  std::function<void(const std::string& error)> on_error;

  QPushButton* comNew = nullptr;
  QPushButton* comOpen = nullptr;
  QPushButton* comCancel = nullptr;

 protected:
  void reject() override;

 private:
  MessageBox& message_box_;
  FileDialogs& dialogs_;
  std::string result_;
};

}  // namespace rv
