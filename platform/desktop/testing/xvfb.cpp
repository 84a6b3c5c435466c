#include "platform/desktop/testing/xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/testing/test_home.h"

namespace rv::testing {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Reads one line from `fd` within `limit`; empty on time-out or end.
std::string ReadLine(int fd, std::string& buffer, std::chrono::milliseconds limit) {
  const SteadyClock::time_point until = SteadyClock::now() + limit;
  for (;;) {
    if (std::size_t end = buffer.find('\n'); end != std::string::npos) {
      std::string line = buffer.substr(0, end);
      buffer.erase(0, end + 1);
      return line;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(until - SteadyClock::now());
    if (left.count() <= 0) return {};
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) return {};
    char chunk[512];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got <= 0) return {};
    buffer.append(chunk, static_cast<std::size_t>(got));
  }
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (::access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

pid_t SpawnOnDisplay(const std::string& display, const std::vector<std::string>& argv, int stdin_fd,
                     int stdout_fd) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::setenv("DISPLAY", display.c_str(), 1);
  if (stdin_fd >= 0) ::dup2(stdin_fd, 0);
  if (stdout_fd >= 0) ::dup2(stdout_fd, 1);
  const int null = ::open("/dev/null", O_RDWR);
  if (stdin_fd < 0) ::dup2(null, 0);
  if (stdout_fd < 0) ::dup2(null, 1);
  ::dup2(null, 2);
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

void KillAndReap(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

Result<std::unique_ptr<XvfbServer>> XvfbServer::Start(int width, int height) {
  if (!OnPath("Xvfb")) return MakeError("Xvfb is not installed");
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return MakeError("no pipe for Xvfb");
  std::unique_ptr<XvfbServer> server(new XvfbServer());
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  server->server_ = ::fork();
  if (server->server_ == 0) {
    ::close(pipe_fds[0]);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    const std::string fd = std::to_string(pipe_fds[1]);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
             "tcp", "-noreset", "+extension", "RANDR", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  std::string buffer;
  std::string number = ReadLine(pipe_fds[0], buffer, std::chrono::seconds(10));
  ::close(pipe_fds[0]);
  if (number.empty()) return MakeError("Xvfb did not report a display in time");
  server->display_ = ":" + number;
  return server;
}

Result<void> XvfbServer::StartWindowManager() {
  if (!OnPath("openbox")) return MakeError("openbox is not installed");
  manager_ = SpawnOnDisplay(display_, {"openbox", "--sm-disable"});
  ::Display* display = XOpenDisplay(display_.c_str());
  if (display == nullptr) return MakeError("cannot open " + display_);
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  const SteadyClock::time_point until = SteadyClock::now() + std::chrono::seconds(10);
  bool ready = false;
  while (!ready && SteadyClock::now() < until) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType,
                       &type, &format, &count, &after, &data);
    ready = count > 0;
    if (data != nullptr) XFree(data);
    if (!ready) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // Ready means managing: a probe window must reach the client list.
  const Window probe =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
  XMapWindow(display, probe);
  XSync(display, False);
  const Atom clients = XInternAtom(display, "_NET_CLIENT_LIST", False);
  bool managed = false;
  while (ready && !managed && SteadyClock::now() < until) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, DefaultRootWindow(display), clients, 0, 1024, False, XA_WINDOW,
                       &type, &format, &count, &after, &data);
    for (unsigned long i = 0; i < count && !managed; ++i)
      managed = reinterpret_cast<Window*>(data)[i] == probe;
    if (data != nullptr) XFree(data);
    if (managed) break;
    // A window mapped while the manager was still starting may have slipped
    // past it: map it again.
    XUnmapWindow(display, probe);
    XMapWindow(display, probe);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  XDestroyWindow(display, probe);
  XSync(display, False);
  XCloseDisplay(display);
  if (!ready || !managed) return MakeError("openbox did not start in time");
  return {};
}

XvfbServer::~XvfbServer() {
  KillAndReap(manager_);
  KillAndReap(server_);
}

Result<std::unique_ptr<ForeignKeyGrab>> ForeignKeyGrab::Grab(const std::string& display,
                                                             const std::string& key, bool control) {
  ::Display* other = XOpenDisplay(display.c_str());
  if (other == nullptr) return MakeError("cannot open " + display);
  std::unique_ptr<ForeignKeyGrab> grab(new ForeignKeyGrab());
  grab->connection_ = other;
  const KeyCode code = XKeysymToKeycode(other, XStringToKeysym(key.c_str()));
  XGrabKey(other, code, control ? ControlMask : 0, DefaultRootWindow(other), False, GrabModeAsync,
           GrabModeAsync);
  XSync(other, False);
  return grab;
}

ForeignKeyGrab::~ForeignKeyGrab() {
  if (connection_ != nullptr) XCloseDisplay(static_cast<::Display*>(connection_));
}

Result<bool> SwitchScreenSize(const std::string& display, std::chrono::milliseconds hold) {
  ::Display* other = XOpenDisplay(display.c_str());
  if (other == nullptr) return MakeError("cannot open " + display);
  XRRScreenConfiguration* config = XRRGetScreenInfo(other, DefaultRootWindow(other));
  if (config == nullptr) {
    XCloseDisplay(other);
    return MakeError("no XRandR screen information");
  }
  int sizes = 0;
  XRRConfigSizes(config, &sizes);
  Rotation rotation = 0;
  const SizeID current = XRRConfigCurrentConfiguration(config, &rotation);
  if (sizes >= 2) {
    XRRSetScreenConfig(other, config, DefaultRootWindow(other), current == 0 ? 1 : 0, rotation,
                       CurrentTime);
    XSync(other, False);
    std::this_thread::sleep_for(hold);
    XRRFreeScreenConfigInfo(config);
    config = XRRGetScreenInfo(other, DefaultRootWindow(other));
    XRRSetScreenConfig(other, config, DefaultRootWindow(other), current, rotation, CurrentTime);
    XSync(other, False);
  }
  XRRFreeScreenConfigInfo(config);
  XCloseDisplay(other);
  return sizes >= 2;
}

std::string DesktopTestProgram(const std::string& name) {
  return BuildDir() + "/platform/desktop/" + name;
}

Result<std::unique_ptr<XTestClient>> XTestClient::Start(const std::string& display) {
  std::unique_ptr<XTestClient> client(new XTestClient());
  client->keys_file_ = MakeTempDir("keys") + "keys.txt";
  WriteFile(client->keys_file_, "");
  int in[2];
  int out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
    return MakeError("no pipes for the test client");
  client->pid_ = SpawnOnDisplay(display, {DesktopTestProgram("x_test_client"), client->keys_file_},
                                in[0], out[1]);
  ::close(in[0]);
  ::close(out[1]);
  client->to_client_ = in[1];
  client->from_client_ = out[0];
  if (ReadLine(client->from_client_, client->buffer_, std::chrono::seconds(10)) != "ready")
    return MakeError("the test client did not start");
  return client;
}

XTestClient::~XTestClient() {
  if (to_client_ >= 0) ::close(to_client_);
  if (from_client_ >= 0) ::close(from_client_);
  KillAndReap(pid_);
}

Result<std::string> XTestClient::Command(const std::string& line) {
  const std::string text = line + "\n";
  if (::write(to_client_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    return MakeError("the test client is gone");
  std::string answer = ReadLine(from_client_, buffer_, std::chrono::seconds(10));
  if (answer.rfind("ok", 0) != 0) return MakeError("test client: \"" + answer + "\" for " + line);
  return answer.size() > 3 ? answer.substr(3) : std::string();
}

unsigned long XTestClient::Handle(const std::string& id) {
  Result<std::string> answer = Command("handle " + id);
  return answer ? std::stoul(*answer) : 0;
}

std::vector<std::string> XTestClient::Keys() const {
  std::vector<std::string> lines;
  const std::string text = ReadFile(keys_file_);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> XTestClient::WaitForKeys(std::size_t count,
                                                  std::chrono::milliseconds limit) {
  const SteadyClock::time_point until = SteadyClock::now() + limit;
  std::vector<std::string> keys = Keys();
  while (keys.size() < count && SteadyClock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    keys = Keys();
  }
  return keys;
}

std::string XTestClient::TypedText(std::size_t characters, std::chrono::milliseconds limit) {
  const SteadyClock::time_point until = SteadyClock::now() + limit;
  for (;;) {
    std::string text;
    for (const std::string& line : Keys()) {
      // "<keysym> <state> <text>": the text is what follows the second blank.
      const std::size_t first = line.find(' ');
      const std::size_t second = line.find(' ', first + 1);
      if (second != std::string::npos) text += line.substr(second + 1);
    }
    std::size_t count = 0;
    for (unsigned char c : text)
      count += (c & 0xC0) != 0x80;
    if (count >= characters || SteadyClock::now() >= until) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void XTestClient::ClearKeys() {
  WriteFile(keys_file_, "");
}

}  // namespace rv::testing
