#include "platform/network/testing/test_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/testing/test_home.h"

extern char** environ;

namespace rv::testing {
namespace {

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

// Debian's Python modules are seen by the system's interpreter.
constexpr const char* kPython = "/usr/bin/python3";

constexpr const char* kSmtpScript = R"(
import os, sys, signal, threading
from aiosmtpd.controller import Controller

folder, port = sys.argv[1], int(sys.argv[2])
count = [0]

class Recorder:
    async def handle_DATA(self, server, session, envelope):
        n = count[0]
        count[0] += 1
        base = os.path.join(folder, "%03d" % n)
        with open(base + ".from", "w") as f:
            f.write(envelope.mail_from)
        with open(base + ".rcpt", "w") as f:
            f.write("\n".join(envelope.rcpt_tos))
        with open(base + ".tmp", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".tmp", base + ".eml")
        return "250 Message accepted"

controller = Controller(Recorder(), hostname="127.0.0.1", port=port)
controller.start()
done = threading.Event()
signal.signal(signal.SIGTERM, lambda *args: done.set())
done.wait()
controller.stop()
)";

}  // namespace

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

ServerProcess::~ServerProcess() {
  Stop();
}

bool ServerProcess::Start(const std::vector<std::string>& argv, int port,
                          const std::string& log_file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log_file.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A group of its own, so stopping it reaches the server's children too.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::vector<std::string> storage = argv;
  std::vector<char*> args;
  for (std::string& arg : storage)
    args.push_back(arg.data());
  args.push_back(nullptr);
  const int spawned = ::posix_spawn(&pid_, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    pid_ = -1;
    error_ = "cannot start " + argv[0];
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    if (Accepts(port)) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_ = argv[0] + " ended at once: " + ReadFile(log_file);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error_ = argv[0] + " did not listen on port " + std::to_string(port) + ": " + ReadFile(log_file);
  Stop();
  return false;
}

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGTERM);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  pid_ = -1;
}

FtpTestServer::FtpTestServer(const std::string& user, const std::string& password) {
  const std::string folder = MakeTempDir("ftp");
  root_ = folder + "root/";
  std::filesystem::create_directories(root_);
  log_file_ = folder + "server.log";
  port_ = FreeLoopbackPort();
  started_ = process_.Start({kPython, "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                             std::to_string(port_), "-w", "-d", root_, "-u", user, "-P", password},
                            port_, log_file_);
}

std::string FtpTestServer::Log() const {
  return ReadFile(log_file_);
}

SmtpTestServer::SmtpTestServer() {
  folder_ = MakeTempDir("smtp");
  WriteFile(folder_ + "server.py", kSmtpScript);
  std::filesystem::create_directories(folder_ + "mail");
  port_ = FreeLoopbackPort();
  started_ =
      process_.Start({kPython, folder_ + "server.py", folder_ + "mail", std::to_string(port_)},
                     port_, folder_ + "server.log");
}

std::vector<ReceivedMail> SmtpTestServer::Messages() const {
  std::vector<ReceivedMail> messages;
  for (int n = 0;; ++n) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "%03d", n);
    const std::string base = folder_ + "mail/" + stem;
    if (!std::filesystem::exists(base + ".eml")) break;
    ReceivedMail mail;
    mail.mail_from = ReadFile(base + ".from");
    const std::string recipients = ReadFile(base + ".rcpt");
    std::size_t start = 0;
    while (start < recipients.size()) {
      std::size_t end = recipients.find('\n', start);
      if (end == std::string::npos) end = recipients.size();
      mail.recipients.push_back(recipients.substr(start, end - start));
      start = end + 1;
    }
    mail.content = ReadFile(base + ".eml");
    messages.push_back(mail);
  }
  return messages;
}

Pop3TestServer::Pop3TestServer(const std::string& user, const std::string& password, int messages) {
  // Run as root, the server drops to nobody, which cannot enter the test
  // home: its folder is a world-readable one of its own.
  const bool as_root = ::geteuid() == 0;
  char pattern[] = "/tmp/rvpop3-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return;
  folder_ = std::string(pattern) + "/";
  ::chmod(folder_.c_str(), 0755);
  std::string account = "nobody";
  std::string group = "nogroup";
  if (!as_root) {
    if (const passwd* entry = ::getpwuid(::geteuid())) account = entry->pw_name;
    if (const ::group* entry = ::getgrgid(::getegid())) group = entry->gr_name;
  }
  const std::string maildir = folder_ + "home/" + user + "/Maildir/";
  for (const char* sub : {"new", "cur", "tmp"})
    std::filesystem::create_directories(maildir + sub);
  for (int i = 0; i < messages; ++i) {
    WriteFile(
        maildir + "new/" + std::to_string(1000 + i) + ".M" + std::to_string(i) + "P1.test",
        "From: sender@example.org\r\nSubject: message " + std::to_string(i) + "\r\n\r\nbody\r\n");
  }
  WriteFile(folder_ + "passwd", user + ":{PLAIN}" + password + "\n");
  port_ = FreeLoopbackPort();
  const std::string config =
      "protocols = pop3\n"
      "listen = 127.0.0.1\n"
      "base_dir = " +
      folder_ +
      "run\n"
      "state_dir = " +
      folder_ +
      "state\n"
      "log_path = " +
      folder_ +
      "dovecot.log\n"
      "ssl = no\n"
      "disable_plaintext_auth = no\n"
      "auth_mechanisms = plain\n"
      "default_login_user = " +
      account +
      "\n"
      "default_internal_user = " +
      account +
      "\n"
      "default_internal_group = " +
      group +
      "\n"
      "first_valid_uid = 1\n"
      "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " +
      folder_ +
      "passwd\n}\n"
      "userdb {\n  driver = static\n  args = uid=" +
      account + " gid=" + group + " home=" + folder_ +
      "home/%u\n}\n"
      "mail_location = maildir:~/Maildir\n"
      "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    address = 127.0.0.1\n"
      "    port = " +
      std::to_string(port_) +
      "\n  }\n}\n"
      "service imap-login {\n  chroot =\n}\n"
      "service anvil {\n  chroot =\n}\n";
  WriteFile(folder_ + "dovecot.conf", config);
  std::filesystem::create_directories(folder_ + "run");
  std::filesystem::create_directories(folder_ + "state");
  std::vector<std::string> argv;
  if (as_root) {
    const passwd* nobody = ::getpwnam("nobody");
    const ::group* nogroup = ::getgrnam(group.c_str());
    if (nobody != nullptr && nogroup != nullptr) {
      (void)::lchown(folder_.c_str(), nobody->pw_uid, nogroup->gr_gid);
      for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_))
        (void)::lchown(entry.path().c_str(), nobody->pw_uid, nogroup->gr_gid);
    }
    argv = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=" + group, "--clear-groups"};
  }
  argv.insert(argv.end(), {"/usr/sbin/dovecot", "-F", "-c", folder_ + "dovecot.conf"});
  started_ = process_.Start(argv, port_, folder_ + "server.log");
}

Pop3TestServer::~Pop3TestServer() {
  process_.Stop();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

}  // namespace rv::testing
