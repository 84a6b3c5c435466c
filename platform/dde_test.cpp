#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/dde_client.h"
#include "platform/dde_server.h"
#include "platform/dde_wire.h"
#include "platform/fake_dde_client.h"
#include "platform/manual_dispatcher.h"
#include "platform/paths.h"
#include "platform/testing/test_home.h"

namespace rv::dde {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

// The service-application test starts this very binary with RV_DDE_HELPER
// set: it then serves one command of service "Helper", writes down what it
// got, and exits before any test runs.
void ServeOneCommandAsHelper() {
  ManualDispatcher dispatcher;
  bool done = false;
  auto server = Server::Start("Helper", "System", dispatcher, [&](const std::string& text) {
    testing::WriteFile(paths::RuntimeDirectory() + "helper-got",
                       text + "\n" + std::to_string(::getsid(0)));
    done = true;
    return true;
  });
  if (!server) ::_exit(3);
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!done && std::chrono::steady_clock::now() < deadline)
    dispatcher.WaitAndRunPending(50ms);
}

[[maybe_unused]] const bool kRanAsHelper = [] {
  if (std::getenv("RV_DDE_HELPER") == nullptr) return false;
  ServeOneCommandAsHelper();
  ::_exit(0);
}();

ClientTimeouts TestTimeouts() {
  ClientTimeouts timeouts;
  timeouts.connect = 2s;
  timeouts.acknowledge = 5s;
  timeouts.acknowledge_wait = 20s;
  timeouts.service_start = 10s;
  return timeouts;
}

UniqueFd RawSocket() {
  return UniqueFd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
}

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

UniqueFd RawListener(const std::string& path) {
  UniqueFd fd = RawSocket();
  sockaddr_un address = AddressOf(path);
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.get(), 8) != 0) {
    throw std::runtime_error("cannot listen on " + path + ": " + ErrnoText(errno));
  }
  return fd;
}

// Sends one raw packet and returns the acknowledgement's status byte, or -1
// when the server closed the conversation without one.
int RawExchange(const std::string& path, const std::string& packet) {
  UniqueFd fd = RawSocket();
  sockaddr_un address = AddressOf(path);
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -2;
  // A refusing server may close before the send; its answer is still there.
  [[maybe_unused]] ssize_t sent = ::send(fd.get(), packet.data(), packet.size(), MSG_NOSIGNAL);
  char ack[2];
  ssize_t got = ::recv(fd.get(), ack, sizeof ack, 0);
  if (got < 0 && errno == ECONNRESET) got = ::recv(fd.get(), ack, sizeof ack, 0);
  return got == 2 ? ack[1] : -1;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

class DdeTest : public ::testing::Test {
 protected:
  std::unique_ptr<Server> Serve(const std::string& service, const std::string& topic,
                                Server::Handler handler) {
    auto server = Server::Start(service, topic, dispatcher_, std::move(handler),
                                [this](const std::string& line) { log_.push_back(line); });
    if (!server) {
      ADD_FAILURE() << server.error();
      return nullptr;
    }
    return std::move(*server);
  }

  // Runs the main loop until `done` holds; fails instead of hanging.
  template <typename Predicate>
  void PumpUntil(Predicate done, std::chrono::seconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "timed out pumping the main loop";
        return;
      }
      try {
        dispatcher_.WaitAndRunPending(5ms);
      } catch (const std::exception& error) {
        handler_exceptions_.push_back(error.what());
      }
    }
  }

  // Sends from another thread while this, the main thread, runs the loop:
  // a waiting command needs the main thread to handle it.
  Result<void> ExecuteWhilePumping(Command command, SocketClient* client = nullptr) {
    SocketClient& sender = client ? *client : client_;
    auto future = std::async(std::launch::async, [&] { return sender.Execute(command); });
    PumpUntil([&] { return future.wait_for(0s) == std::future_status::ready; }, 60s);
    return future.get();
  }

  ManualDispatcher dispatcher_;
  SocketClient client_{TestTimeouts()};
  std::vector<std::string> log_;
  std::vector<std::string> handler_exceptions_;
};

TEST(DdeNamesTest, SocketFileNamesIgnoreCaseAndStayInsideTheDirectory) {
  struct Row {
    std::string service, topic, expected;
  } rows[] = {
      {"Runvane", "System", "runvane.system"},
      {"SETTINGS", "system", "settings.system"},
      {"a.b", "c", "a%2eb.c"},
      {"a", "b.c", "a.b%2ec"},
      {"../x", "y", "%2e%2e%2fx.y"},
      {"My App", "Topic_1-2", "my%20app.topic_1-2"},
  };
  for (const Row& row : rows) {
    Result<std::string> name = SocketFileName(row.service, row.topic);
    ASSERT_TRUE(name.ok()) << row.service;
    EXPECT_EQ(*name, row.expected);
  }
  EXPECT_THAT(SocketFileName("", "System").error(), HasSubstr("service name is empty"));
  EXPECT_THAT(SocketFileName("Runvane", "").error(), HasSubstr("topic name is empty"));
  EXPECT_THAT(SocketPath(std::string(200, 'x'), "System").error(),
              HasSubstr("more than a socket address holds"));
}

TEST(DdeNamesTest, SocketDirectoryIsPrivate) {
  Result<std::string> dir = SocketDirectory();
  ASSERT_TRUE(dir.ok()) << dir.error();
  EXPECT_EQ(*dir, paths::RuntimeDirectory() + "dde/");
  ::chmod(dir->c_str(), 0755);
  ASSERT_TRUE(SocketDirectory().ok());
  struct stat info {};
  ASSERT_EQ(::stat(dir->c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(DdeTest, WaitingExecuteDeliversTheTextOnTheMainThreadAndReturnsTheHandlersAnswer) {
  struct Row {
    std::string text;
    bool accept;
  } rows[] = {
      {"LAUNCH: Backup", true},
      {"PLAYSTEPS: REM: one\r\nREM: two\r\n", true},
      {"MESSAGE: caf\xc3\xa9", false},
      {"", true},
  };
  for (const Row& row : rows) {
    std::vector<std::string> got;
    bool on_main = false;
    auto server = Serve("Runvane", "System", [&](const std::string& text) {
      got.push_back(text);
      on_main = dispatcher_.IsMainThread();
      return row.accept;
    });
    Result<void> result = ExecuteWhilePumping({"Runvane", "System", row.text, Wait::Yes, {}});
    EXPECT_EQ(got, std::vector<std::string>{row.text});
    EXPECT_TRUE(on_main);
    if (row.accept) {
      EXPECT_TRUE(result.ok()) << result.error();
    } else {
      ASSERT_FALSE(result.ok());
      EXPECT_THAT(result.error(), HasSubstr("did not accept the command"));
    }
  }
}

TEST_F(DdeTest, ExecuteWithoutWaitingIsAcknowledgedBeforeTheHandlerRuns) {
  std::vector<std::string> got;
  auto server = Serve("Settings", "System", [&](const std::string& text) {
    got.push_back(text);
    return false;  // not accepted, which a client that does not wait never learns
  });
  // The main thread is this one and runs nothing until the client returned.
  Result<void> result = client_.Execute("Settings", "System", "MESSAGE: step 3", Wait::No);
  EXPECT_TRUE(result.ok()) << result.error();
  EXPECT_TRUE(got.empty());
  PumpUntil([&] { return !got.empty(); });
  EXPECT_EQ(got, std::vector<std::string>{"MESSAGE: step 3"});
}

TEST_F(DdeTest, NamesIgnoreCase) {
  std::vector<std::string> got;
  auto server = Serve("Runvane", "System", [&](const std::string& text) {
    got.push_back(text);
    return true;
  });
  ASSERT_TRUE(server);
  EXPECT_THAT(server->socket_path(), ::testing::EndsWith("/dde/runvane.system"));
  Result<void> result = ExecuteWhilePumping({"RUNVANE", "system", "UPDATE", Wait::Yes, {}});
  EXPECT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(got, std::vector<std::string>{"UPDATE"});
  EXPECT_TRUE(client_.IsServiceRunning("rUnVaNe", "SYSTEM"));
}

TEST_F(DdeTest, CommandsAreHandledOneAtATimeInArrivalOrderOnTheMainThread) {
  constexpr int kPerSender = 15;
  std::vector<std::string> seen;
  int depth = 0;
  bool overlapped = false;
  bool off_main = false;
  auto server = Serve("Runvane", "System", [&](const std::string& text) {
    if (++depth > 1) overlapped = true;
    if (!dispatcher_.IsMainThread()) off_main = true;
    seen.push_back(text);
    // A handler that runs a nested loop (a dialog) must not be handed the
    // next command meanwhile.
    dispatcher_.RunPending();
    --depth;
    return true;
  });
  auto sender = [&](char name) {
    for (int i = 0; i < kPerSender; ++i) {
      Wait wait = i % 4 == 3 ? Wait::Yes : Wait::No;
      Result<void> sent = client_.Execute("Runvane", "System", name + std::to_string(i), wait);
      if (!sent) return sent;
    }
    return Result<void>();
  };
  auto a = std::async(std::launch::async, sender, 'a');
  auto b = std::async(std::launch::async, sender, 'b');
  PumpUntil([&] { return seen.size() == 2 * kPerSender; });
  Result<void> sent_a = a.get(), sent_b = b.get();
  EXPECT_TRUE(sent_a.ok()) << sent_a.error();
  EXPECT_TRUE(sent_b.ok()) << sent_b.error();
  EXPECT_FALSE(overlapped);
  EXPECT_FALSE(off_main);
  for (char name : {'a', 'b'}) {
    std::vector<std::string> of_sender, expected;
    for (const std::string& text : seen) {
      if (text[0] == name) of_sender.push_back(text);
    }
    for (int i = 0; i < kPerSender; ++i)
      expected.push_back(name + std::to_string(i));
    EXPECT_EQ(of_sender, expected);
  }
}

TEST_F(DdeTest, NoServerIsAClearErrorAndNotRunning) {
  Result<void> result = client_.Execute("Settings", "System", "UPDATE", Wait::Yes);
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(result.error(),
              HasSubstr("no DDE server answers for service \"Settings\", topic \"System\""));
  EXPECT_FALSE(client_.IsServiceRunning("Settings", "System"));
}

TEST_F(DdeTest, ProbeAnswersOnlyWhileTheServerLivesAndTheSocketFileGoesWithIt) {
  EXPECT_FALSE(client_.IsServiceRunning("Settings", "System"));
  auto server = Serve("Settings", "System", [](const std::string&) { return true; });
  ASSERT_TRUE(server);
  const std::string path = server->socket_path();
  EXPECT_TRUE(client_.IsServiceRunning("Settings", "System"));
  EXPECT_FALSE(client_.IsServiceRunning("Settings", "Other"));
  server.reset();
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(client_.IsServiceRunning("Settings", "System"));
  EXPECT_TRUE(log_.empty());  // probes are not logged as odd conversations
}

TEST_F(DdeTest, ASecondServerForTheSameNameIsRefusedWhileTheFirstLives) {
  std::vector<std::string> got;
  auto first = Serve("Runvane", "System", [&](const std::string& text) {
    got.push_back(text);
    return true;
  });
  ASSERT_TRUE(first);
  auto second =
      Server::Start("runvane", "SYSTEM", dispatcher_, [](const std::string&) { return true; });
  ASSERT_FALSE(second.ok());
  EXPECT_THAT(second.error(), HasSubstr("another program already serves DDE"));
  // The refused start left the first server's socket alone.
  Result<void> result = ExecuteWhilePumping({"Runvane", "System", "UPDATE", Wait::Yes, {}});
  EXPECT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(got.size(), 1u);
  first.reset();
  auto third = Serve("Runvane", "System", [](const std::string&) { return true; });
  EXPECT_TRUE(third);
}

TEST_F(DdeTest, ServerThatDiesMidCommandFailsTheClientAndLeavesAStaleFileThatIsReplaced) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(30);  // never outlive a broken test
    ManualDispatcher dispatcher;
    auto server = Server::Start("Runvane", "System", dispatcher,
                                [](const std::string&) -> bool { ::_exit(0); });
    if (!server) ::_exit(2);
    [[maybe_unused]] ssize_t written = ::write(ready[1], "r", 1);
    for (;;)
      dispatcher.WaitAndRunPending(100ms);
  }
  ::close(ready[1]);
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  ASSERT_TRUE(client_.IsServiceRunning("Runvane", "System"));

  Result<void> result = client_.Execute("Runvane", "System", "KILLRUNVANE", Wait::Yes);
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(result.error(), HasSubstr("ended the conversation before acknowledging"));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  // The dead process left its socket file; nothing answers on it.
  const std::string path = *SocketPath("Runvane", "System");
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(client_.IsServiceRunning("Runvane", "System"));
  result = client_.Execute("Runvane", "System", "UPDATE", Wait::No);
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(result.error(), HasSubstr("no DDE server answers"));

  std::vector<std::string> got;
  auto server = Serve("Runvane", "System", [&](const std::string& text) {
    got.push_back(text);
    return true;
  });
  ASSERT_TRUE(server);
  result = ExecuteWhilePumping({"Runvane", "System", "UPDATE", Wait::Yes, {}});
  EXPECT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(got, std::vector<std::string>{"UPDATE"});
}

TEST_F(DdeTest, ServerThatClosesOrNeverAnswersGivesAClearFailureNotAHang) {
  ClientTimeouts short_wait = TestTimeouts();
  short_wait.acknowledge_wait = 300ms;
  SocketClient client(short_wait);
  struct Row {
    bool close_after_reading;
    const char* expected;
  } rows[] = {
      {true, "ended the conversation before acknowledging"},
      {false, "did not acknowledge the command within 300 ms"},
  };
  const std::string path = *SocketPath("Raw", "System");
  for (const Row& row : rows) {
    UniqueFd listener = RawListener(path);
    std::atomic<bool> release{false};
    std::thread server([&] {
      UniqueFd conversation(::accept(listener.get(), nullptr, nullptr));
      char buffer[256];
      [[maybe_unused]] ssize_t got = ::recv(conversation.get(), buffer, sizeof buffer, 0);
      while (!row.close_after_reading && !release)
        std::this_thread::sleep_for(5ms);
    });
    Result<void> result = client.Execute("Raw", "System", "LAUNCH: x", Wait::Yes);
    release = true;
    server.join();
    ::unlink(path.c_str());
    ASSERT_FALSE(result.ok());
    EXPECT_THAT(result.error(), HasSubstr(row.expected));
  }
}

TEST_F(DdeTest, AWaitingCommandWhoseSenderTimedOutIsDroppedNotRun) {
  ClientTimeouts short_wait = TestTimeouts();
  short_wait.acknowledge_wait = 200ms;
  SocketClient client(short_wait);
  std::vector<std::string> got;
  auto server = Serve("Runvane", "System", [&](const std::string& text) {
    got.push_back(text);
    return true;
  });
  // The main thread is busy (it runs nothing) until the sender gave up.
  Result<void> result = client.Execute("Runvane", "System", "LAUNCH: late", Wait::Yes);
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(result.error(), HasSubstr("did not acknowledge the command within 200 ms"));
  EXPECT_TRUE(client.Execute("Runvane", "System", "UPDATE", Wait::No).ok());
  PumpUntil([&] { return !got.empty(); });
  EXPECT_EQ(got, std::vector<std::string>{"UPDATE"});
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_THAT(log_[0], HasSubstr("sender stopped waiting"));
}

TEST_F(DdeTest, DestroyingTheServerEndsTheConversationsOfCommandsNotYetHandled) {
  bool handled = false;
  auto server = Serve("Runvane", "System", [&](const std::string&) {
    handled = true;
    return true;
  });
  auto future = std::async(std::launch::async, [&] {
    return client_.Execute("Runvane", "System", "UPDATE", Wait::Yes);
  });
  // The command has arrived once the server has posted its work.
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (dispatcher_.PendingCount() == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_EQ(dispatcher_.PendingCount(), 1u);
  server.reset();
  Result<void> result = future.get();
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(result.error(), HasSubstr("ended the conversation before acknowledging"));
  dispatcher_.RunPending();
  EXPECT_FALSE(handled);
}

TEST_F(DdeTest, AHandlerThatThrowsRefusesItsCommandAndLaterCommandsStillRun) {
  std::vector<std::string> got;
  auto server = Serve("Runvane", "System", [&](const std::string& text) -> bool {
    got.push_back(text);
    if (text == "bad") throw std::runtime_error("handler failed");
    return true;
  });
  Result<void> result = ExecuteWhilePumping({"Runvane", "System", "bad", Wait::Yes, {}});
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(result.error(), HasSubstr("did not accept"));
  EXPECT_EQ(handler_exceptions_, std::vector<std::string>{"handler failed"});
  result = ExecuteWhilePumping({"Runvane", "System", "good", Wait::Yes, {}});
  EXPECT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(got, (std::vector<std::string>{"bad", "good"}));
}

TEST_F(DdeTest, CommandSizeLimitIsClearAndTheLargestCommandArrivesWhole) {
  std::vector<size_t> sizes;
  auto server = Serve("Runvane", "System", [&](const std::string& text) {
    sizes.push_back(text.size());
    return text == std::string(kMaxCommandSize, 'x');
  });
  Result<void> result =
      ExecuteWhilePumping({"Runvane", "System", std::string(kMaxCommandSize, 'x'), Wait::Yes, {}});
  EXPECT_TRUE(result.ok()) << result.error();
  result = client_.Execute("Runvane", "System", std::string(kMaxCommandSize + 1, 'x'), Wait::Yes);
  ASSERT_FALSE(result.ok());
  EXPECT_THAT(result.error(), HasSubstr("at most 131072 bytes can be sent"));
  EXPECT_EQ(sizes, std::vector<size_t>{kMaxCommandSize});
}

TEST_F(DdeTest, PacketsOfAnotherProtocolAreRejectedAndLogged) {
  bool handled = false;
  auto server = Serve("Runvane", "System", [&](const std::string&) {
    handled = true;
    return true;
  });
  ASSERT_TRUE(server);
  EXPECT_EQ(RawExchange(server->socket_path(), std::string("\x09\x01UPDATE", 8)),
            static_cast<int>(Ack::Malformed));
  EXPECT_EQ(RawExchange(server->socket_path(), std::string("\x01\x80UPDATE", 8)),
            static_cast<int>(Ack::Malformed));
  PumpUntil([&] { return log_.size() == 2; });
  EXPECT_THAT(log_[0], HasSubstr("not a command of this protocol version"));
  EXPECT_FALSE(handled);
}

TEST_F(DdeTest, PeersOfAnotherUserAreRefusedAndLoggedAndNothingRuns) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a peer of another user";
  bool handled = false;
  auto server = Serve("Runvane", "System", [&](const std::string&) {
    handled = true;
    return true;
  });
  ASSERT_TRUE(server);
  const std::string path = server->socket_path();
  // Let "nobody" reach the socket: search rights on the folders above it.
  std::vector<std::string> dirs = {testing::TestHome(), paths::RuntimeDirectory(),
                                   *SocketDirectory()};
  for (const std::string& dir : dirs)
    ::chmod(dir.c_str(), 0711);
  ::chmod(path.c_str(), 0777);

  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(30);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
    // The raw command is refused by the server...
    int ack = RawExchange(path, EncodeRequest("UPDATE", true));
    // ...and our own client will not talk to a server of another user.
    Result<void> sent =
        SocketClient(TestTimeouts()).Execute("Runvane", "System", "UPDATE", Wait::Yes);
    bool client_refused = !sent.ok() && sent.error().find("belongs to user 0") != std::string::npos;
    ::_exit(ack == static_cast<int>(Ack::Refused) && client_refused ? 0 : 10 + ack);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  for (const std::string& dir : dirs)
    ::chmod(dir.c_str(), 0700);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  PumpUntil([&] { return !log_.empty(); });
  EXPECT_THAT(log_[0],
              HasSubstr("refused a conversation with service \"Runvane\", topic \"System\""));
  EXPECT_THAT(log_[0], HasSubstr("of user 65534"));
  dispatcher_.RunPending();
  EXPECT_FALSE(handled);
}

std::string ThisProgram() {
  char buffer[4096];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

TEST_F(DdeTest, AServiceApplicationIsStartedDetachedWhenNothingAnswers) {
  testing::ScopedEnv helper("RV_DDE_HELPER", "1");
  Result<void> result =
      client_.Execute({"Helper", "System", "LAUNCH: Backup", Wait::Yes, ThisProgram()});
  ASSERT_TRUE(result.ok()) << result.error();
  // It runs in a session of its own, away from the caller's terminal.
  const std::string got = testing::ReadFile(paths::RuntimeDirectory() + "helper-got");
  EXPECT_THAT(got, ::testing::StartsWith("LAUNCH: Backup\n"));
  EXPECT_NE(got, "LAUNCH: Backup\n" + std::to_string(::getsid(0)));
  // It ends after its one command; wait so no later test meets it.
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (client_.IsServiceRunning("Helper", "System") &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  // The program is not our child, so it can never be left as our zombie.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(DdeTest, AServiceApplicationThatCannotStartOrDoesNotServeIsAClearError) {
  ClientTimeouts timeouts = TestTimeouts();
  timeouts.service_start = 300ms;
  SocketClient client(timeouts);
  struct Row {
    std::string program;
    std::string expected;
  } rows[] = {
      {"/nonexistent/runvane", "cannot start the service application /nonexistent/runvane"},
      {"no-such-program-of-runvane", "not found in PATH"},
      {"/bin/true", "started /bin/true, but no DDE server answered for service \"Absent\""},
  };
  for (const Row& row : rows) {
    Result<void> result = client.Execute({"Absent", "System", "UPDATE", Wait::Yes, row.program});
    ASSERT_FALSE(result.ok()) << row.program;
    EXPECT_THAT(result.error(), HasSubstr(row.expected));
  }
}

TEST(FakeDdeClientTest, RecordsCommandsToRunningServicesAndStartsServiceApplications) {
  FakeClient fake;
  EXPECT_FALSE(fake.Execute("Settings", "System", "UPDATE", Wait::Yes).ok());
  fake.SetHandler("Settings", "System", [](const std::string& text) { return text != "no"; });
  EXPECT_TRUE(fake.IsServiceRunning("SETTINGS", "system"));
  EXPECT_TRUE(fake.Execute("Settings", "System", "UPDATE", Wait::Yes).ok());
  EXPECT_FALSE(fake.Execute("Settings", "System", "no", Wait::Yes).ok());
  EXPECT_TRUE(fake.Execute("Settings", "System", "no", Wait::No).ok());
  EXPECT_TRUE(fake.Execute({"Runvane", "System", "LAUNCH: a", Wait::Yes, "/x/runvane"}).ok());
  EXPECT_EQ(fake.started_programs(), std::vector<std::string>{"/x/runvane"});
  ASSERT_EQ(fake.commands().size(), 4u);
  EXPECT_EQ(fake.commands()[3].text, "LAUNCH: a");
}

}  // namespace
}  // namespace rv::dde
