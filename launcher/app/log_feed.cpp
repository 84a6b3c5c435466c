#include "launcher/app/log_feed.h"

#include <cstring>

namespace rv {

bool LogFeed::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rbe");
  if (file_ == nullptr) return false;
  path_ = path;
  position_ = 0;
  return true;
}

void LogFeed::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

std::vector<std::string> LogFeed::ReadNewLines() {
  std::vector<std::string> lines;
  if (file_ == nullptr) return lines;
  // The file may have been replaced since (a new log): follow the path.
  std::FILE* reopened = std::freopen(path_.c_str(), "rbe", file_);
  if (reopened == nullptr) {
    file_ = nullptr;
    return lines;
  }
  file_ = reopened;
  if (std::fseek(file_, position_, SEEK_SET) != 0) return lines;

  char piece[kPieceLength + 1];
  bool continues_piece = false;
  while (true) {
    const long start = std::ftell(file_);
    if (std::fgets(piece, sizeof piece, file_) == nullptr) break;
    size_t length = std::strlen(piece);
    const bool ends_line = length > 0 && piece[length - 1] == '\n';
    if (!ends_line && length < kPieceLength) {
      // The logger is still writing this line: take it whole next time
      // rather than showing it split in two.
      std::fseek(file_, start, SEEK_SET);
      break;
    }
    if (ends_line) --length;
    // A line of exactly one piece leaves its line feed for the next read;
    // that is not an empty line of its own.
    if (!(continues_piece && length == 0)) lines.emplace_back(piece, length);
    continues_piece = !ends_line;
    position_ = std::ftell(file_);
  }
  return lines;
}

}  // namespace rv
