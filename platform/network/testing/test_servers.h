#pragma once

// Real servers on loopback for the tests of the network clients and steps:
// FTP (pyftpdlib), SMTP (aiosmtpd, recording every message it takes) and
// POP3 (dovecot, run unprivileged with a throwaway configuration). Each
// starts on a free port in its constructor, waits until it accepts
// connections, and is stopped in its destructor. `Started()` says whether
// it came up; `StartError()` why not.

#include <sys/types.h>

#include <string>
#include <vector>

namespace rv::testing {

// A TCP port on 127.0.0.1 that nothing listened on a moment ago.
int FreeLoopbackPort();

// One server process (and its children, in a process group of its own),
// output to a log file.
class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts `argv` and waits up to 15 s until `port` accepts connections.
  bool Start(const std::vector<std::string>& argv, int port, const std::string& log_file);
  void Stop();
  const std::string& Error() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string error_;
};

class FtpTestServer {
 public:
  FtpTestServer(const std::string& user, const std::string& password);
  bool Started() const { return started_; }
  const std::string& StartError() const { return process_.Error(); }
  int Port() const { return port_; }
  // The served folder, with a trailing slash.
  const std::string& Root() const { return root_; }
  // What the server logged so far (one line per command and per login).
  std::string Log() const;

 private:
  std::string root_;
  std::string log_file_;
  int port_ = 0;
  ServerProcess process_;
  bool started_ = false;
};

struct ReceivedMail {
  std::string mail_from;
  std::vector<std::string> recipients;
  std::string content;  // the message as received, line ends as sent
};

class SmtpTestServer {
 public:
  SmtpTestServer();
  bool Started() const { return started_; }
  const std::string& StartError() const { return process_.Error(); }
  int Port() const { return port_; }
  // Every message taken so far, in order.
  std::vector<ReceivedMail> Messages() const;

 private:
  std::string folder_;
  int port_ = 0;
  ServerProcess process_;
  bool started_ = false;
};

class Pop3TestServer {
 public:
  // A mailbox of `user` with `messages` waiting messages.
  Pop3TestServer(const std::string& user, const std::string& password, int messages);
  ~Pop3TestServer();
  bool Started() const { return started_; }
  const std::string& StartError() const { return process_.Error(); }
  int Port() const { return port_; }

 private:
  std::string folder_;
  int port_ = 0;
  ServerProcess process_;
  bool started_ = false;
};

}  // namespace rv::testing
