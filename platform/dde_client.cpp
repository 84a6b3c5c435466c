#include "platform/dde_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/dde_wire.h"
#include "platform/detached_process.h"
#include "platform/paths.h"

namespace rv::dde {
namespace {

using Clock = std::chrono::steady_clock;

std::string Seconds(std::chrono::milliseconds duration) {
  const auto ms = duration.count();
  if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
  return std::to_string(ms) + " ms";
}

// A server must be of our own user: commands can carry passwords, and a
// socket of someone else's would be a way to catch them.
Result<void> CheckServer(int fd, const std::string& description) {
  std::optional<Peer> peer = PeerOf(fd);
  if (!peer) return MakeError("cannot tell who serves DDE " + description);
  if (peer->uid != ::geteuid()) {
    return MakeError("the DDE server for " + description + " belongs to user " +
                     std::to_string(peer->uid) + ", not to this user; nothing was sent");
  }
  return {};
}

Result<std::string> FindProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) {
    if (::access(program.c_str(), X_OK) != 0) {
      return MakeError("cannot start the service application " + program + ": " + ErrnoText(errno));
    }
    return program;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t colon = dirs.find(':', start);
    if (colon == std::string::npos) colon = dirs.size();
    std::string dir = dirs.substr(start, colon - start);
    if (dir.empty()) dir = ".";
    std::string candidate = dir + "/" + program;
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = colon + 1;
  }
  return MakeError("cannot start the service application " + program + ": not found in PATH");
}

}  // namespace

Result<void> StartDetached(const std::string& program) {
  Result<std::string> found = FindProgram(program);
  if (!found) return MakeError(found.error());
  Result<int> started = rv::StartDetached(DetachedStart{*found, {*found}, {}, false});
  if (!started) return MakeError("cannot start the service application: " + started.error());
  return {};
}

SocketClient::SocketClient(ClientTimeouts timeouts)
    : timeouts_(timeouts), directory_(paths::RuntimeDirectory() + "dde/") {}

Result<void> SocketClient::Execute(const Command& command) {
  const std::string description = DescribeService(command.service, command.topic);
  if (command.text.size() > kMaxCommandSize) {
    return MakeError("the command for DDE " + description + " is " +
                     std::to_string(command.text.size()) + " bytes long; at most " +
                     std::to_string(kMaxCommandSize) + " bytes can be sent");
  }
  Result<std::string> path = SocketPathIn(directory_, command.service, command.topic);
  if (!path) return MakeError(path.error());

  Connection connection = ConnectTo(*path, timeouts_.connect);
  if (connection.outcome == ConnectOutcome::NotRunning && !command.service_application.empty()) {
    if (Result<void> started = StartDetached(command.service_application); !started) {
      return MakeError("no DDE server answers for " + description + ", and " + started.error());
    }
    const auto deadline = Clock::now() + timeouts_.service_start;
    while (connection.outcome == ConnectOutcome::NotRunning && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      connection = ConnectTo(*path, timeouts_.connect);
    }
    if (connection.outcome == ConnectOutcome::NotRunning) {
      return MakeError("started " + command.service_application +
                       ", but no DDE server answered for " + description + " within " +
                       Seconds(timeouts_.service_start));
    }
  }
  switch (connection.outcome) {
    case ConnectOutcome::Connected:
      break;
    case ConnectOutcome::NotRunning:
      return MakeError("no DDE server answers for " + description + " (is the program running?)");
    case ConnectOutcome::Busy:
      return MakeError("the DDE server for " + description + " accepted no conversation within " +
                       Seconds(timeouts_.connect) + " (it is busy)");
    case ConnectOutcome::Failed:
      return MakeError("cannot reach DDE " + description + ": " + connection.error);
  }
  const int fd = connection.fd.get();
  if (Result<void> checked = CheckServer(fd, description); !checked) return checked;

  const bool wait = command.wait == Wait::Yes;
  const std::string packet = EncodeRequest(command.text, wait);
  if (packet.size() > 32 * 1024) {
    // One packet must fit the send buffer, whose default may be small.
    int size = static_cast<int>(2 * packet.size());
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  }
  ssize_t sent;
  do {
    sent = ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    // Our socket is non-blocking; a full send buffer clears quickly.
    pollfd entry{fd, POLLOUT, 0};
    if (::poll(&entry, 1, static_cast<int>(timeouts_.connect.count())) == 1) {
      sent = ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL);
    }
  }
  if (sent != static_cast<ssize_t>(packet.size())) {
    const int error = errno;
    // A server that refused us may already have closed; its answer says why.
    char early[2];
    if (sent < 0 && (error == EPIPE || error == ECONNRESET) &&
        ::recv(fd, early, sizeof early, MSG_DONTWAIT) == 2 &&
        early[1] == static_cast<char>(Ack::Refused)) {
      return MakeError("the DDE server for " + description + " refused the conversation");
    }
    return MakeError("cannot send the command to DDE " + description + ": " +
                     (sent < 0 ? ErrnoText(error) : std::string("short write")));
  }

  const std::chrono::milliseconds limit = wait ? timeouts_.acknowledge_wait : timeouts_.acknowledge;
  const auto deadline = Clock::now() + limit;
  char ack[8];
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd entry{fd, POLLIN, 0};
    int ready = ::poll(&entry, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      return MakeError("lost the conversation with DDE " + description + ": " + ErrnoText(errno));
    }
    if (ready == 0) {
      return MakeError("the DDE server for " + description +
                       " did not acknowledge the command within " + Seconds(limit));
    }
    ssize_t got = ::recv(fd, ack, sizeof ack, MSG_DONTWAIT);
    // A server that closes without reading our packet (it refused us) makes
    // the kernel report ECONNRESET once, ahead of the answer it queued.
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == ECONNRESET)) continue;
    if (got <= 0) {
      return MakeError("the DDE server for " + description +
                       " ended the conversation before acknowledging the command");
    }
    break;
  }
  if (ack[0] != static_cast<char>(kProtocolVersion)) {
    return MakeError("the DDE server for " + description + " answered in an unknown protocol");
  }
  switch (static_cast<Ack>(ack[1])) {
    case Ack::Accepted:
      return {};
    case Ack::NotAccepted:
      return MakeError("the DDE server for " + description + " did not accept the command");
    case Ack::Refused:
      return MakeError("the DDE server for " + description + " refused the conversation");
    case Ack::Malformed:
      return MakeError("the DDE server for " + description +
                       " did not understand the command packet (another protocol version?)");
    case Ack::TooLong:
      return MakeError("the DDE server for " + description + " found the command too long");
  }
  return MakeError("the DDE server for " + description + " gave an unknown answer");
}

bool SocketClient::IsServiceRunning(const std::string& service, const std::string& topic) {
  Result<std::string> path = SocketPathIn(directory_, service, topic);
  if (!path) return false;
  Connection connection = ConnectTo(*path, std::chrono::milliseconds(0));
  if (connection.outcome == ConnectOutcome::Busy) return true;  // alive, its queue is full
  if (connection.outcome != ConnectOutcome::Connected) return false;
  return CheckServer(connection.fd.get(), DescribeService(service, topic)).ok();
}

}  // namespace rv::dde
