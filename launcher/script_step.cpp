#include "launcher/script_step.h"

#include <filesystem>
#include <memory>

#include "common/atomic_file.h"
#include "common/date_time.h"
#include "common/logger.h"
#include "common/task.h"
#include "common/task_file_reader.h"
#include "common/task_file_writer.h"
#include "common/task_list.h"
#include "launcher/script_objects.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/dispatcher.h"
#include "platform/paths.h"
#include "script/engine.h"

namespace rv {

namespace {

Result<void> PutProperty(IDispatch& object, const char* name, Variant value) {
  DISPID id = 0;
  if (Failed(object.GetIDsOfNames(name, &id))) return MakeError(std::string("no ") + name);
  std::vector<Variant> args{std::move(value)};
  ExcepInfo ex;
  HRESULT hr = object.Invoke(id, InvokeKind::PropertyPut, args, nullptr, &ex);
  if (Failed(hr)) return MakeError(name + std::string(": ") + ex.description);
  return {};
}

Result<Variant> GetProperty(IDispatch& object, const char* name) {
  DISPID id = 0;
  if (Failed(object.GetIDsOfNames(name, &id))) return MakeError(std::string("no ") + name);
  Variant out;
  ExcepInfo ex;
  HRESULT hr = object.Invoke(id, InvokeKind::PropertyGet, {}, &out, &ex);
  if (Failed(hr)) return MakeError(name + std::string(": ") + ex.description);
  return out;
}

// What one SCRIPT step holds from preparation to teardown.
struct ScriptRun {
  std::unique_ptr<script::ScriptEngine> engine;
  ComPtr<IDispatch> task;
  ComPtr<IDispatch> system;
  ComPtr<IDispatch> action;
};

Result<void> Prepare(ScriptRun& s, ScriptObjects& objects, const RVTask& copy) {
  s.engine = std::make_unique<script::ScriptEngine>();
  struct Wanted {
    const char* progid;
    ComPtr<IDispatch>* slot;
    const char* prefix;
  };
  for (const Wanted& w : {Wanted{"RVOLE.Task", &s.task, "CurrentTask."},
                          Wanted{"RVOLE.RVSystem", &s.system, "Runvane."},
                          Wanted{"RVOLE.RVAction", &s.action, "Action."}}) {
    Result<ComPtr<IDispatch>> made = objects.Create(w.progid);
    if (!made) return MakeError("cannot create " + std::string(w.progid) + ": " + made.error());
    *w.slot = *made;
    s.engine->AddExtension(w.prefix, *made);
  }
  s.engine->OnCreateObject = [&objects](const std::string& progid, std::string* error) {
    Result<ComPtr<IDispatch>> made = objects.Create(progid);
    if (made) return *made;
    if (error) *error = made.error();
    return ComPtr<IDispatch>();
  };
  if (Result<void> put = PutProperty(*s.task, "TaskData", Variant::Str(ScriptTaskData(copy)));
      !put) {
    return MakeError("the task object refused the task: " + put.error());
  }
  const std::string legacy = paths::DataDirectory() + "/LEGACY.BAS";
  std::error_code ec;
  if (std::filesystem::exists(legacy, ec)) {
    Result<std::string> code = ReadWholeFile(legacy);
    if (!code) return MakeError("cannot read " + legacy + ": " + code.error());
    if (code->size() > kMaxLegacyCode) {
      return MakeError(legacy + " holds " + std::to_string(code->size()) + " characters; at most " +
                       std::to_string(kMaxLegacyCode) + " are taken");
    }
    s.engine->SetHiddenCode(*code);
  }
  return PutProperty(*s.task, "Active", Variant::Long(1));
}

void Teardown(ScriptRun& s) {
  if (s.engine) {
    s.engine->SetRun(false);
    s.engine->RemoveExtensions("");
  }
  s.task.reset();
  s.system.reset();
  s.action.reset();
  s.engine.reset();
}

int RunScriptStep(const std::string& params, RVTaskInterpreter& run, ScriptObjects* objects) {
  if (params.size() > kMaxScriptFileName) {
    run.LogStepEvent("(!) SCRIPT: the script file name is " + std::to_string(params.size()) +
                         " characters long; at most " + std::to_string(kMaxScriptFileName) +
                         " are taken",
                     Severity::Failure);
    return StepStatus::Failed;
  }
  if (!objects) {
    run.LogStepEvent("(!) SCRIPT: no automation objects in this launcher", Severity::Failure);
    return StepStatus::Failed;
  }
  ScriptRun s;
  Result<void> prepared = MakeError("not prepared");
  Dispatcher& main = run.Host().MainThread();
  main.runAndWait([&] { prepared = Prepare(s, *objects, run.TaskCopy()); });
  if (!prepared) {
    run.LogStepEvent("(!) SCRIPT: " + prepared.error(), Severity::Failure);
    main.runAndWait([&] { Teardown(s); });
    return StepStatus::Failed;
  }

  // A KILL of the task stops the script instead of waiting for its end.
  script::ScriptEngine* engine = s.engine.get();
  run.SetStopHook([engine] { engine->SetRun(false); });
  if (!run.TerminateRequested()) {
    Result<void> ran = engine->RunFile(params);
    if (!ran) run.LogStepEvent("SCRIPT: " + ran.error(), Severity::Notice);
  }
  run.SetStopHook(nullptr);

  int status = StepStatus::Okay;
  main.runAndWait([&] {
    Result<Variant> data = GetProperty(*s.task, "TaskData");
    Result<void> read = data ? ReadScriptTaskData(data->str(), run.TaskCopy())
                             : Result<void>(MakeError(data.error()));
    if (!read) {
      run.LogStepEvent("(!) SCRIPT: the changed task was not taken: " + read.error(),
                       Severity::Failure);
    }
    Result<Variant> active = GetProperty(*s.task, "Active");
    if (active && active->is_integral() && active->int_value() == 0) status = StepStatus::StopTask;
    Teardown(s);
  });
  return status;
}

}  // namespace

std::string ScriptTaskData(const RVTask& task) {
  std::string record;
  AppendTaskRecord(task, record);
  size_t first = record.find("\r\n");
  size_t second = record.find("\r\n", first + 2);
  record.replace(first + 2, second - first - 2, FormatDateTime(task.LaunchDateTime));
  return record;
}

Result<void> ReadScriptTaskData(const std::string& text, RVTask& task) {
  std::vector<std::string> lines = SplitTaskFileLines(text);
  lines.insert(lines.begin(), std::string(kTaskFileMagic));
  RVTaskList list;
  if (Result<void> read = ReadTaskRecords(lines, "task data", list); !read) return read;
  if (list.Count() < 1) return MakeError("the task data holds no task");
  CopyTaskFields(*list.Head(), task);
  task.Running = true;
  return {};
}

void AddScriptStep(StepHandlers& handlers, const StepServices& services) {
  ScriptObjects* objects =
      services.script_objects ? services.script_objects : &RegisteredScriptObjects();
  (void)handlers.Set("SCRIPT", [objects](const std::string& params, RVTaskInterpreter& run) {
    return RunScriptStep(params, run, objects);
  });
}

}  // namespace rv
