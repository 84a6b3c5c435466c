// SMTP sends a message whose body is a text file, POP lets the task go on
// or stop by whether mail is waiting, INTERNET dials or hangs up a dial-up
// connection. Each step makes its client for itself and drops it at its end.

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/network/dial_up.h"
#include "platform/network/network_clients.h"
#include "platform/network/network_error.h"

namespace rv {
namespace {

// The file's lines joined with CR LF; none when it cannot be read.
std::optional<std::string> ReadBodyFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  const std::string text = bytes.str();
  std::string body;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    body += text.substr(start, end - start) + "\r\n";
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return body;
}

int Failed(RVTaskInterpreter& run, const std::string& reason) {
  run.LogStepEvent("(!) " + reason, Severity::Failure);
  return StepStatus::Failed;
}

}  // namespace

void AddMailSteps(StepHandlers& handlers, const StepServices& services) {
  const NetworkClients* network = services.network;
  DialUp* dial_up = services.dial_up;

  (void)handlers.Set("SMTP", [network](const std::string& params, RVTaskInterpreter& run) {
    const std::vector<std::string> values = ReadParamList(params, 6);
    const std::string& body_file = values[5];
    const std::optional<std::string> body = ReadBodyFile(body_file);
    if (!body) {
      run.ShowStatus("Couldn't locate mail file '" + body_file + "' to send.");
      return StepStatus::Failed;
    }
    if (network == nullptr) return Failed(run, "SMTP: this launcher has no network service");
    std::unique_ptr<SmtpClient> client = network->NewSmtpClient();
    try {
      client->MailServer = values[0];
      client->From = values[1];
      client->To = values[2];
      if (!values[3].empty()) client->Cc = values[3];
      client->Subject = values[4];
      client->MessageText = *body;
      client->Action(SmtpAction::Send);
      run.ShowStatus("Mail message sent.");
      return StepStatus::Okay;
    } catch (const NetworkError& error) {
      run.LogStepEvent("(!) SMTP: " + std::string(error.what()), Severity::Failure);
      run.ShowStatus(error.what());
      return StepStatus::Failed;
    }
  });

  (void)handlers.Set("POP", [network](const std::string& params, RVTaskInterpreter& run) {
    const std::vector<std::string> values = ReadParamList(params, 5);
    const int rule_when_waiting = ReadInteger(values[3]);
    const int rule_when_none = ReadInteger(values[4]);
    if (network == nullptr) return Failed(run, "POP: this launcher has no network service");
    int count = 0;
    std::unique_ptr<Pop3Client> client = network->NewPop3Client();
    try {
      client->MailServer = values[0];
      client->User = values[1];
      client->Password = values[2];
      client->Action(Pop3Action::Connect);
      count = client->MessageCount;
      client->Action(Pop3Action::Disconnect);
    } catch (const NetworkError& error) {
      // A mailbox that cannot be reached counts as empty.
      run.LogStepEvent(error.what(), Severity::High);
    }
    const int rule = count > 0 ? rule_when_waiting : rule_when_none;
    return rule != 0 ? StepStatus::Okay : StepStatus::Failed;
  });

  (void)handlers.Set("INTERNET", [dial_up](const std::string& params, RVTaskInterpreter& run) {
    Result<InternetFields> fields = ScanInternet(params);
    if (!fields) return Failed(run, "INTERNET: " + fields.error());
    if (dial_up == nullptr) return Failed(run, "INTERNET: this launcher has no dial-up service");
    const std::string& name = fields->connection;
    if (fields->flag == "1") {
      if (Result<void> up = dial_up->Connect(name); !up)
        return Failed(run, "INTERNET: cannot dial \"" + name + "\": " + up.error());
      return StepStatus::Okay;
    }
    run.dial_up_entry = name;
    Result<std::vector<ActiveConnection>> active = dial_up->ActiveConnections();
    if (!active) return Failed(run, "INTERNET: cannot hang up \"" + name + "\": " + active.error());
    for (const ActiveConnection& connection : *active) {
      if (connection.name != run.dial_up_entry) continue;
      if (Result<void> down = dial_up->Disconnect(connection.handle); !down)
        return Failed(run, "INTERNET: cannot hang up \"" + name + "\": " + down.error());
      return StepStatus::Okay;
    }
    // Not up: nothing to hang up, which is fine for a name the system knows.
    Result<std::vector<std::string>> known = dial_up->ListConnections();
    if (!known) return Failed(run, "INTERNET: cannot hang up \"" + name + "\": " + known.error());
    if (std::find(known->begin(), known->end(), name) == known->end())
      return Failed(run, "INTERNET: there is no dial-up connection named \"" + name + "\"");
    run.LogStepEvent("INTERNET: \"" + name + "\" is not connected", Severity::Detail);
    return StepStatus::Okay;
  });
}

}  // namespace rv
