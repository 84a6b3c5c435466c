#include "platform/network/program_output.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace rv {

Result<ProgramOutput> CaptureProgram(const std::vector<std::string>& argv,
                                     std::chrono::milliseconds limit) {
  if (argv.empty()) return MakeError("no program to run");
  int out_pipe[2], err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) return MakeError(std::strerror(errno));
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    return MakeError(std::strerror(errno));
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  std::vector<std::string> storage = argv;
  std::vector<char*> args;
  for (std::string& arg : storage)
    args.push_back(arg.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  if (spawned != 0) {
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    return MakeError("cannot run " + argv[0] + ": " + std::strerror(spawned));
  }

  ProgramOutput output;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&output.out, &output.err};
  int open_count = 2;
  bool timed_out = false;
  while (open_count > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timed_out = true;
      break;
    }
    const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  for (pollfd& fd : fds)
    if (fd.fd >= 0) ::close(fd.fd);
  int status = 0;
  // A child may close its output and still run on: it gets the rest of the
  // time limit too.
  while (!timed_out) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      timed_out = true;
      break;
    }
    ::usleep(10000);
  }
  if (timed_out) {
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (timed_out) {
    return MakeError(argv[0] + " did not finish within " + std::to_string(limit.count() / 1000) +
                     " seconds");
  }
  output.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

}  // namespace rv
