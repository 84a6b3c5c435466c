// The engine as a host sees it: host objects through the dispatch
// interface, hidden code, the run flag, do-events, errors with their place,
// and independent engines in parallel threads.

#include "script/engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "automation/dispatch_table.h"
#include "platform/testing/test_home.h"
#include "script/values.h"

namespace rv::script {
namespace {

// A stand-in for the task object: a name, a list of steps, a sum and a
// member that always fails.
struct FakeTask {
  std::string name = "Backup";
  std::vector<std::string> steps{"PAUSE: 1 seconds"};
  int calls = 0;
  ComPtr<DispatchTable> object = MakeCom<DispatchTable>();

  FakeTask() {
    object->AddProperty(
        "TaskName", [this](std::span<Variant>) -> Result<Variant> { return Variant::Str(name); },
        [this](std::span<Variant>, const Variant& v) -> Result<void> {
          name = ToStr(v);
          return {};
        });
    object->AddProperty("StepCount", [this](std::span<Variant>) -> Result<Variant> {
      return Variant::Long(static_cast<int32_t>(steps.size()));
    });
    object
        ->AddMethod("AppendTaskStep",
                    [this](std::span<Variant> args) -> Result<Variant> {
                      steps.push_back(ToStr(args[0]));
                      ++calls;
                      return Variant();
                    })
        .Args(1);
    object
        ->AddMethod("Add",
                    [](std::span<Variant> args) -> Result<Variant> {
                      return Variant::Double(ToDouble(args[0]) + ToDouble(args[1]));
                    })
        .Args(2);
    object->AddMethod("Explode", [](std::span<Variant>) -> Result<Variant> {
      return MakeError("the task file is locked");
    });
  }
};

struct Outcome {
  std::vector<std::string> output;
  std::vector<ScriptErrorInfo> errors;
  Result<void> result = Result<void>();
};

Outcome RunScript(ScriptEngine& engine, const std::string& text) {
  Outcome run;
  engine.OnPrint = [&](const std::string& line) { run.output.push_back(line); };
  engine.OnError = [&](const ScriptErrorInfo& e) { run.errors.push_back(e); };
  run.result = engine.RunText(text, "host.bas");
  return run;
}

TEST(ScriptEngineHost, PropertiesMethodsAndResultsReachTheObject) {
  FakeTask task;
  ScriptEngine engine;
  engine.AddExtension("CurrentTask.", task.object);
  Outcome run = RunScript(engine, R"(Sub Main
  Print CurrentTask.TaskName
  CurrentTask.TaskName = "Nightly " & CurrentTask.StepCount
  CurrentTask.AppendTaskStep "PAUSE: 2 seconds"
  Call CurrentTask.AppendTaskStep("PAUSE: 3 seconds")
  n = CurrentTask.StepCount
  Print n; " "; CurrentTask.Add(2, 3.5)
  With CurrentTask
    .TaskName = .TaskName & "!"
  End With
  Dim t As Object
  Set t = CurrentTask
  Print t.TaskName; " "; TypeName(t); " "; t Is CurrentTask
End Sub
)");
  ASSERT_TRUE(run.result) << run.result.error();
  EXPECT_EQ(run.output, (std::vector<std::string>{"Backup", "3 5.5", "Nightly 1! Object True"}));
  EXPECT_EQ(task.name, "Nightly 1!");
  EXPECT_EQ(task.steps.back(), "PAUSE: 3 seconds");
  EXPECT_EQ(task.calls, 2);
}

TEST(ScriptEngineHost, FailingMemberTextReachesErrDescription) {
  FakeTask task;
  ScriptEngine engine;
  engine.AddExtension("CurrentTask.", task.object);
  Outcome run = RunScript(engine, R"(Sub Main
  On Error Resume Next
  CurrentTask.Explode
  Print Err.Number; ": "; Err.Description
  Err.Clear
  CurrentTask.NoSuchThing = 1
  Print Err.Number; ": "; Err.Description
  Err.Clear
  CurrentTask.Add 1
  Print Err.Number
  On Error GoTo 0
  CurrentTask.Explode
End Sub
)");
  EXPECT_EQ(run.output,
            (std::vector<std::string>{
                "440: the task file is locked",
                "438: Object doesn't support this property or method: NoSuchThing", "450"}));
  ASSERT_EQ(run.errors.size(), 1u);
  EXPECT_EQ(run.errors[0].line, 12);
  EXPECT_EQ(run.errors[0].file, "host.bas");
  EXPECT_EQ(run.errors[0].message, "the task file is locked");
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.result.error(), "host.bas:12: the task file is locked");
}

TEST(ScriptEngineHost, ObjectsComeAndGoWithTheirPrefix) {
  FakeTask task, other;
  other.name = "Other";
  ScriptEngine engine;
  engine.AddExtension("CurrentTask.", task.object);
  engine.AddExtension("Runvane.", other.object);
  engine.AddExtension("", other.object);
  Outcome run =
      RunScript(engine, "Sub Main\nPrint Runvane.TaskName & \"/\" & StepCount\nEnd Sub\n");
  ASSERT_TRUE(run.result) << run.result.error();
  EXPECT_EQ(run.output, std::vector<std::string>{"Other/1"});

  engine.RemoveExtensions("Runvane.");
  run = RunScript(engine, "Option Explicit\nSub Main\nPrint Runvane.TaskName\nEnd Sub\n");
  ASSERT_FALSE(run.result);
  EXPECT_EQ(run.result.error(), "host.bas:3: variable not defined: Runvane");
  run = RunScript(engine, "Sub Main\nPrint CurrentTask.TaskName\nEnd Sub\n");
  EXPECT_EQ(run.output, std::vector<std::string>{"Backup"});
}

TEST(ScriptEngineHost, NothingAndNonObjectsGiveTheirErrors) {
  ScriptEngine engine;
  Outcome run = RunScript(engine, R"(Sub Main
  Dim o As Object
  On Error Resume Next
  o.Run
  Print Err.Number; " "; Err.Description
  Err.Clear
  x = 5
  x.Run
  Print Err.Number
End Sub
)");
  ASSERT_TRUE(run.result) << run.result.error();
  EXPECT_EQ(run.output,
            (std::vector<std::string>{"91 Object variable or With block variable not set", "424"}));
}

TEST(ScriptEngineHost, HiddenCodeIsAvailableAndTheScriptWins) {
  ScriptEngine engine;
  engine.SetHiddenCode(
      "Public Const Greeting = \"hi\"\nFunction Twice(x)\nTwice = 2 * x\nEnd Function\n"
      "Function Name()\nName = \"hidden\"\nEnd Function\n");
  Outcome run = RunScript(engine, R"(Function Name()
  Name = "script"
End Function
Sub Main
  Print Greeting; " "; Twice(21); " "; Name()
End Sub
)");
  ASSERT_TRUE(run.result) << run.result.error();
  EXPECT_EQ(run.output, std::vector<std::string>{"hi 42 script"});

  engine.SetHiddenCode("Sub Broken(\nEnd Sub\n");
  run = RunScript(engine, "Sub Main\nEnd Sub\n");
  ASSERT_EQ(run.errors.size(), 1u);
  EXPECT_EQ(run.errors[0].file, "hidden code");
  EXPECT_EQ(run.errors[0].line, 1);
}

TEST(ScriptEngineRun, ClearingRunStopsAnEndlessLoop) {
  ScriptEngine engine;
  std::atomic<int> events{0};
  engine.OnDoEvents = [&] { ++events; };
  std::atomic<bool> started{false};
  engine.OnPrint = [&](const std::string&) { started = true; };
  Result<void> result = Result<void>();
  std::thread runner([&] {
    result = engine.RunText("Sub Main\nPrint \"go\"\nDo\nx = x + 1\nLoop\nEnd Sub\n", "loop.bas");
  });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!started && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(engine.Run());
  engine.SetRun(false);
  runner.join();
  EXPECT_TRUE(result.ok());
  EXPECT_FALSE(engine.Run());
  EXPECT_GT(events.load(), 0);
}

TEST(ScriptEngineRun, ClearingRunStopsWaitAndEventsCanStopTheScript) {
  ScriptEngine engine;
  int events = 0;
  engine.OnDoEvents = [&] {
    if (++events == 3) engine.SetRun(false);
  };
  auto start = std::chrono::steady_clock::now();
  Result<void> result = engine.RunText("Sub Main\nWait 30\nEnd Sub\n", "wait.bas");
  EXPECT_TRUE(result.ok());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(events, 3);
}

TEST(ScriptEngineRun, TwoEnginesRunInTwoThreadsWithoutSharing) {
  const std::string script = R"(Dim total
Function Fib(n)
  If n < 2 Then Fib = n Else Fib = Fib(n - 1) + Fib(n - 2)
End Function
Sub Main
  For i = 1 To 20000
    total = total + i
  Next
  Print CurrentTask.TaskName & " " & total & " " & Fib(18)
End Sub
)";
  FakeTask a, b;
  a.name = "A";
  b.name = "B";
  std::vector<std::string> out_a, out_b;
  std::thread ta([&] {
    for (int k = 0; k < 20; ++k) {
      ScriptEngine engine;
      engine.AddExtension("CurrentTask.", a.object);
      engine.OnPrint = [&](const std::string& line) { out_a.push_back(line); };
      ASSERT_TRUE(engine.RunText(script, "a.bas"));
    }
  });
  std::thread tb([&] {
    for (int k = 0; k < 20; ++k) {
      ScriptEngine engine;
      engine.AddExtension("CurrentTask.", b.object);
      engine.OnPrint = [&](const std::string& line) { out_b.push_back(line); };
      ASSERT_TRUE(engine.RunText(script, "b.bas"));
    }
  });
  ta.join();
  tb.join();
  EXPECT_EQ(out_a, std::vector<std::string>(20, "A 200010000 2584"));
  EXPECT_EQ(out_b, std::vector<std::string>(20, "B 200010000 2584"));
}

TEST(ScriptEngineRun, RunFileTakesQuotedNamesAndReportsMissingFiles) {
  std::string dir = rv::testing::MakeTempDir();
  rv::testing::WriteFile(dir + "job.bas", "Sub Main\nPrint \"ran\"\nEnd Sub\n");
  ScriptEngine engine;
  std::vector<std::string> output;
  engine.OnPrint = [&](const std::string& line) { output.push_back(line); };
  ASSERT_TRUE(engine.RunFile("\"" + dir + "job.bas\""));
  EXPECT_EQ(output, std::vector<std::string>{"ran"});

  std::vector<ScriptErrorInfo> errors;
  engine.OnError = [&](const ScriptErrorInfo& e) { errors.push_back(e); };
  Result<void> missing = engine.RunFile(dir + "none.bas");
  ASSERT_FALSE(missing);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].file, dir + "none.bas");
  EXPECT_EQ(errors[0].message, "cannot open the script file");
}

TEST(ScriptEngineHost, MessageBoxAndInputBoxGoToTheHost) {
  ScriptEngine engine;
  std::string seen;
  engine.OnMessageBox = [&](const std::string& prompt, int buttons, const std::string& title) {
    seen = prompt + "|" + std::to_string(buttons) + "|" + title;
    return 7;  // vbNo
  };
  engine.OnInputBox = [](const std::string&, const std::string&,
                         const std::string& fallback) -> std::optional<std::string> {
    return "typed " + fallback;
  };
  Outcome run = RunScript(engine, R"(Sub Main
  If MsgBox("Continue?", vbYesNo + vbQuestion, "Check") = vbNo Then Print "no"
  Print InputBox("Name?", "Ask", "x")
End Sub
)");
  ASSERT_TRUE(run.result) << run.result.error();
  EXPECT_EQ(seen, "Continue?|36|Check");
  EXPECT_EQ(run.output, (std::vector<std::string>{"no", "typed x"}));
}

TEST(ScriptEngineHost, CreateObjectAsksTheHost) {
  FakeTask task;
  ScriptEngine engine;
  engine.OnCreateObject = [&](const std::string& progid, std::string* error) -> ComPtr<IDispatch> {
    if (progid == "Runvane.Task") return task.object;
    *error = "not registered";
    return nullptr;
  };
  Outcome run = RunScript(engine, R"(Sub Main
  Set t = CreateObject("Runvane.Task")
  Print t.TaskName
  Set u = CreateObject("No.Such")
End Sub
)");
  EXPECT_EQ(run.output, std::vector<std::string>{"Backup"});
  ASSERT_FALSE(run.result);
  EXPECT_EQ(run.result.error(), "host.bas:4: Cannot create object No.Such: not registered");
}

}  // namespace
}  // namespace rv::script
