#pragma once

// Copying, moving, deleting and renaming files and directories, and the
// directory steps. Every call either does its whole job or fails with a
// reason that names the path; a path longer than the system allows is
// refused, never cut.
//
// Sources of Copy, Move and Delete may hold the wildcards "*" and "?" in
// their last name (see wildcard.h); a pattern that matches nothing is not an
// error, a plain source that does not exist is.

#include <string>

#include "platform/result.h"
#include "platform/trash.h"

namespace rv {

class FileOperations {
 public:
  virtual ~FileOperations() = default;

  // The destination is a directory when it exists as one, ends with "/", or
  // the source has wildcards: what the source names goes into it under its
  // own name. Otherwise it is the new name of the one source. Missing
  // directories of the destination are created; existing files are
  // replaced without a question; directories are copied with everything in
  // them and merged into existing ones.
  virtual Result<void> Copy(const std::string& source, const std::string& destination) = 0;
  // As Copy, then the source is gone. Across file systems the source is
  // removed only after its copy is complete.
  virtual Result<void> Move(const std::string& source, const std::string& destination) = 0;
  // Everything the source names goes to `trash`.
  virtual Result<void> Delete(const std::string& source, Trash& trash) = 0;
  // A new name or place for one file or directory; never replaces an
  // existing entry and creates no directories.
  virtual Result<void> Rename(const std::string& from, const std::string& to) = 0;
  // Creates the last name of the path only: the parent must exist.
  virtual Result<void> MakeDirectory(const std::string& path) = 0;
  // Removes an empty directory.
  virtual Result<void> RemoveDirectory(const std::string& path) = 0;
  // The current directory of the whole process.
  virtual Result<void> ChangeDirectory(const std::string& path) = 0;
};

}  // namespace rv
