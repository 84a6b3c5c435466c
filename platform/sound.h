#pragma once

// Sound files played on the desktop's sound server. A file is decoded
// completely before anything plays, so a file that does not exist or cannot
// be decoded fails the call instead of playing in part. One sound plays at
// a time per player: a new one replaces the one playing.

#include <string>

#include "platform/result.h"

namespace rv {

class Sound {
 public:
  virtual ~Sound() = default;

  // Starts the sound and returns at once; fails when the file cannot be
  // decoded or the sound server cannot be reached.
  virtual Result<void> PlayAsync(const std::string& file) = 0;
  // Returns when the sound has ended (or another call stopped it).
  virtual Result<void> PlaySync(const std::string& file) = 0;
  // Stops the sound playing, if any. Never fails.
  virtual void Stop() = 0;
};

}  // namespace rv
