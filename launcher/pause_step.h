#pragma once

// PAUSE: "<count> <unit>". The unit is found as a word anywhere in the text:
// "minute" first, else "millisecond", else "second", so "milliseconds" is
// never taken for seconds. The count is the text before the unit word and
// must be a whole number of zero or more; anything else is an error that
// fails the step, rather than a pause of some other length. A text with
// none of the words pauses for no time.

#include <chrono>
#include <string_view>

#include "platform/result.h"

namespace rv {

struct PauseLength {
  std::chrono::milliseconds duration{0};
  bool has_unit = false;
};

Result<PauseLength> ReadPauseLength(std::string_view text);

}  // namespace rv
