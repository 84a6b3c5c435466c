#pragma once

// What the DDE client and server share: where a service's socket lives, the
// packets they exchange, and a few socket helpers. Internal to the DDE layer.
//
// A conversation is one SOCK_SEQPACKET connection carrying one command:
//   request:         version byte, flags byte (bit 0: wait), command text
//   acknowledgement: version byte, status byte (Ack)
// The kernel keeps each packet whole, so no length prefix is needed.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/result.h"

namespace rv::dde {

inline constexpr uint8_t kProtocolVersion = 1;
inline constexpr uint8_t kFlagWait = 0x01;
inline constexpr size_t kHeaderSize = 2;
// Well below the default socket send buffer (about 208 KiB), which bounds
// one packet.
inline constexpr size_t kMaxCommandSize = 128 * 1024;

enum class Ack : uint8_t {
  NotAccepted = 0,
  Accepted = 1,
  Refused = 2,    // the peer is not the server's user
  Malformed = 3,  // not a request of this protocol version
  TooLong = 4,
};

// Owns one file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Reset();

 private:
  int fd_ = -1;
};

// "<runtime>/dde/", created with mode 0700 and checked to belong to this
// user, so no other user can plant or read sockets there.
Result<std::string> SocketDirectory();

// The socket file name of a service and topic: both lower-cased (DDE names
// ignore case) and joined by a dot; bytes other than letters, digits, '-'
// and '_' are written as %XX, so every name pair maps to its own file and
// no name can leave the directory.
Result<std::string> SocketFileName(std::string_view service, std::string_view topic);

// SocketDirectory() + SocketFileName(), checked to fit a socket address.
Result<std::string> SocketPath(std::string_view service, std::string_view topic);
// The same below a directory already known (with a trailing slash), without
// creating or checking it: what a client needs, once per command.
Result<std::string> SocketPathIn(const std::string& directory, std::string_view service,
                                 std::string_view topic);

// "service "Runvane", topic "System"" for messages.
std::string DescribeService(std::string_view service, std::string_view topic);

std::string EncodeRequest(std::string_view text, bool wait);

struct Request {
  bool wait = false;
  std::string text;
};
// nullopt when the packet is not a request of this protocol version.
std::optional<Request> DecodeRequest(std::string_view packet);

// The user at the other end of a connected Unix socket.
struct Peer {
  pid_t pid = 0;
  uid_t uid = 0;
};
std::optional<Peer> PeerOf(int fd);

// Sends one small packet without blocking and without SIGPIPE; false when
// it could not be sent (the peer left).
bool SendAck(int fd, Ack ack);

enum class ConnectOutcome { Connected, NotRunning, Busy, Failed };
struct Connection {
  ConnectOutcome outcome = ConnectOutcome::Failed;
  UniqueFd fd;
  std::string error;  // for Failed
};
// Connects a non-blocking SOCK_SEQPACKET socket to `path`. A full listen
// queue is retried until `timeout` (then Busy); no socket file or nobody
// listening on it is NotRunning, at once.
Connection ConnectTo(const std::string& path, std::chrono::milliseconds timeout);

std::string ErrnoText(int error);

}  // namespace rv::dde
