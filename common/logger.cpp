#include "common/logger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/paths.h"

namespace rv {

TRVLogger::TRVLogger(const Clock& clock) : clock_(clock) {}

TRVLogger::~TRVLogger() {
  ToggleActivate(false);
}

std::string TRVLogger::GetFilePath() {
  return paths::DataDirectory();
}

std::string TRVLogger::FormatLine(TDateTime moment, const std::string& message) {
  std::string line;
  line.reserve(message.size() + 32);
  line += '(';
  line += FormatDateTime(moment);
  line += ") - ";
  line += message;
  line += '\n';
  return line;
}

void TRVLogger::ToggleActivate(bool activate) {
  std::lock_guard lock(write_mutex_);
  if (int old = fd_.exchange(-1); old >= 0) ::close(old);
  if (!activate) return;
  if (log_file_.empty()) log_file_ = GetFilePath() + "RUNVANE.LOG";
  // O_APPEND: every line lands at the end, also when other programs write.
  int fd = ::open(log_file_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  fd_.store(fd);
}

bool TRVLogger::LogEvent(const std::string& message, int severity) {
  if (severity < threshold_.load() || fd_.load() < 0) return false;
  const std::string line = FormatLine(clock_.Now(), message);
  std::lock_guard lock(write_mutex_);
  const int fd = fd_.load();
  if (fd < 0) return false;
  // One write hands the whole line to the kernel: readers see it at once and
  // a crash of the program cannot lose it.
  size_t written = 0;
  while (written < line.size()) {
    ssize_t n = ::write(fd, line.data() + written, line.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace rv
