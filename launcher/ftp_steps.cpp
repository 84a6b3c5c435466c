// The FTP steps. FTPLOGIN opens one logged-in connection that belongs to the
// run; FTPCD, the EX transfers, FTPDELETE, FTPRENAME, FTPMAKEDIR and
// FTPREMDIR work on it without logging in again, and FTPLOGOUT closes it.
// FTPUPLOAD and FTPDOWNLOAD connect, transfer and disconnect on their own.
// Progress and failure go to the task manager as status texts; the reason
// of a failure goes to the log as well, so it can be found afterwards.

#include <fcntl.h>
#include <unistd.h>

#include "common/logger.h"
#include "common/step_line.h"
#include "launcher/step_handlers.h"
#include "launcher/task_interpreter.h"
#include "platform/network/network_clients.h"
#include "platform/network/network_error.h"

namespace rv {
namespace {

bool WantsProtocolLog(const std::string& file) {
  return !file.empty() && file != "0";
}

// Emptied when asked to, created when missing, otherwise left as it is.
void PrepareProtocolLog(const std::string& file, int overwrite) {
  if (!WantsProtocolLog(file)) return;
  const int fd =
      ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite != 0 ? O_TRUNC : 0), 0644);
  if (fd >= 0) ::close(fd);
}

// Each line is appended in one write with the file opened for just that
// line, so runs that share a log interleave whole lines. A log that cannot
// be opened is skipped.
ProtocolTraceHandler ProtocolLog(const std::string& file) {
  if (!WantsProtocolLog(file)) return {};
  return [file](const std::string& line) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string text = line + "\n";
    (void)!::write(fd, text.data(), text.size());
    ::close(fd);
  };
}

// The login part shared by FTPLOGIN and the quick transfers.
void SetLogin(FtpClient& client, const std::string& host, const std::string& user,
              const std::string& password, const std::string& port) {
  client.User = user;
  client.Password = password;
  client.RemoteHost = host;
  if (!port.empty()) client.RemotePort = ReadInteger(port);
}

void LogReason(RVTaskInterpreter& run, const char* keyword, const NetworkError& error) {
  run.LogStepEvent("(!) " + std::string(keyword) + ": " + error.what(), Severity::Failure);
}

// The run's open connection, or null after logging that there is none.
FtpClient* OpenConnection(RVTaskInterpreter& run, const char* keyword) {
  auto* client = static_cast<FtpClient*>(run.ftp_connection.get());
  if (client == nullptr) {
    run.LogStepEvent("(!) " + std::string(keyword) + ": no FTP connection is open (FTPLOGIN first)",
                     Severity::Failure);
  }
  return client;
}

void SetTransferMode(FtpClient& client, int type) {
  // Any other number keeps the connection's mode.
  if (type >= 0 && type <= 2) client.TransferMode = static_cast<FtpTransferMode>(type);
}

// A connection step that only runs one action and reports nothing.
int RunOnConnection(RVTaskInterpreter& run, const char* keyword,
                    const std::function<void(FtpClient&)>& action) {
  FtpClient* client = OpenConnection(run, keyword);
  if (client == nullptr) return StepStatus::Failed;
  try {
    action(*client);
    return StepStatus::Okay;
  } catch (const NetworkError& error) {
    LogReason(run, keyword, error);
    return StepStatus::Failed;
  }
}

}  // namespace

void AddFtpSteps(StepHandlers& handlers, const StepServices& services) {
  const NetworkClients* network = services.network;
  auto clients = [network](RVTaskInterpreter& run, const char* keyword) -> const NetworkClients* {
    if (network == nullptr)
      run.LogStepEvent("(!) " + std::string(keyword) + ": this launcher has no network service",
                       Severity::Failure);
    return network;
  };

  (void)handlers.Set("FTPLOGIN", [clients](const std::string& params, RVTaskInterpreter& run) {
    const std::vector<std::string> values = ReadParamList(params, 6);
    run.ftp_log_file = values[4];
    run.ftp_log_overwrite = ReadInteger(values[5]);
    run.ftp_connection.reset();
    const NetworkClients* network = clients(run, "FTPLOGIN");
    if (network == nullptr) return StepStatus::Failed;
    std::shared_ptr<FtpClient> client = network->NewFtpClient();
    run.ftp_connection = client;
    const std::string& name = run.Task().TaskName;
    try {
      PrepareProtocolLog(run.ftp_log_file, run.ftp_log_overwrite);
      client->OnPITrail = ProtocolLog(run.ftp_log_file);
      SetLogin(*client, values[0], values[1], values[2], values[3]);
      client->Action(FtpAction::Logon);
      run.ShowStatus(name + ": Logged on to FTP server.");
      return StepStatus::Okay;
    } catch (const NetworkError& error) {
      LogReason(run, "FTPLOGIN", error);
      run.ShowStatus(name + ": Server Login FAILED.");
      return StepStatus::Failed;
    }
  });

  (void)handlers.Set("FTPLOGOUT", [](const std::string&, RVTaskInterpreter& run) {
    auto* client = static_cast<FtpClient*>(run.ftp_connection.get());
    if (client == nullptr) return StepStatus::Okay;
    const std::string& name = run.Task().TaskName;
    try {
      client->Action(FtpAction::Logoff);
      run.ftp_connection.reset();
      run.ShowStatus(name + ": FTP Logout complete.");
    } catch (const NetworkError& error) {
      LogReason(run, "FTPLOGOUT", error);
      run.ShowStatus(name + ": FTP Logout FAILED.");
    }
    return StepStatus::Okay;
  });

  (void)handlers.Set("FTPCD", [](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    const std::string directory = NextParam(rest);
    return RunOnConnection(run, "FTPCD",
                           [&](FtpClient& client) { client.ChangeRemotePath(directory); });
  });

  (void)handlers.Set("FTPUPLOADEX", [](const std::string& params, RVTaskInterpreter& run) {
    const std::vector<std::string> values = ReadParamList(params, 3);
    const int type = ReadInteger(values[2]);
    FtpClient* client = OpenConnection(run, "FTPUPLOADEX");
    if (client == nullptr) return StepStatus::Failed;
    const std::string& name = run.Task().TaskName;
    try {
      client->LocalFile = values[0];
      client->RemoteFile = values[1];
      SetTransferMode(*client, type);
      run.ShowStatus(name + ": Upload started.");
      client->Action(FtpAction::Upload);
      run.ShowStatus(name + ": Upload complete.");
      return StepStatus::Okay;
    } catch (const NetworkError& error) {
      LogReason(run, "FTPUPLOADEX", error);
      run.ShowStatus(name + ": Upload FAILED.");
      return StepStatus::Failed;
    }
  });

  (void)handlers.Set("FTPDNLOADEX", [](const std::string& params, RVTaskInterpreter& run) {
    const std::vector<std::string> values = ReadParamList(params, 3);
    const int type = ReadInteger(values[2]);
    FtpClient* client = OpenConnection(run, "FTPDNLOADEX");
    if (client == nullptr) return StepStatus::Failed;
    const std::string& name = run.Task().TaskName;
    try {
      client->RemoteFile = values[0];
      client->LocalFile = values[1];
      SetTransferMode(*client, type);
      run.ShowStatus(name + ": Download started.");
      client->Action(FtpAction::Download);
      return StepStatus::Okay;
    } catch (const NetworkError& error) {
      LogReason(run, "FTPDNLOADEX", error);
      run.ShowStatus(name + ": Download FAILED.");
      return StepStatus::Failed;
    }
  });

  (void)handlers.Set("FTPDELETE", [](const std::string& params, RVTaskInterpreter& run) {
    std::string rest = params;
    const std::string file = NextParam(rest);
    return RunOnConnection(run, "FTPDELETE", [&](FtpClient& client) {
      client.RemoteFile = file;
      client.Action(FtpAction::DeleteFile);
    });
  });

  (void)handlers.Set("FTPRENAME", [](const std::string& params, RVTaskInterpreter& run) {
    const std::vector<std::string> values = ReadParamList(params, 2);
    return RunOnConnection(run, "FTPRENAME", [&](FtpClient& client) {
      client.RemoteFile = values[0];
      client.AltFile = values[1];
      client.Action(FtpAction::RenameFile);
    });
  });

  auto directory_step = [&handlers](const char* keyword, FtpAction action) {
    (void)handlers.Set(keyword,
                       [keyword, action](const std::string& params, RVTaskInterpreter& run) {
                         std::string rest = params;
                         const std::string directory = NextParam(rest);
                         return RunOnConnection(run, keyword, [&](FtpClient& client) {
                           client.RemoteFile = directory;
                           client.Action(action);
                         });
                       });
  };
  directory_step("FTPMAKEDIR", FtpAction::MakeDirectory);
  directory_step("FTPREMDIR", FtpAction::RemoveDirectory);

  auto quick_transfer = [&handlers, clients](const char* keyword, FtpAction action) {
    (void)handlers.Set(
        keyword, [clients, keyword, action](const std::string& params, RVTaskInterpreter& run) {
          const std::vector<std::string> values = ReadParamList(params, 8);
          run.ftp_log_file = values[6];
          run.ftp_log_overwrite = ReadInteger(values[7]);
          const NetworkClients* network = clients(run, keyword);
          if (network == nullptr) return StepStatus::Failed;
          // A client of its own: the run's connection is neither used nor changed.
          std::unique_ptr<FtpClient> client = network->NewFtpClient();
          try {
            PrepareProtocolLog(run.ftp_log_file, run.ftp_log_overwrite);
            client->OnPITrail = ProtocolLog(run.ftp_log_file);
            SetLogin(*client, values[0], values[1], values[2], values[3]);
            client->LocalFile = values[4];
            client->RemoteFile = values[5];
            client->Action(action);
            return StepStatus::Okay;
          } catch (const NetworkError& error) {
            LogReason(run, keyword, error);
            return StepStatus::Failed;
          }
        });
  };
  quick_transfer("FTPUPLOAD", FtpAction::Upload);
  quick_transfer("FTPDOWNLOAD", FtpAction::Download);
}

}  // namespace rv
