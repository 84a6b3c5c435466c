// Any bytes as a task file: the reader either loads records or stops with an
// error naming the line; it never crashes or reads out of bounds. What it
// loads must survive a write and a second read unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/task_file_reader.h"
#include "common/task_file_writer.h"
#include "common/task_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  rv::RVTaskList list("fuzz.rvd");
  rv::Result<void> read = rv::ReadTaskRecords(rv::SplitTaskFileLines(bytes), "fuzz.rvd", list);
  if (!read && read.error().rfind("fuzz.rvd:", 0) != 0) __builtin_trap();
  const std::string written = rv::SerializeTaskFile(list);
  rv::RVTaskList again("again.rvd");
  if (!rv::ReadTaskRecords(rv::SplitTaskFileLines(written), "again.rvd", again)) __builtin_trap();
  if (again.Count() != list.Count() || rv::SerializeTaskFile(again) != written) __builtin_trap();
  return 0;
}
