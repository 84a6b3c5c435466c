#pragma once

// The launcher's event log: one line per event, "(" date and time ") - "
// text LF, written when the event's severity reaches the threshold. Several
// threads log through one logger; each line goes out whole, in one write.
// A new start appends to an existing log; nothing is overwritten.

#include <atomic>
#include <mutex>
#include <string>

#include "common/clock.h"

namespace rv {

namespace Severity {
inline constexpr int Detail = 0;
inline constexpr int Progress = 1;
inline constexpr int Low = 10;
inline constexpr int Notice = 20;
inline constexpr int High = 30;
inline constexpr int Failure = 90;
}  // namespace Severity

class TRVLogger {
 public:
  explicit TRVLogger(const Clock& clock = SystemClock::Instance());
  ~TRVLogger();
  TRVLogger(const TRVLogger&) = delete;
  TRVLogger& operator=(const TRVLogger&) = delete;

  bool Enabled() const { return fd_.load() >= 0; }
  const std::string& LogFile() const { return log_file_; }
  // Takes effect at the next ToggleActivate(true).
  void SetLogFile(std::string path) { log_file_ = std::move(path); }
  int Threshold() const { return threshold_.load(); }
  void SetThreshold(int threshold) { threshold_.store(threshold); }

  // True opens LogFile (GetFilePath() + "RUNVANE.LOG" when empty), creating
  // it when missing; Enabled tells whether that worked. False closes it.
  void ToggleActivate(bool activate);
  // True when the line was written.
  bool LogEvent(const std::string& message, int severity);

  // The directory the default log file goes to, with a trailing slash.
  static std::string GetFilePath();

  // The exact line LogEvent writes for `message` at `moment`.
  static std::string FormatLine(TDateTime moment, const std::string& message);

 private:
  const Clock& clock_;
  std::string log_file_;
  std::atomic<int> threshold_{1};
  std::atomic<int> fd_{-1};
  std::mutex write_mutex_;
};

}  // namespace rv
