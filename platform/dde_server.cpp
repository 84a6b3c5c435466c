#include "platform/dde_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

namespace rv::dde {
namespace {

using Clock = std::chrono::steady_clock;

// How many connections may wait for their command packet at once; more stay
// in the listen queue until one is done.
constexpr size_t kMaxOpenConnections = 64;
constexpr int kListenBacklog = 64;
// A client sends its command right after connecting; one that does not is
// dropped after this long so it cannot hold a slot.
constexpr auto kCommandDeadline = std::chrono::seconds(5);

// Held while a server takes over or gives up a socket file, so two servers
// starting at once cannot both decide that an old file is stale.
class DirectoryLock {
 public:
  static Result<DirectoryLock> Take(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd.valid()) return MakeError("cannot open " + path + ": " + ErrnoText(errno));
    while (::flock(fd.get(), LOCK_EX) != 0) {
      if (errno != EINTR) return MakeError("cannot lock " + path + ": " + ErrnoText(errno));
    }
    return DirectoryLock(std::move(fd));
  }

 private:
  explicit DirectoryLock(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;  // closing it releases the lock
};

bool SenderHungUp(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, 0) == 1 && (entry.revents & (POLLHUP | POLLERR)) != 0;
}

struct Pending {
  std::string text;
  UniqueFd reply;  // set when the client waits for the handler's answer
};

}  // namespace

struct Server::Shared {
  std::string description;  // service "X", topic "Y"
  Dispatcher* dispatcher = nullptr;
  Handler handler;
  LogSink log;

  std::mutex mutex;
  bool alive = true;
  bool drain_posted = false;
  std::deque<Pending> queue;

  static void Enqueue(const std::shared_ptr<Shared>& self, Pending pending) {
    bool post = false;
    {
      std::lock_guard lock(self->mutex);
      if (!self->alive) return;
      self->queue.push_back(std::move(pending));
      if (!self->drain_posted) post = self->drain_posted = true;
    }
    if (post) self->dispatcher->post([self] { Drain(self); });
  }

  // Runs on the main thread: one command per posted call, and the next call
  // is posted only when this handler has returned.
  static void Drain(const std::shared_ptr<Shared>& self) {
    Pending item;
    {
      std::lock_guard lock(self->mutex);
      if (!self->alive || self->queue.empty()) {
        self->drain_posted = false;
        return;
      }
      item = std::move(self->queue.front());
      self->queue.pop_front();
    }
    if (item.reply.valid() && SenderHungUp(item.reply.get())) {
      // It was told the command failed (its time-out ran out); running it
      // now would make that untrue.
      if (self->log) {
        self->log("DDE: dropped a command to " + self->description +
                  " whose sender stopped waiting before it could be handled");
      }
      ScheduleNext(self);
      return;
    }

    // Also when the handler throws: the client learns the command was not
    // accepted and later commands still run; the exception goes on to the
    // program's own handler.
    struct Finish {
      const std::shared_ptr<Shared>& self;
      Pending& item;
      bool accepted = false;
      ~Finish() {
        if (item.reply.valid())
          SendAck(item.reply.get(), accepted ? Ack::Accepted : Ack::NotAccepted);
        ScheduleNext(self);
      }
    } finish{self, item};
    finish.accepted = self->handler(item.text);
  }

  static void ScheduleNext(const std::shared_ptr<Shared>& self) {
    bool post = false;
    {
      std::lock_guard lock(self->mutex);
      if (self->alive && !self->queue.empty()) {
        post = true;
      } else {
        self->drain_posted = false;
      }
    }
    if (post) self->dispatcher->post([self] { Drain(self); });
  }

  static void Log(const std::shared_ptr<Shared>& self, std::string line) {
    if (!self->log) return;
    self->dispatcher->post([self, line = std::move(line)] {
      {
        std::lock_guard lock(self->mutex);
        if (!self->alive) return;
      }
      self->log(line);
    });
  }
};

// The socket thread: accepts connections, checks the peer, reads the one
// command packet and queues it for the main thread.
class Server::Loop {
 public:
  Loop(int listen_fd, int wake_fd, std::shared_ptr<Shared> shared)
      : listen_fd_(listen_fd),
        wake_fd_(wake_fd),
        user_(::geteuid()),
        shared_(std::move(shared)),
        buffer_(kHeaderSize + kMaxCommandSize + 1) {}

  void Run() {
    std::vector<pollfd> fds;
    for (;;) {
      fds.clear();
      fds.push_back({wake_fd_, POLLIN, 0});
      const bool accepting = open_.size() < kMaxOpenConnections;
      fds.push_back({accepting ? listen_fd_ : -1, POLLIN, 0});
      for (const Open& open : open_)
        fds.push_back({open.fd.get(), POLLIN, 0});

      int timeout_ms = -1;
      if (!open_.empty()) {
        auto next = open_.front().deadline;
        for (const Open& open : open_)
          next = std::min(next, open.deadline);
        auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
        timeout_ms = static_cast<int>(std::max<int64_t>(left.count(), 0));
      }
      if (::poll(fds.data(), fds.size(), timeout_ms) < 0) {
        if (errno == EINTR) continue;
        Shared::Log(shared_, "DDE: the server for " + shared_->description +
                                 " stopped listening: " + ErrnoText(errno));
        return;
      }
      if (fds[0].revents != 0) return;

      // Walk the open connections first, by the index they had when polled.
      std::vector<Open> still_open;
      const auto now = Clock::now();
      for (size_t i = 0; i < open_.size(); ++i) {
        Open& open = open_[i];
        if (fds[i + 2].revents != 0) {
          if (!Receive(open.fd, open.pid)) continue;
        } else if (now >= open.deadline) {
          Shared::Log(shared_, "DDE: process " + std::to_string(open.pid) + " connected to " +
                                   shared_->description +
                                   " but sent no command; conversation closed");
          continue;
        }
        still_open.push_back(std::move(open));
      }
      open_ = std::move(still_open);

      if (accepting && (fds[1].revents & POLLIN)) AcceptOne();
    }
  }

 private:
  struct Open {
    UniqueFd fd;
    pid_t pid = 0;
    Clock::time_point deadline;
  };

  // One per poll round: a second accept would mostly just find the queue
  // empty, and a queue with more in it makes the next poll return at once.
  void AcceptOne() {
    UniqueFd fd(::accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd.valid()) return;  // gone meanwhile, or an error the next poll reports again
    std::optional<Peer> peer = PeerOf(fd.get());
    if (!peer || peer->uid != user_) {
      std::string who =
          peer ? "process " + std::to_string(peer->pid) + " of user " + std::to_string(peer->uid)
               : std::string("a process of unknown user");
      Shared::Log(shared_, "DDE: refused a conversation with " + shared_->description + " from " +
                               who + "; only user " + std::to_string(user_) + " may send commands");
      SendAck(fd.get(), Ack::Refused);
      return;
    }
    // The client sends right after connecting, so the packet is often
    // already here: no need to wait for another poll round.
    if (!Receive(fd, peer->pid)) return;
    open_.push_back({std::move(fd), peer->pid, Clock::now() + kCommandDeadline});
  }

  // False when the connection is done with (command queued, or dropped).
  bool Receive(UniqueFd& fd, pid_t pid) {
    ssize_t size = ::recv(fd.get(), buffer_.data(), buffer_.size(), MSG_DONTWAIT);
    if (size < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (size == 0) return false;  // a probe, or a client that gave up
    auto length = static_cast<size_t>(size);
    if (length > kHeaderSize + kMaxCommandSize) {
      Shared::Log(shared_, "DDE: ignored a command to " + shared_->description + " from process " +
                               std::to_string(pid) + ": longer than " +
                               std::to_string(kMaxCommandSize) + " bytes");
      SendAck(fd.get(), Ack::TooLong);
      return false;
    }
    std::optional<Request> request = DecodeRequest(std::string_view(buffer_.data(), length));
    if (!request) {
      Shared::Log(shared_, "DDE: ignored a packet to " + shared_->description + " from process " +
                               std::to_string(pid) +
                               " that is not a command of this protocol version");
      SendAck(fd.get(), Ack::Malformed);
      return false;
    }
    if (request->wait) {
      Shared::Enqueue(shared_, Pending{std::move(request->text), std::move(fd)});
    } else {
      // Answer first so the client runs on while the main thread is woken.
      // Order is kept all the same: this thread queues the command before
      // it reads any later one.
      SendAck(fd.get(), Ack::Accepted);
      Shared::Enqueue(shared_, Pending{std::move(request->text), UniqueFd()});
    }
    return false;
  }

  const int listen_fd_;
  const int wake_fd_;
  const uid_t user_;
  std::shared_ptr<Shared> shared_;
  std::vector<char> buffer_;
  std::vector<Open> open_;
};

Result<std::unique_ptr<Server>> Server::Start(const std::string& service, const std::string& topic,
                                              Dispatcher& dispatcher, Handler handler,
                                              LogSink log) {
  const std::string description = DescribeService(service, topic);
  Result<std::string> path = SocketPath(service, topic);
  if (!path) return MakeError(path.error());
  const std::string dir = path->substr(0, path->rfind('/') + 1);

  std::unique_ptr<Server> server(new Server());
  server->socket_path_ = *path;
  server->lock_path_ = dir + ".lock";

  Result<DirectoryLock> lock = DirectoryLock::Take(server->lock_path_);
  if (!lock)
    return MakeError("cannot start the DDE server for " + description + ": " + lock.error());

  server->listen_fd_ =
      UniqueFd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!server->listen_fd_.valid()) {
    return MakeError("cannot create the DDE server socket for " + description + ": " +
                     ErrnoText(errno));
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path->c_str(), path->size() + 1);
  auto bind_socket = [&] {
    return ::bind(server->listen_fd_.get(), reinterpret_cast<const sockaddr*>(&address),
                  sizeof address) == 0;
  };
  if (!bind_socket()) {
    if (errno != EADDRINUSE) {
      return MakeError("cannot bind the DDE server socket " + *path + ": " + ErrnoText(errno));
    }
    Connection probe = ConnectTo(*path, std::chrono::milliseconds(500));
    if (probe.outcome == ConnectOutcome::Connected || probe.outcome == ConnectOutcome::Busy) {
      return MakeError("another program already serves DDE " + description + " (socket " + *path +
                       ")");
    }
    // Left behind by a process that died: nobody listens on it.
    if (::unlink(path->c_str()) != 0 && errno != ENOENT) {
      return MakeError("cannot remove the stale DDE socket " + *path + ": " + ErrnoText(errno));
    }
    if (!bind_socket()) {
      return MakeError("cannot bind the DDE server socket " + *path + ": " + ErrnoText(errno));
    }
  }
  struct stat info {};
  if (::stat(path->c_str(), &info) == 0) {
    server->socket_device_ = info.st_dev;
    server->socket_inode_ = info.st_ino;
  }
  if (::listen(server->listen_fd_.get(), kListenBacklog) != 0) {
    std::string error = ErrnoText(errno);
    ::unlink(path->c_str());
    return MakeError("cannot listen on the DDE server socket " + *path + ": " + error);
  }

  server->wake_fd_ = UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!server->wake_fd_.valid()) {
    std::string error = ErrnoText(errno);
    ::unlink(path->c_str());
    return MakeError("cannot start the DDE server for " + description + ": " + error);
  }

  auto shared = std::make_shared<Shared>();
  shared->description = description;
  shared->dispatcher = &dispatcher;
  shared->handler = std::move(handler);
  shared->log = std::move(log);
  server->shared_ = shared;
  server->thread_ =
      std::thread([loop = std::make_shared<Loop>(server->listen_fd_.get(), server->wake_fd_.get(),
                                                 shared)] { loop->Run(); });
  return server;
}

Server::~Server() {
  if (shared_) {
    std::lock_guard lock(shared_->mutex);
    shared_->alive = false;
    shared_->queue.clear();  // closes the connections of waiting clients
  }
  if (thread_.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wake_fd_.get(), &one, sizeof one);
    thread_.join();
  }
  if (socket_path_.empty()) return;
  // Remove the file before the socket closes, and only if it is still ours,
  // so a server that has just taken over the name keeps its socket.
  Result<DirectoryLock> lock = DirectoryLock::Take(lock_path_);
  struct stat info {};
  if (::stat(socket_path_.c_str(), &info) == 0 && info.st_dev == socket_device_ &&
      info.st_ino == socket_inode_) {
    ::unlink(socket_path_.c_str());
  }
}

}  // namespace rv::dde
