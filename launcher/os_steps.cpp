// OS restarts or shuts down the computer, logs the user off, quits the
// launcher, or checks a user's log-in. The power and session requests go to
// the system and only ask; a refusal leaves everything as it was and the
// step still succeeds. A parameter text that is none of the fixed texts does
// nothing.

#include "launcher/os_steps.h"
#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/dde_client.h"
#include "platform/logon_check.h"
#include "platform/session.h"

namespace rv {
namespace {

void LogRequest(RVTaskInterpreter& run, const char* what, const Result<void>& result) {
  if (result)
    run.LogStepEvent(std::string("OS: ") + what + " requested", Severity::Notice);
  else
    run.LogStepEvent(std::string("OS: ") + what + " not requested: " + result.error(),
                     Severity::Notice);
}

}  // namespace

void AddOsStep(StepHandlers& handlers, const StepServices& services) {
  Session* session = services.session;
  dde::Client* client = services.dde;
  LogonCheck* logon = services.logon;
  (void)handlers.Set("OS", [session, client, logon](const std::string& params,
                                                    RVTaskInterpreter& run) {
    using Request = Result<void> (Session::*)();
    auto ask = [&](const char* what, Request request) {
      if (session == nullptr)
        LogRequest(run, what, MakeError("this launcher has no session service"));
      else
        LogRequest(run, what, (session->*request)());
      return StepStatus::Okay;
    };
    if (params == "Reboot Computer") return ask("restart", &Session::Reboot);
    if (params == "Shutdown Windows") return ask("shutdown", &Session::PowerOff);
    if (params == "Logout") return ask("log-off", &Session::LogOff);
    if (params == "Shutdown Runvane") {
      if (client == nullptr || !client->IsServiceRunning("Runvane", "System")) {
        run.LogStepEvent("OS: the launcher does not answer; nothing sent", Severity::Notice);
        return StepStatus::Failed;
      }
      if (Result<void> sent = client->Execute("Runvane", "System", "KILLRUNVANE", dde::Wait::Yes);
          !sent)
        run.LogStepEvent("OS: KILLRUNVANE: " + sent.error(), Severity::Notice);
      return StepStatus::Okay;
    }
    if (IsLoginForm(params)) {
      Result<LoginFields> fields = ScanLogin(params);
      if (!fields) {
        run.LogStepEvent("(!) OS: the log-in form: " + fields.error(), Severity::Failure);
        return StepStatus::Failed;
      }
      if (logon == nullptr) {
        run.LogStepEvent("(!) OS: this launcher cannot check log-ins", Severity::Failure);
        return StepStatus::Failed;
      }
      // The domain has no meaning here; the password never reaches the log.
      const Result<bool> checked = logon->Check(fields->user, fields->password);
      std::fill(fields->password.begin(), fields->password.end(), '\0');
      if (!checked) {
        run.LogStepEvent("(!) OS: log-in of \"" + fields->user + "\": " + checked.error(),
                         Severity::Failure);
        return StepStatus::Failed;
      }
      run.LogStepEvent(
          "OS: log-in of \"" + fields->user + "\" " + (*checked ? "accepted" : "refused"),
          Severity::Notice);
      return *checked ? StepStatus::Okay : StepStatus::Failed;
    }
    return StepStatus::Okay;
  });
}

std::string StepLineForLog(const std::string& line) {
  const StepLine split = SplitStepLine(line);
  if (split.keyword != "OS" || !IsLoginForm(split.params)) return line;
  Result<LoginFields> fields = ScanLogin(split.params);
  if (!fields) return "OS: Login,...";
  return "OS: Login,\"" + fields->user + "\",\"********\",\"" + fields->domain + "\"";
}

}  // namespace rv
