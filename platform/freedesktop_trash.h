#pragma once

// The user's trash as desktops share it: the entry goes to Trash/files/NAME
// and Trash/info/NAME.trashinfo records its absolute path (percent-encoded)
// and the local deletion time, so any desktop's file manager can restore it.
// NAME is the entry's own name, or "stem.N.ext" when that is taken; the info
// file is created first and exclusively, so two deletions never pick one name.
//
// Everything goes to the home trash. An entry on another file system is
// copied there and then removed (the copy is complete before anything is
// removed), rather than put in a trash folder at the top of its own file
// system.

#include <string>

#include "platform/trash.h"

namespace rv {

class FreedesktopTrash final : public Trash {
 public:
  // `trash_directory` empty: $XDG_DATA_HOME/Trash (default
  // ~/.local/share/Trash), looked up at every call.
  explicit FreedesktopTrash(std::string trash_directory = {});

  Result<void> MoveToTrash(const std::string& path) override;

  // The trash folder the next call would use.
  std::string Directory() const;

 private:
  std::string trash_directory_;
};

// "/a b/ü" as "/a%20b/%C3%BC": every byte but letters, digits, "-._~/" is
// encoded, as the Path= key wants.
std::string EncodeTrashPath(const std::string& path);

}  // namespace rv
