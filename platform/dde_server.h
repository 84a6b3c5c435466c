#pragma once

// The server end of DDE execute conversations for one service and topic,
// for example service "Runvane", topic "System". It listens on a Unix socket
// in the runtime directory and hands every command text to its handler on
// the program's main thread, through the dispatcher: one command at a time,
// in the order the commands arrived. The next command is handed over only
// after the handler of the previous one has returned, even if that handler
// runs a nested event loop.
//
// A client that asked to wait gets its acknowledgement after the handler
// returned, with the handler's answer; any other client gets it as soon as
// the text was received. A waiting client that gave up (its time-out ran
// out) before its turn came has its command dropped, not run, since it was
// told the command failed. Only processes of the server's own user are served;
// others are refused and reported to the log sink, and nothing runs.
//
// Socket I/O runs on a thread of the server's own. The log sink, like the
// handler, is called on the main thread. Create and destroy the server on
// the main thread; the dispatcher must outlive it.

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/dde_wire.h"
#include "platform/dispatcher.h"
#include "platform/result.h"

namespace rv::dde {

class Server {
 public:
  // Returns whether the command was accepted (told only to a waiting client).
  using Handler = std::function<bool(const std::string& text)>;
  using LogSink = std::function<void(const std::string& line)>;

  // Fails when another live server already answers for the same service and
  // topic (names compared without regard to case). A socket file left behind
  // by a process that died is replaced.
  static Result<std::unique_ptr<Server>> Start(const std::string& service, const std::string& topic,
                                               Dispatcher& dispatcher, Handler handler,
                                               LogSink log = {});

  // Stops listening and removes the socket file. Commands received but not
  // yet handled are dropped; their waiting clients see the conversation end
  // without an acknowledgement.
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  const std::string& socket_path() const { return socket_path_; }

 private:
  struct Shared;
  class Loop;

  Server() = default;

  std::string socket_path_;
  std::string lock_path_;
  dev_t socket_device_ = 0;
  ino_t socket_inode_ = 0;
  UniqueFd listen_fd_;
  UniqueFd wake_fd_;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace rv::dde
