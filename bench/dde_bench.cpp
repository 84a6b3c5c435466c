// DDE execute round trip against the floor of the same exchange done with
// raw Unix sockets, measured in one run. Both open one connection per
// command, as DDE conversations are made per command. Goal: the waiting
// execute within 2x of the raw request/acknowledge round trip.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/dde_client.h"
#include "platform/dde_server.h"
#include "platform/dde_wire.h"
#include "platform/manual_dispatcher.h"

namespace {

using namespace std::chrono_literals;

// A private RUNVANE_HOME for the whole run, so the benchmark never meets a
// real program's sockets; removed when the run ends.
class BenchFolder {
 public:
  BenchFolder() {
    char pattern[] = "/tmp/rvb-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    ::setenv("RUNVANE_HOME", pattern, 1);
    path_ = pattern;
  }
  ~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& BenchHome() {
  static const BenchFolder folder;
  return folder.path();
}

// A program main thread: a manual dispatcher loop with a DDE server on it.
class MainLoop {
 public:
  MainLoop() {
    BenchHome();
    std::promise<void> started;
    auto ready = started.get_future();
    thread_ = std::thread([this, &started] {
      rv::ManualDispatcher dispatcher;
      auto server = rv::dde::Server::Start("Bench", "System", dispatcher,
                                           [](const std::string& text) { return !text.empty(); });
      if (!server) {
        started.set_exception(std::make_exception_ptr(std::runtime_error(server.error())));
        return;
      }
      dispatcher_ = &dispatcher;
      started.set_value();
      while (!stop_)
        dispatcher.WaitAndRunPending(50ms);
    });
    ready.get();
  }
  ~MainLoop() {
    dispatcher_->post([this] { stop_ = true; });
    thread_.join();
  }

 private:
  std::thread thread_;
  rv::ManualDispatcher* dispatcher_ = nullptr;
  std::atomic<bool> stop_{false};
};

void BM_DdeExecute(benchmark::State& state, rv::dde::Wait wait) {
  MainLoop loop;
  rv::dde::SocketClient client;
  for (auto _ : state) {
    rv::Result<void> result = client.Execute("Bench", "System", "LAUNCH: Backup", wait);
    if (!result) {
      state.SkipWithError(result.error().c_str());
      break;
    }
  }
}
BENCHMARK_CAPTURE(BM_DdeExecute, Wait, rv::dde::Wait::Yes)->UseRealTime();
BENCHMARK_CAPTURE(BM_DdeExecute, NoWait, rv::dde::Wait::No)->UseRealTime();

// The floor: connect, send the request, the server thread reads it and
// answers two bytes, the client reads them, both close.
void BM_RawUnixRequestAck(benchmark::State& state) {
  const std::string path = BenchHome() + "/raw.sock";
  ::unlink(path.c_str());
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  rv::dde::UniqueFd listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener.get(), 64) != 0) {
    state.SkipWithError("cannot listen");
    return;
  }
  std::atomic<bool> stop{false};
  std::thread server([&] {
    char buffer[256];
    while (!stop) {
      rv::dde::UniqueFd conversation(::accept(listener.get(), nullptr, nullptr));
      if (!conversation.valid()) continue;
      if (::recv(conversation.get(), buffer, sizeof buffer, 0) > 0) {
        ::send(conversation.get(), "\x01\x01", 2, MSG_NOSIGNAL);
      }
    }
  });
  const std::string packet = rv::dde::EncodeRequest("LAUNCH: Backup", true);
  char ack[2];
  for (auto _ : state) {
    rv::dde::UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::send(fd.get(), packet.data(), packet.size(), MSG_NOSIGNAL) < 0 ||
        ::recv(fd.get(), ack, sizeof ack, 0) != 2) {
      state.SkipWithError("raw exchange failed");
      break;
    }
  }
  stop = true;
  rv::dde::UniqueFd wake(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  ::connect(wake.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  wake.Reset();  // the server thread's recv then sees the end and it stops
  server.join();
  ::unlink(path.c_str());
}
BENCHMARK(BM_RawUnixRequestAck)->UseRealTime();

// Prints the usual table, then the ratio of each DDE execute to the raw
// floor (medians when the run has repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      times_[run.run_name.str()] = run.GetAdjustedRealTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const double* floor = Find("RawUnixRequestAck");
    if (floor == nullptr) return;
    for (const char* name : {"DdeExecute/Wait", "DdeExecute/NoWait"}) {
      if (const double* time = Find(name)) {
        std::printf("%-18s %.2fx the raw request/acknowledge round trip%s\n", name, *time / *floor,
                    std::string_view(name) == "DdeExecute/Wait" ? " (goal: at most 2x)" : "");
      }
    }
  }

 private:
  const double* Find(std::string_view part) const {
    for (const auto& [name, time] : times_) {
      if (name.find(part) != std::string::npos) return &time;
    }
    return nullptr;
  }

  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
