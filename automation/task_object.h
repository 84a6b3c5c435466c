#pragma once

// TTask, the automation object "RVOLE.Task": one task record held as its
// lines, edited field by field and step by step. It never opens the task
// file: the record arrives as text (TaskData, LoadFromFile) and leaves the
// same way. Line 9 is the Active property; line 5 is carried through.

#include <string>
#include <vector>

#include "automation/member_object.h"
#include "platform/result.h"

namespace rv {

struct TTaskStep {
  bool enabled = true;
  std::string command;
  std::vector<std::string> params;
};

// A step line split the way this object splits it: quoted values keep their
// quotes, unquoted values split at every comma.
TTaskStep ParseTaskStep(const std::string& text);
// Command, ": ", the parameters joined by ",".
std::string TaskStepText(const TTaskStep& step);

const InterfaceInfo& TaskInterface();

class TTask : public MemberObject {
 public:
  TTask();

  std::string TaskData() const;
  Result<void> SetTaskData(const std::string& text);
  Result<void> LoadFromFile(const std::string& path);
  Result<void> SaveToFile(const std::string& path) const;

  std::string FrequencyString() const;
  int32_t Active() const { return active_; }
  void SetActive(int32_t v) {
    active_ = v;
    Rebuild();
  }

 protected:
  Result<Variant> Call(DISPID id, MemberKind kind, std::span<Variant> args) override;

 private:
  Result<void> Parse();
  void Rebuild();
  Result<TTaskStep*> StepAt(int32_t index);

  std::vector<std::string> lines_;
  std::string name_;
  std::string launch_date_;
  std::string launch_time_;
  int32_t frequency_ = 0;
  int32_t interval_ = 0;
  int32_t interval_type_ = 0;
  int32_t enabled_line_ = 0;
  std::string reserved_ = "0";
  int32_t run_late_ = 0;
  int32_t schedule_late_ = 0;
  std::string running_ = "0";
  int32_t active_ = 0;
  std::vector<TTaskStep> steps_;
  int32_t triggers_ = 0;
  std::vector<std::string> details_;
  int32_t events_ = 0;
  std::string hotkey_;
  std::string window_name_;
};

}  // namespace rv
