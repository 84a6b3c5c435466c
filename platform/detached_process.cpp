#include "platform/detached_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace rv {
namespace {

// Owns the spawn attributes and file actions for the length of one start.
struct SpawnSetup {
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  SpawnSetup() {
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_init(&actions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

struct SpawnReport {
  int error = 0;
  pid_t pid = -1;
};

}  // namespace

Result<int> StartDetached(const DetachedStart& start) {
  if (start.argv.empty()) return MakeError("no program name given");

  // Everything the intermediate process touches is made here, before the
  // fork: in a process with threads the forked copy may only make calls
  // that need no lock, and glibc's posix_spawn with a path (not a PATH
  // search) allocates nothing.
  std::vector<char*> argv;
  for (const std::string& word : start.argv)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  SpawnSetup setup;
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&setup.attr, &signals);
  // The launcher's ignored signals (SIGPIPE, say) are not the program's.
  sigfillset(&signals);
  sigdelset(&signals, SIGKILL);
  sigdelset(&signals, SIGSTOP);
  posix_spawnattr_setsigdefault(&setup.attr, &signals);
  posix_spawnattr_setflags(&setup.attr,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
  if (start.quiet) {
    posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, 1, 2);
  }
  if (!start.directory.empty())
    posix_spawn_file_actions_addchdir_np(&setup.actions, start.directory.c_str());
  const char* program = start.program.c_str();
  char** env = environ;

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0)
    return MakeError(std::string("cannot start a program: ") + std::strerror(errno));

  // Double fork: the intermediate process starts the program and ends at
  // once, so the program is orphaned and adopted by init while the caller
  // reaps only the short-lived intermediate.
  const pid_t middle = ::fork();
  if (middle < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    return MakeError(std::string("cannot start a program: ") + std::strerror(error));
  }
  if (middle == 0) {
    ::close(report[0]);
    SpawnReport out;
    out.error = posix_spawn(&out.pid, program, &setup.actions, &setup.attr, argv.data(), env);
    ssize_t ignored = ::write(report[1], &out, sizeof out);
    (void)ignored;
    ::_exit(0);
  }
  ::close(report[1]);
  SpawnReport in;
  ssize_t got;
  do {
    got = ::read(report[0], &in, sizeof in);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  if (got != static_cast<ssize_t>(sizeof in))
    return MakeError("cannot start \"" + start.program + "\": the starting process died");
  if (in.error != 0)
    return MakeError("cannot start \"" + start.program + "\": " + std::strerror(in.error));
  return static_cast<int>(in.pid);
}

}  // namespace rv
