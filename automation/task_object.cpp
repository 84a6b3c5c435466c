#include "automation/task_object.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "automation/variant_convert.h"
#include "common/clock.h"
#include "common/date_time.h"

namespace rv {

namespace {

const MemberInfo kTaskMembers[] = {
    {"TaskName", 1, kGet | kPut, {}, "Task Name"},
    {"LaunchDate", 2, kGet | kPut, {}, "Task Launch Date"},
    {"LaunchTime", 3, kGet | kPut, {}, "Task Launch Time"},
    {"Frequency", 4, kGet | kPut, {}, "Task Frequency"},
    {"Interval", 5, kGet | kPut, {}, "Task Interval"},
    {"IntervalType", 6, kGet | kPut, {}, "Task Interval Type"},
    {"RunLate", 7, kGet | kPut, {}, "Execute Action On Task Overdue"},
    {"ScheduleLate", 8, kGet | kPut, {}, "Reschedule Action On Task Overdue"},
    {"Active", 9, kGet | kPut, {}, "Task Active"},
    {"TaskTriggers", 10, kGet | kPut, {}, "Task Triggers"},
    {"Hotkey", 11, kGet | kPut, {}, "Task Hotkeys"},
    {"WindowName", 12, kGet | kPut, {}, "Trigger Window Title"},
    {"TaskData", 13, kGet | kPut, {}, "Raw Task Data String"},
    {"StepCount", 14, kGet, {}, "Task Step Count"},
    {"GetTaskStep", 15, kMethod, {"StepNo"}, "Retreives Numbered Task Step String"},
    {"GetStepCommand", 16, kMethod, {"StepNo"}, "Retreives Command for Numbered Task Step"},
    {"GetStepParamCount", 17, kMethod, {"StepNo"}, "Retreives Numbered Step Parameter Count"},
    {"SetTaskStep", 18, kMethod, {"StepNo", "NewAction"}, "Sets Numbered Task Step"},
    {"GetStepParameter",
     19,
     kMethod,
     {"StepNo", "Parameter"},
     "Retreives Numbered Task Step Parameter"},
    {"AppendTaskStep", 20, kMethod, {"Action"}, "Appends a New Task Step"},
    {"InsertTaskStep",
     21,
     kMethod,
     {"Before", "Action"},
     "Inserts a New Task Step Before the Numbered Step"},
    {"DeleteTaskStep", 22, kMethod, {"StepNo"}, "Deletes Numbered Task Step"},
    {"GetStepStatus", 23, kMethod, {"StepNo"}, "Retreives Numbered Step Enabled Status"},
    {"SetStepStatus", 24, kMethod, {"StepNo", "Status"}, "Sets Numbered Step Enabled Status"},
    {"Details", 25, kGet | kPut, {}, "Task Details"},
    {"FrequencyString", 26, kGet, {}, "Task Frequency as a Display String"},
    {"Events", 27, kGet | kPut, {}, "Windows Messages to Trigger"},
    {"ClearSteps", 30, kMethod, {}, "Delete all task steps"},
    {"LoadFromFile", 31, kMethod, {"FileName"}, "Loads task data from a file"},
    {"SaveToFile", 28, kMethod, {"FileName"}, "Saves task data to a file"},
};

const InterfaceInfo kTaskInterface{"ITask", "Dispatch interface for Task Object", kTaskMembers};

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  bool pending = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\0') break;
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(cur));
      cur.clear();
      pending = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    cur += c;
    pending = true;
  }
  if (pending) lines.push_back(std::move(cur));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

bool ParseInt(const std::string& text, int32_t& out) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (*first == '+') ++first;
  int32_t v = 0;
  auto [p, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || p != last) return false;
  out = v;
  return true;
}

// The regional short date: month/day/year.
bool ParseRegionalDate(const std::string& text, TDateTime& out) {
  std::string t = Trim(text);
  int32_t parts[3];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    size_t slash = i < 2 ? t.find('/', start) : t.size();
    if (slash == std::string::npos) return false;
    if (!ParseInt(t.substr(start, slash - start), parts[i])) return false;
    start = slash + 1;
  }
  int year = parts[2];
  if (t.size() - t.rfind('/') - 1 <= 2) year += year < 50 ? 2000 : 1900;
  if (!IsValidDate(year, parts[0], parts[1])) return false;
  out = EncodeDate(year, parts[0], parts[1]);
  return true;
}

// The regional time: h:mm[:ss] with an optional AM/PM mark.
bool ParseRegionalTime(const std::string& text, TDateTime& out) {
  std::string t = Trim(text);
  int mark = 0;
  if (t.size() >= 2) {
    std::string tail = t.substr(t.size() - 2);
    for (char& c : tail)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (tail == "AM") mark = 1;
    if (tail == "PM") mark = 2;
    if (mark) t = Trim(t.substr(0, t.size() - 2));
  }
  int32_t parts[3] = {0, 0, 0};
  size_t start = 0;
  int count = 0;
  while (count < 3) {
    size_t colon = t.find(':', start);
    std::string piece =
        t.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!ParseInt(piece, parts[count])) return false;
    ++count;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (count < 2 && !mark) return false;
  int hour = parts[0];
  if (mark) {
    if (hour < 1 || hour > 12) return false;
    if (mark == 1 && hour == 12) hour = 0;
    if (mark == 2 && hour != 12) hour += 12;
  }
  if (!IsValidTime(hour, parts[1], parts[2], 0)) return false;
  out = EncodeTime(hour, parts[1], parts[2], 0);
  return true;
}

bool ParseRegionalDateTime(const std::string& text, TDateTime& out) {
  std::string t = Trim(text);
  size_t blank = t.find(' ');
  TDateTime date = 0;
  TDateTime time = 0;
  if (!ParseRegionalDate(t.substr(0, blank), date)) return false;
  if (blank != std::string::npos && !ParseRegionalTime(t.substr(blank + 1), time)) return false;
  out = date + time;
  return true;
}

Error ListIndexError(int64_t index) {
  return MakeError("List index out of bounds (" + std::to_string(index) + ")");
}

const int32_t kRunLateBits[] = {1, 2, 4};
const int32_t kScheduleLateBits[] = {8, 16, 32};

}  // namespace

const InterfaceInfo& TaskInterface() {
  return kTaskInterface;
}

TTaskStep ParseTaskStep(const std::string& text) {
  TTaskStep step;
  std::string rest;
  size_t colon = text.find(':');
  if (colon == std::string::npos) {
    rest = Trim(text);
  } else {
    step.command = Trim(text.substr(0, colon));
    rest = Trim(text.substr(colon + 1));
  }
  for (;;) {
    bool quoted = !rest.empty() && rest[0] == '"';
    if (quoted) rest.erase(0, 1);
    size_t p = rest.find(quoted ? '"' : ',');
    std::string token = Trim(p == std::string::npos ? rest : rest.substr(0, p));
    if (quoted) token = "\"" + token + "\"";
    step.params.push_back(std::move(token));
    if (p == std::string::npos) break;
    rest = Trim(rest.substr(p + 1));
    if (!rest.empty() && rest[0] == ',') rest = Trim(rest.substr(1));
    if (rest.empty()) break;
  }
  return step;
}

std::string TaskStepText(const TTaskStep& step) {
  std::string out = step.command + ": ";
  for (size_t i = 0; i < step.params.size(); ++i) {
    if (i) out += ',';
    out += step.params[i];
  }
  return out;
}

TTask::TTask() : MemberObject(kTaskInterface) {
  TDateTime now = SystemClock::Instance().Now();
  launch_date_ = FormatDateTime(now);
  launch_time_ = FormatLongTime(now);
}

std::string TTask::TaskData() const {
  return JoinLines(lines_);
}

Result<void> TTask::SetTaskData(const std::string& text) {
  lines_ = SplitLines(text);
  return Parse();
}

Result<void> TTask::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return MakeError("Cannot open file \"" + path + "\"");
  std::stringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return MakeError("Cannot read file \"" + path + "\"");
  return SetTaskData(buffer.str());
}

Result<void> TTask::SaveToFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return MakeError("Cannot create file \"" + path + "\"");
  out << TaskData();
  out.flush();
  if (!out) return MakeError("Cannot write file \"" + path + "\"");
  return {};
}

Result<void> TTask::Parse() {
  size_t i = 0;
  auto line = [&](size_t n) -> std::string { return n < lines_.size() ? lines_[n] : ""; };
  auto number = [&](size_t n, int32_t fallback) {
    int32_t v = fallback;
    return ParseInt(line(n), v) ? v : fallback;
  };
  name_ = line(0);
  std::string launch = line(1);
  std::string date_text = launch.substr(0, std::min<size_t>(10, launch.size()));
  std::string time_text = launch.size() > 10 ? launch.substr(10, 12) : "";
  TDateTime date = 0;
  if (!ParseRegionalDate(date_text, date)) {
    return MakeError("'" + date_text + "' is not a valid date");
  }
  TDateTime time = 0;
  if (!ParseRegionalTime(time_text, time)) {
    return MakeError("'" + Trim(time_text) + "' is not a valid time");
  }
  launch_date_ = FormatShortDate(date);
  launch_time_ = FormatLongTime(time);
  frequency_ = number(2, 0);
  interval_ = number(3, 0);
  interval_type_ = number(4, 0);
  enabled_line_ = number(5, 1);
  reserved_ = line(6);
  int32_t late = number(7, 0);
  run_late_ = (late & 4) ? 2 : (late & 2) ? 1 : 0;
  schedule_late_ = (late & 32) ? 2 : (late & 16) ? 1 : 0;
  running_ = line(8);
  active_ = number(9, 0);
  int32_t step_count = number(10, 0);
  steps_.clear();
  i = 11;
  for (int32_t s = 0; s < step_count; ++s)
    steps_.push_back(ParseTaskStep(line(i++)));
  int32_t disabled = number(i++, 0);
  for (int32_t d = 0; d < disabled; ++d) {
    int32_t pos = number(i++, -1);
    if (pos < 0) continue;
    if (static_cast<size_t>(pos) >= steps_.size()) return ListIndexError(pos);
    steps_[static_cast<size_t>(pos)].enabled = false;
  }
  triggers_ = number(i++, 0);
  int32_t detail_count = number(i++, 0);
  details_.clear();
  for (int32_t d = 0; d < detail_count; ++d)
    details_.push_back(line(i++));
  events_ = number(i++, 0);
  hotkey_ = line(i++);
  window_name_ = line(i++);
  return {};
}

void TTask::Rebuild() {
  TDateTime launch = 0;
  if (!ParseRegionalDateTime(launch_date_ + " " + launch_time_, launch)) {
    launch = SystemClock::Instance().Now();
  }
  std::vector<std::string> out;
  out.push_back(name_);
  out.push_back(FormatDateTime(launch));
  out.push_back(std::to_string(frequency_));
  out.push_back(std::to_string(interval_));
  out.push_back(std::to_string(interval_type_));
  out.push_back(std::to_string(enabled_line_));
  out.push_back(reserved_);
  int32_t late = 0;
  if (run_late_ >= 0 && run_late_ <= 2) late += kRunLateBits[run_late_];
  if (schedule_late_ >= 0 && schedule_late_ <= 2) late += kScheduleLateBits[schedule_late_];
  out.push_back(std::to_string(late));
  out.push_back(running_);
  out.push_back(std::to_string(active_));
  out.push_back(std::to_string(steps_.size()));
  std::vector<std::string> disabled;
  for (size_t s = 0; s < steps_.size(); ++s) {
    out.push_back(TaskStepText(steps_[s]));
    if (!steps_[s].enabled) disabled.push_back(std::to_string(s));
  }
  out.push_back(std::to_string(disabled.size()));
  out.insert(out.end(), disabled.begin(), disabled.end());
  out.push_back(std::to_string(triggers_));
  out.push_back(std::to_string(details_.size()));
  out.insert(out.end(), details_.begin(), details_.end());
  out.push_back(std::to_string(events_));
  out.push_back(hotkey_);
  out.push_back(window_name_);
  lines_ = std::move(out);
}

std::string TTask::FrequencyString() const {
  if (frequency_ == 0) return "Once";
  static const char* const kUnits[] = {"minute",  "hour",  "day",     "week", "weekday", "weekend",
                                       "bi-week", "month", "quarter", "year", "second"};
  if (interval_type_ < 0 || interval_type_ > 10) return "Unknown Interval Type";
  std::string unit = kUnits[interval_type_];
  if (interval_ < 2) return "Every " + unit;
  return "Every " + std::to_string(interval_) + " " + unit + "s";
}

Result<TTaskStep*> TTask::StepAt(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= steps_.size()) return ListIndexError(index);
  return &steps_[static_cast<size_t>(index)];
}

Result<Variant> TTask::Call(DISPID id, MemberKind kind, std::span<Variant> args) {
  auto text_arg = [&](size_t n) { return VariantToText(args[n]); };
  auto long_arg = [&](size_t n) { return VariantToLong(args[n]); };
  auto text_field = [&](std::string& field) -> Result<Variant> {
    if (kind == kGet) return Variant::Str(field);
    Result<std::string> v = text_arg(0);
    if (!v) return MakeError(v.error());
    field = *v;
    Rebuild();
    return Variant();
  };
  auto long_field = [&](int32_t& field) -> Result<Variant> {
    if (kind == kGet) return Variant::Long(field);
    Result<int32_t> v = long_arg(0);
    if (!v) return MakeError(v.error());
    field = *v;
    Rebuild();
    return Variant();
  };
  // A step member's first argument is a step position.
  auto step_arg = [&]() -> Result<TTaskStep*> {
    Result<int32_t> n = long_arg(0);
    if (!n) return MakeError(n.error());
    return StepAt(*n);
  };
  switch (id) {
    case 1:
      return text_field(name_);
    case 2:
      return text_field(launch_date_);
    case 3:
      return text_field(launch_time_);
    case 4:
      return long_field(frequency_);
    case 5:
      return long_field(interval_);
    case 6:
      return long_field(interval_type_);
    case 7:
      return long_field(run_late_);
    case 8:
      return long_field(schedule_late_);
    case 9:
      return long_field(active_);
    case 10:
      return long_field(triggers_);
    case 11:
      return text_field(hotkey_);
    case 12:
      return text_field(window_name_);
    case 13: {
      if (kind == kGet) return Variant::Str(TaskData());
      Result<std::string> v = text_arg(0);
      if (!v) return MakeError(v.error());
      Result<void> parsed = SetTaskData(*v);
      if (!parsed) return MakeError(parsed.error());
      return Variant();
    }
    case 14:
      return Variant::Long(static_cast<int32_t>(steps_.size()));
    case 15:
    case 16:
    case 17:
    case 23: {
      Result<TTaskStep*> step = step_arg();
      if (!step) return MakeError(step.error());
      if (id == 15) return Variant::Str(TaskStepText(**step));
      if (id == 16) return Variant::Str((*step)->command);
      if (id == 17) return Variant::Long(static_cast<int32_t>((*step)->params.size()));
      return Variant::Long((*step)->enabled ? 1 : 0);
    }
    case 18:
    case 24: {
      Result<TTaskStep*> step = step_arg();
      if (!step) return MakeError(step.error());
      if (id == 18) {
        Result<std::string> text = text_arg(1);
        if (!text) return MakeError(text.error());
        TTaskStep parsed = ParseTaskStep(*text);
        (*step)->command = std::move(parsed.command);
        (*step)->params = std::move(parsed.params);
      } else {
        Result<int32_t> status = long_arg(1);
        if (!status) return MakeError(status.error());
        (*step)->enabled = *status != 0;
      }
      Rebuild();
      return Variant();
    }
    case 19: {
      Result<TTaskStep*> step = step_arg();
      if (!step) return MakeError(step.error());
      Result<int32_t> n = long_arg(1);
      if (!n) return MakeError(n.error());
      if (*n < 0 || static_cast<size_t>(*n) >= (*step)->params.size()) return ListIndexError(*n);
      return Variant::Str((*step)->params[static_cast<size_t>(*n)]);
    }
    case 20: {
      Result<std::string> text = text_arg(0);
      if (!text) return MakeError(text.error());
      steps_.push_back(ParseTaskStep(*text));
      Rebuild();
      return Variant();
    }
    case 21: {
      Result<int32_t> before = long_arg(0);
      if (!before) return MakeError(before.error());
      Result<std::string> text = text_arg(1);
      if (!text) return MakeError(text.error());
      if (*before < 0 || static_cast<size_t>(*before) > steps_.size()) {
        return ListIndexError(*before);
      }
      steps_.insert(steps_.begin() + *before, ParseTaskStep(*text));
      Rebuild();
      return Variant();
    }
    case 22: {
      Result<TTaskStep*> step = step_arg();
      if (!step) return MakeError(step.error());
      steps_.erase(steps_.begin() + (*step - steps_.data()));
      Rebuild();
      return Variant();
    }
    case 25: {
      if (kind == kGet) return Variant::Str(JoinLines(details_));
      Result<std::string> v = text_arg(0);
      if (!v) return MakeError(v.error());
      details_ = SplitLines(*v);
      Rebuild();
      return Variant();
    }
    case 26:
      return Variant::Str(FrequencyString());
    case 27:
      return long_field(events_);
    case 30:
      steps_.clear();
      Rebuild();
      return Variant();
    case 31:
    case 28: {
      Result<std::string> path = text_arg(0);
      if (!path) return MakeError(path.error());
      Result<void> done = id == 31 ? LoadFromFile(*path) : SaveToFile(*path);
      if (!done) return MakeError(done.error());
      return Variant();
    }
    default:
      return MakeError("Member not found");
  }
}

}  // namespace rv
