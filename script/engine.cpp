#include "script/engine.h"

#include <unistd.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "script/err_object.h"
#include "script/interp.h"
#include "script/parser.h"
#include "script/resolver.h"
#include "script/scanner.h"

namespace rv::script {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "FILE:LINE: message" split back into its parts for the callback.
ScriptErrorInfo InfoFromText(const std::string& text) {
  ScriptErrorInfo info;
  info.message = text;
  size_t colon = text.find(':');
  while (colon != std::string::npos) {
    size_t second = text.find(':', colon + 1);
    if (second == std::string::npos) break;
    std::string digits = text.substr(colon + 1, second - colon - 1);
    if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos) {
      info.file = text.substr(0, colon);
      info.line = std::stoi(digits);
      info.message = text.substr(second + 1);
      if (!info.message.empty() && info.message[0] == ' ') info.message.erase(0, 1);
      break;
    }
    colon = second;
  }
  return info;
}

std::string CurrentDir() {
  char buffer[4096];
  if (getcwd(buffer, sizeof buffer)) return buffer;
  return "/";
}

}  // namespace

ScriptEngine::ScriptEngine() = default;
ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::AddExtension(const std::string& prefix, ComPtr<IDispatch> object) {
  std::string name = Lower(prefix);
  while (!name.empty() && name.back() == '.')
    name.pop_back();
  extensions_.push_back(Extension{prefix, name, std::move(object)});
}

void ScriptEngine::RemoveExtensions(const std::string& prefix) {
  if (prefix.empty()) {
    extensions_.clear();
    return;
  }
  std::string name = Lower(prefix);
  while (!name.empty() && name.back() == '.')
    name.pop_back();
  std::erase_if(extensions_, [&](const Extension& e) { return e.name == name; });
}

Result<void> ScriptEngine::Fail(ScriptErrorInfo info) {
  std::string text = info.file + ":" + std::to_string(info.line) + ": " + info.message;
  if (OnError) OnError(info);
  return MakeError(text);
}

Result<void> ScriptEngine::RunFile(const std::string& file_name) {
  std::string name = file_name;
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    ScriptErrorInfo info{name, 0, "cannot open the script file", 53};
    return Fail(info);
  }
  std::ostringstream text;
  text << in.rdbuf();
  return RunText(text.str(), name);
}

Result<void> ScriptEngine::RunText(const std::string& text, const std::string& name) {
  run_.store(true);
  struct RunFlag {
    std::atomic<bool>& run;
    ~RunFlag() { run.store(false); }
  } flag{run_};

  std::vector<std::unique_ptr<Module>> modules;
  auto parse = [&](const std::string& source, const std::string& file) -> Result<void> {
    Result<std::vector<Token>> tokens = Scan(source, file);
    if (!tokens) return MakeError(tokens.error());
    Result<std::unique_ptr<Module>> module = Parse(std::move(*tokens), file);
    if (!module) return MakeError(module.error());
    modules.push_back(std::move(*module));
    return {};
  };
  if (!hidden_code_.empty()) {
    if (Result<void> hidden = parse(hidden_code_, "hidden code"); !hidden)
      return Fail(InfoFromText(hidden.error()));
  }
  if (Result<void> script = parse(text, name); !script) return Fail(InfoFromText(script.error()));

  ComPtr<ErrObject> err = MakeCom<ErrObject>();
  ResolveContext context;
  context.err_object = err.get();
  context.object_named = [this](const std::string& lower) -> IDispatch* {
    for (const Extension& e : extensions_) {
      if (!e.name.empty() && e.name == lower) return e.object.get();
    }
    return nullptr;
  };
  for (const Extension& e : extensions_) {
    if (e.name.empty()) context.global_objects.push_back(e.object.get());
  }
  Result<std::unique_ptr<Program>> program = Resolve(std::move(modules), context);
  if (!program) return Fail(InfoFromText(program.error()));

  HostCallbacks host;
  host.print = OnPrint;
  host.message_box = OnMessageBox;
  host.input_box = OnInputBox;
  host.do_events = OnDoEvents;
  host.create_object = OnCreateObject;
  try {
    Interp interp(**program, host, run_, *err, CurrentDir());
    interp.RunMain();
  } catch (const ScriptError& e) {
    return Fail(ScriptErrorInfo{e.file.empty() ? name : e.file, e.line, e.description, e.number});
  }
  return {};
}

}  // namespace rv::script
