#include "common/task_file_reader.h"

#include "common/date_line.h"
#include "common/task_list.h"
#include "common/whole_number.h"

namespace rv {

std::vector<std::string> SplitTaskFileLines(std::string_view bytes) {
  if (size_t nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  std::vector<std::string> lines;
  size_t start = 0;
  const size_t size = bytes.size();
  while (start < size) {
    size_t end = start;
    while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
      ++end;
    lines.emplace_back(bytes.substr(start, end - start));
    if (end < size) end += (bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n') ? 2 : 1;
    start = end;
  }
  return lines;
}

namespace {

class RecordReader {
 public:
  RecordReader(const std::vector<std::string>& lines, const std::string& label)
      : lines_(lines), label_(label) {}

  size_t position() const { return next_; }
  void set_position(size_t line) { next_ = line; }
  bool AtEnd() const { return next_ >= lines_.size(); }

  Result<std::string> Text(const char* what) {
    if (AtEnd()) return EndOfFile(what);
    return lines_[next_++];
  }

  Result<int32_t> Number(const char* what) {
    if (AtEnd()) return EndOfFile(what);
    const std::string& line = lines_[next_];
    Result<int32_t> value = ParseWholeNumber(line);
    if (!value) {
      return MakeError(Where(next_) + "expected a whole number for the " + what + ", found \"" +
                       line + "\"");
    }
    ++next_;
    return value;
  }

  Result<int32_t> Count(const char* what) {
    const size_t line = next_;
    Result<int32_t> value = Number(what);
    if (!value) return value;
    if (*value < 0) {
      return MakeError(Where(line) + "expected a " + what + " of 0 or more, found \"" +
                       lines_[line] + "\"");
    }
    if (static_cast<size_t>(*value) > lines_.size() - next_) {
      return MakeError(Where(line) + "the " + what + " is " + std::to_string(*value) +
                       ", but the file ends after " + std::to_string(lines_.size() - next_) +
                       " more lines");
    }
    return value;
  }

  Result<void> Lines(int32_t count, std::vector<std::string>& into) {
    into.assign(lines_.begin() + static_cast<std::ptrdiff_t>(next_),
                lines_.begin() + static_cast<std::ptrdiff_t>(next_ + static_cast<size_t>(count)));
    next_ += static_cast<size_t>(count);
    return {};
  }

  Result<TDateTime> Date() {
    if (AtEnd()) return EndOfFile("launch date line");
    Result<TDateTime> value = ParseDateLine(lines_[next_]);
    if (!value) return MakeError(Where(next_) + value.error());
    ++next_;
    return value;
  }

  void set_task_name(const std::string& name) { task_name_ = name; }

 private:
  std::string Where(size_t line) const { return label_ + ":" + std::to_string(line + 1) + ": "; }

  Error EndOfFile(const char* what) const {
    return MakeError(Where(lines_.size()) + "the file ends inside the record of task \"" +
                     task_name_ + "\" (expected the " + what + ")");
  }

  const std::vector<std::string>& lines_;
  const std::string& label_;
  size_t next_ = 1;
  std::string task_name_;
};

// Reads one record; a field that fails returns early with its error.
#define RV_TRY_ASSIGN(target, expression)            \
  do {                                               \
    auto rv_result = (expression);                   \
    if (!rv_result) return Error{rv_result.error()}; \
    target = *rv_result;                             \
  } while (false)

Result<void> ReadRecord(RecordReader& in, RVTask& task) {
  RV_TRY_ASSIGN(task.TaskName, in.Text("task name"));
  in.set_task_name(task.TaskName);
  RV_TRY_ASSIGN(task.LaunchDateTime, in.Date());
  RV_TRY_ASSIGN(task.Frequency, in.Number("frequency"));
  RV_TRY_ASSIGN(task.Interval, in.Number("interval"));
  RV_TRY_ASSIGN(task.IntervalType, in.Number("interval type"));
  int32_t flag = 0;
  RV_TRY_ASSIGN(flag, in.Number("active flag"));
  task.Active = flag != 0;
  RV_TRY_ASSIGN(task.Reserved, in.Number("reserved value"));
  RV_TRY_ASSIGN(task.LateFlags, in.Number("late flags"));
  RV_TRY_ASSIGN(flag, in.Number("running flag"));
  task.Running = flag != 0;
  RV_TRY_ASSIGN(flag, in.Number("holding flag"));
  task.Holding = flag != 0;
  RV_TRY_ASSIGN(task.StepCount, in.Count("step count"));
  (void)in.Lines(task.StepCount, task.Steps);
  RV_TRY_ASSIGN(task.DisabledStepCount, in.Count("disabled-step count"));
  (void)in.Lines(task.DisabledStepCount, task.DisabledSteps);
  RV_TRY_ASSIGN(task.TaskTriggers, in.Number("trigger bits"));
  RV_TRY_ASSIGN(task.DetailCount, in.Count("detail count"));
  (void)in.Lines(task.DetailCount, task.Details);
  RV_TRY_ASSIGN(task.Events, in.Number("event bits"));
  RV_TRY_ASSIGN(task.Hotkey, in.Text("hotkey"));
  RV_TRY_ASSIGN(task.WindowName, in.Text("window title"));
  return {};
}

#undef RV_TRY_ASSIGN

}  // namespace

Result<void> ReadTaskRecords(const std::vector<std::string>& lines, const std::string& label,
                             RVTaskList& list) {
  RecordReader in(lines, label);
  while (!in.AtEnd()) {
    RVTask record(list.clock());
    Result<void> read = ReadRecord(in, record);
    if (!read) return read;
    auto added = list.Add();
    CopyTaskFields(record, *added);
  }
  return {};
}

}  // namespace rv
