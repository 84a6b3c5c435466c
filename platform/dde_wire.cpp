#include "platform/dde_wire.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/paths.h"

namespace rv::dde {

void UniqueFd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string ErrnoText(int error) {
  return std::strerror(error);
}

Result<std::string> SocketDirectory() {
  std::string dir = paths::RuntimeDirectory() + "dde/";
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    return MakeError("cannot create the DDE socket directory " + dir + ": " + ErrnoText(errno));
  }
  struct stat info {};
  if (::lstat(dir.c_str(), &info) != 0) {
    return MakeError("cannot read the DDE socket directory " + dir + ": " + ErrnoText(errno));
  }
  if (!S_ISDIR(info.st_mode)) {
    return MakeError("the DDE socket directory " + dir + " is not a directory");
  }
  if (info.st_uid != ::geteuid()) {
    return MakeError("the DDE socket directory " + dir + " belongs to user " +
                     std::to_string(info.st_uid) + ", not to this user");
  }
  if ((info.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0) {
    return MakeError("cannot make the DDE socket directory " + dir +
                     " private: " + ErrnoText(errno));
  }
  return dir;
}

namespace {

void AppendName(std::string& out, std::string_view name) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') {
      out += static_cast<char>(byte - 'A' + 'a');
    } else if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '-' ||
               byte == '_') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    }
  }
}

}  // namespace

std::string DescribeService(std::string_view service, std::string_view topic) {
  return "service \"" + std::string(service) + "\", topic \"" + std::string(topic) + "\"";
}

Result<std::string> SocketFileName(std::string_view service, std::string_view topic) {
  if (service.empty()) return MakeError("the DDE service name is empty");
  if (topic.empty()) return MakeError("the DDE topic name is empty");
  std::string name;
  AppendName(name, service);
  name += '.';
  AppendName(name, topic);
  return name;
}

Result<std::string> SocketPath(std::string_view service, std::string_view topic) {
  Result<std::string> dir = SocketDirectory();
  if (!dir) return MakeError(dir.error());
  return SocketPathIn(*dir, service, topic);
}

Result<std::string> SocketPathIn(const std::string& directory, std::string_view service,
                                 std::string_view topic) {
  Result<std::string> name = SocketFileName(service, topic);
  if (!name) return MakeError(name.error());
  std::string path = directory + *name;
  if (path.size() >= sizeof(sockaddr_un::sun_path)) {
    return MakeError("the DDE socket path for " + DescribeService(service, topic) + " is " +
                     std::to_string(path.size()) +
                     " bytes long, more than a socket address holds (" +
                     std::to_string(sizeof(sockaddr_un::sun_path) - 1) + "): " + path);
  }
  return path;
}

std::string EncodeRequest(std::string_view text, bool wait) {
  std::string packet;
  packet.reserve(kHeaderSize + text.size());
  packet += static_cast<char>(kProtocolVersion);
  packet += static_cast<char>(wait ? kFlagWait : 0);
  packet.append(text);
  return packet;
}

std::optional<Request> DecodeRequest(std::string_view packet) {
  if (packet.size() < kHeaderSize) return std::nullopt;
  if (static_cast<uint8_t>(packet[0]) != kProtocolVersion) return std::nullopt;
  auto flags = static_cast<uint8_t>(packet[1]);
  if ((flags & ~kFlagWait) != 0) return std::nullopt;
  return Request{(flags & kFlagWait) != 0, std::string(packet.substr(kHeaderSize))};
}

std::optional<Peer> PeerOf(int fd) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
  return Peer{credentials.pid, credentials.uid};
}

bool SendAck(int fd, Ack ack) {
  const char packet[2] = {static_cast<char>(kProtocolVersion), static_cast<char>(ack)};
  return ::send(fd, packet, sizeof packet, MSG_NOSIGNAL | MSG_DONTWAIT) ==
         static_cast<ssize_t>(sizeof packet);
}

Connection ConnectTo(const std::string& path, std::chrono::milliseconds timeout) {
  Connection result;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    result.error = "socket path too long: " + path;
    return result;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
      result.error = "cannot create a socket: " + ErrnoText(errno);
      return result;
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      result.outcome = ConnectOutcome::Connected;
      result.fd = std::move(fd);
      return result;
    }
    const int error = errno;
    if (error == ENOENT || error == ECONNREFUSED) {
      result.outcome = ConnectOutcome::NotRunning;
      return result;
    }
    if (error == EINPROGRESS) {
      // Not what Unix sockets do today, but harmless to honour.
      pollfd entry{fd.get(), POLLOUT, 0};
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      int soerror = 0;
      socklen_t size = sizeof soerror;
      if (::poll(&entry, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) == 1 &&
          ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &soerror, &size) == 0 && soerror == 0) {
        result.outcome = ConnectOutcome::Connected;
        result.fd = std::move(fd);
        return result;
      }
      result.outcome = soerror == ECONNREFUSED ? ConnectOutcome::NotRunning : ConnectOutcome::Busy;
      return result;
    }
    if (error != EAGAIN) {
      result.error = "cannot connect to " + path + ": " + ErrnoText(error);
      return result;
    }
    // The server's listen queue is full: it is alive but behind. Unix sockets
    // give no readiness event for this, so try again shortly.
    if (std::chrono::steady_clock::now() >= deadline) {
      result.outcome = ConnectOutcome::Busy;
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace rv::dde
