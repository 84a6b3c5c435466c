#pragma once

// The client end of DDE execute conversations: each command opens a
// conversation of its own, sends one command text and waits for the
// server's acknowledgement. There are no replies beyond "accepted".
//
// Client is the interface the programs and the step handlers use;
// SocketClient talks to the Unix-socket servers of dde_server.h, and
// FakeClient (fake_dde_client.h) stands in for it in tests.

#include <chrono>
#include <string>

#include "platform/result.h"

namespace rv::dde {

enum class Wait { No, Yes };

struct Command {
  std::string service;
  std::string topic;
  std::string text;
  Wait wait = Wait::Yes;
  // When set and no server answers: start this program (a path, or a name
  // looked up in PATH) and try again for a few seconds.
  std::string service_application;
};

class Client {
 public:
  virtual ~Client() = default;

  // Ok when the server received the command and, with Wait::Yes, its handler
  // accepted it; otherwise an error text that says what went wrong.
  // A waiting command to a server of this process must not be sent from
  // that server's main thread: the handler could only run after the wait
  // timed out.
  virtual Result<void> Execute(const Command& command) = 0;

  // Whether a server answers for the service and topic right now ("the other
  // program's window exists"). A socket file nobody listens on does not count.
  virtual bool IsServiceRunning(const std::string& service, const std::string& topic) = 0;

  Result<void> Execute(const std::string& service, const std::string& topic,
                       const std::string& text, Wait wait) {
    return Execute(Command{service, topic, text, wait, {}});
  }
};

struct ClientTimeouts {
  // For a server whose listen queue is full.
  std::chrono::milliseconds connect{2000};
  // For the acknowledgement of a command that does not wait: the server
  // sends it on receipt.
  std::chrono::milliseconds acknowledge{2000};
  // For the acknowledgement of a command that waits for the handler.
  std::chrono::milliseconds acknowledge_wait{30000};
  // For a started service application to begin answering.
  std::chrono::milliseconds service_start{5000};
};

class SocketClient final : public Client {
 public:
  // The socket directory is taken from the runtime directory once, here.
  explicit SocketClient(ClientTimeouts timeouts = {});

  using Client::Execute;
  Result<void> Execute(const Command& command) override;
  bool IsServiceRunning(const std::string& service, const std::string& topic) override;

 private:
  ClientTimeouts timeouts_;
  std::string directory_;
};

// Starts a service application detached (a session of its own, stdin from
// /dev/null, never left as the caller's zombie); a name without a slash is
// looked up in PATH. Fails when it cannot be found or executed.
Result<void> StartDetached(const std::string& program);

}  // namespace rv::dde
