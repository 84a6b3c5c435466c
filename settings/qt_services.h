#pragma once

// The Qt implementations of the task manager's program starter and file
// dialogs.

#include "settings/file_dialogs.h"
#include "settings/program_starter.h"

class QWidget;

namespace rv {

// Detached processes; the program is looked up in PATH when it has no slash.
class QtProgramStarter final : public ProgramStarter {
 public:
  Result<void> Start(const std::string& program, const std::vector<std::string>& args) override;
};

class QtFileDialogs final : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  std::optional<std::string> Open(const FileDialogRequest& request) override;
  std::optional<std::string> Save(const FileDialogRequest& request) override;

 private:
  QWidget* parent_;
};

}  // namespace rv
