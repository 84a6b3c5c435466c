#pragma once

// Replacing a file so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file in the same folder, which is
// flushed to disk and then renamed over the old one. A new file gets `mode`;
// an existing one keeps its own. A symbolic link is followed, so the file it
// points at is replaced and the link stays.

#include <string>
#include <string_view>

#include "platform/result.h"

namespace rv {

Result<void> WriteFileAtomically(const std::string& path, std::string_view bytes,
                                 unsigned new_file_mode = 0600);

Result<std::string> ReadWholeFile(const std::string& path);

}  // namespace rv
