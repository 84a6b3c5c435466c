#pragma once

// The script engine: runs a BASIC script file with host objects reachable
// under prefixes. One engine object serves one run at a time; engines share
// nothing, so several may run in different threads at once.
//
//   rv::script::ScriptEngine engine;
//   engine.AddExtension("CurrentTask.", task);   // scripts see CurrentTask
//   engine.OnError = [](const ScriptErrorInfo& e) { ... };
//   engine.RunFile("job.bas");                    // blocks until the script ends
//
// Run() is true while a script runs; SetRun(false) from any thread stops it
// within a few thousand operations (also inside Wait and Sleep).

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "platform/result.h"

namespace rv::script {

struct ScriptErrorInfo {
  std::string file;
  int line = 0;
  std::string message;
  int number = 0;  // the run-time error number; 0 for errors found before the run
};

class ScriptEngine {
 public:
  ScriptEngine();
  ~ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;

  // Registers a host object. A prefix "Name." makes the object reachable as
  // Name; an empty prefix makes its members reachable as plain names.
  void AddExtension(const std::string& prefix, ComPtr<IDispatch> object);
  // Removes the objects registered under this prefix; "" removes all.
  void RemoveExtensions(const std::string& prefix);

  // Code available to every script run by this engine (its Subs, Functions,
  // constants and variables); the script's own definitions win.
  void SetHiddenCode(std::string code) { hidden_code_ = std::move(code); }
  const std::string& HiddenCode() const { return hidden_code_; }

  // Runs Sub Main of the file; blocks until the script ends. The name may
  // come in double quotes. Any error is passed to OnError and returned as
  // "FILE:LINE: message".
  Result<void> RunFile(const std::string& file_name);
  // The same with the script text given directly; `name` is used in messages.
  Result<void> RunText(const std::string& text, const std::string& name);

  bool Run() const { return run_.load(); }
  void SetRun(bool run) { run_.store(run); }

  // Callbacks, all optional, raised on the thread that runs the script.
  std::function<void()> OnDoEvents;
  std::function<void(const ScriptErrorInfo&)> OnError;
  std::function<void(const std::string& line)> OnPrint;
  std::function<int(const std::string& prompt, int buttons, const std::string& title)> OnMessageBox;
  std::function<std::optional<std::string>(const std::string& prompt, const std::string& title,
                                           const std::string& default_text)>
      OnInputBox;
  std::function<ComPtr<IDispatch>(const std::string& progid, std::string* error)> OnCreateObject;

 private:
  struct Extension {
    std::string prefix;  // as registered
    std::string name;    // lower case, without the trailing '.'
    ComPtr<IDispatch> object;
  };
  Result<void> Fail(ScriptErrorInfo info);

  std::vector<Extension> extensions_;
  std::string hidden_code_;
  std::atomic<bool> run_{false};
};

}  // namespace rv::script
