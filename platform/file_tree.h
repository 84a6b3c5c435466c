#pragma once

// Copying and removing whole trees, shared by the file operations and the
// trash. Files are written under a temporary name beside their target and
// renamed over it when complete (see linux_file_operations.h).

#include <string>

#include "platform/result.h"

namespace rv {

// Whether a link given as the source itself is followed; links inside a
// copied directory are always copied as links.
enum class SourceLink { Follow, Keep };

// Copies the file, link or directory `source` to exactly `target`, merging
// into a directory that exists there and replacing files.
Result<void> CopyEntry(const std::string& source, const std::string& target, SourceLink link);

// Removes a file, link or directory with everything in it.
Result<void> RemoveTree(const std::string& path);

// `target` is `source` itself or lies below it (both resolved through links
// as far as they exist), so copying one into the other would never end.
bool IsSameOrInside(const std::string& target, const std::string& source);

// Path pieces. Trailing slashes of `path` are ignored.
std::string JoinPath(const std::string& directory, const std::string& name);
std::string ParentPath(const std::string& path);  // "." when there is no slash
std::string BaseName(const std::string& path);

// An error "what "path": reason" from errno.
Error SystemError(const std::string& what, const std::string& path);

}  // namespace rv
