#include "platform/testing/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace rv::testing {

ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::vector<std::string>& extra_env) {
  ProgramResult result;
  int out_pipe[2], err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);

  std::vector<std::string> env_storage;
  for (char** entry = environ; *entry != nullptr; ++entry)
    env_storage.emplace_back(*entry);
  for (const std::string& extra : extra_env)
    env_storage.push_back(extra);
  std::vector<char*> env;
  for (auto& entry : env_storage)
    env.push_back(entry.data());
  env.push_back(nullptr);
  std::vector<std::string> args_storage = argv;
  std::vector<char*> args;
  for (auto& arg : args_storage)
    args.push_back(arg.data());
  args.push_back(nullptr);

  pid_t pid = -1;
  int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  if (spawned != 0) {
    result.err = std::string("cannot start ") + argv[0] + ": " + std::strerror(spawned);
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    return result;
  }
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  while (open_count > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace rv::testing
