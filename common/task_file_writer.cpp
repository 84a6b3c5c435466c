#include "common/task_file_writer.h"

#include <charconv>

#include "common/date_line.h"
#include "common/task_file_reader.h"
#include "common/task_list.h"

namespace rv {
namespace {

void Line(std::string& out, std::string_view text) {
  out.append(text);
  out.append("\r\n");
}

void Number(std::string& out, int64_t value) {
  char buffer[24];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;
  out.append(buffer, end);
  out.append("\r\n");
}

void Lines(std::string& out, const std::vector<std::string>& lines) {
  Number(out, static_cast<int64_t>(lines.size()));
  for (const std::string& line : lines)
    Line(out, line);
}

}  // namespace

void AppendTaskRecord(const RVTask& task, std::string& out) {
  Line(out, task.TaskName);
  AppendDateLine(task.LaunchDateTime, out);
  out.append("\r\n");
  Number(out, task.Frequency);
  Number(out, task.Interval);
  Number(out, task.IntervalType);
  Number(out, task.Active ? 1 : 0);
  Number(out, task.Reserved);
  Number(out, task.LateFlags);
  Number(out, task.Running ? 1 : 0);
  Number(out, task.Holding ? 1 : 0);
  Lines(out, task.Steps);
  Lines(out, task.DisabledSteps);
  Number(out, task.TaskTriggers);
  Lines(out, task.Details);
  Number(out, task.Events);
  Line(out, task.Hotkey);
  Line(out, task.WindowName);
}

std::string SerializeTaskFile(const RVTaskList& list) {
  std::string out;
  out.reserve(64 + static_cast<size_t>(list.Count()) * 256);
  Line(out, kTaskFileMagic);
  for (int32_t i = 0; i < list.Count(); ++i)
    AppendTaskRecord(*list.Item(i), out);
  return out;
}

}  // namespace rv
