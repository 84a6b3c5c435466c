#pragma once

// Where deleted files go so that they can be brought back.

#include <string>

#include "platform/result.h"

namespace rv {

class Trash {
 public:
  virtual ~Trash() = default;

  // Moves the file, link or directory at `path` (the entry itself, not what
  // a link points to) into the trash, recording where it came from.
  virtual Result<void> MoveToTrash(const std::string& path) = 0;
};

}  // namespace rv
