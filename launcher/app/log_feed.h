#pragma once

// Follows the launcher's log file for the event log window: each call
// returns the lines written since the last one. The read position only moves
// when lines are taken, so lines written while the window was hidden show
// when it is visible again.

#include <cstdio>
#include <string>
#include <vector>

namespace rv {

class LogFeed {
 public:
  // The most characters of a line taken in one piece; longer lines come out
  // as several pieces.
  static constexpr size_t kPieceLength = 511;

  LogFeed() = default;
  ~LogFeed() { Close(); }
  LogFeed(const LogFeed&) = delete;
  LogFeed& operator=(const LogFeed&) = delete;

  // Opens `path` for reading from its start; false when it cannot be opened.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // Reopens the file at the remembered position (so text written since
  // shows) and takes every complete line after it, without its line feed.
  std::vector<std::string> ReadNewLines();

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  long position_ = 0;
};

}  // namespace rv
