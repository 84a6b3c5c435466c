// Any text as a date line: parsed or refused with a reason, never a crash;
// a parsed moment writes back to a line that parses to the same second.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/date_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  rv::Result<rv::TDateTime> parsed = rv::ParseDateLine(line);
  if (!parsed) {
    if (parsed.error().empty()) __builtin_trap();
    return 0;
  }
  rv::Result<rv::TDateTime> again = rv::ParseDateLine(rv::FormatDateLine(*parsed));
  if (!again || *again != *parsed) __builtin_trap();
  return 0;
}
