#pragma once

// File operations on the local file systems. Copies keep the permission
// bits and the modification time. Each file is written to a temporary name
// beside its target and renamed over it when complete, so a failed copy
// never leaves a half-written file or destroys the one it was to replace.
// A link named as a source (or matched by a pattern) is followed by Copy;
// links inside a copied directory are copied as links, so a link loop
// cannot make a copy endless. Move, Delete and Rename work on the entry
// itself.

#include "platform/file_operations.h"

namespace rv {

class LinuxFileOperations final : public FileOperations {
 public:
  Result<void> Copy(const std::string& source, const std::string& destination) override;
  Result<void> Move(const std::string& source, const std::string& destination) override;
  Result<void> Delete(const std::string& source, Trash& trash) override;
  Result<void> Rename(const std::string& from, const std::string& to) override;
  Result<void> MakeDirectory(const std::string& path) override;
  Result<void> RemoveDirectory(const std::string& path) override;
  Result<void> ChangeDirectory(const std::string& path) override;
};

}  // namespace rv
