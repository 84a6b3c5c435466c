#pragma once

// The file dialogs of the task manager's windows, so that tests can answer
// them. Nothing means the user cancelled.

#include <optional>
#include <string>

namespace rv {

struct FileDialogRequest {
  std::string caption;
  // Qt filter text: "Runvane Taskfile (*.rvd);;All files (*)".
  std::string filter;
  // Suffix added to a typed name that has none ("rvd").
  std::string default_suffix;
  // Open: the file must exist. Save: only its directory must.
  bool must_exist = true;
  // Save: ask before replacing an existing file.
  bool confirm_overwrite = false;
  // Open of a file that need not exist: ask before taking a name that does
  // not exist yet.
  bool confirm_create = false;
  // The name the dialog starts with; empty: none.
  std::string initial_file = {};
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::string> Open(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> Save(const FileDialogRequest& request) = 0;
};

}  // namespace rv
