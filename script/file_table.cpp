#include "script/file_table.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "script/script_error.h"

namespace rv::script {

namespace {
[[noreturn]] void RaiseForErrno(const std::string& path) {
  switch (errno) {
    case ENOENT:
      Raise(err::kFileNotFound, "File not found: " + path);
    case EACCES:
    case EPERM:
    case EROFS:
      Raise(err::kPermissionDenied, "Permission denied: " + path);
    case EISDIR:
      Raise(err::kPathFileAccess, "Path/File access error: " + path);
    default:
      Raise(err::kPathNotFound, "Path not found: " + path);
  }
}
}  // namespace

FileTable::~FileTable() {
  CloseAll();
}

void FileTable::Open(int number, const std::string& path, FileMode mode) {
  if (number < 1 || number > 511) Raise(err::kBadFileNumber);
  if (channels_.count(number)) Raise(err::kFileAlreadyOpen);
  Channel c;
  c.mode = mode;
  c.path = path;
  if (mode == FileMode::Input) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) RaiseForErrno(path);
    if (S_ISDIR(st.st_mode)) Raise(err::kPathFileAccess, "Path/File access error: " + path);
    std::ifstream in(path, std::ios::binary);
    if (!in) RaiseForErrno(path);
    std::ostringstream all;
    all << in.rdbuf();
    c.data = all.str();
  } else {
    c.out = std::fopen(path.c_str(), mode == FileMode::Output ? "wb" : "ab");
    if (!c.out) RaiseForErrno(path);
  }
  channels_.emplace(number, std::move(c));
}

void FileTable::Close(int number) {
  auto it = channels_.find(number);
  if (it == channels_.end()) return;  // closing a closed number is harmless
  if (it->second.out) std::fclose(it->second.out);
  channels_.erase(it);
}

void FileTable::CloseAll() {
  for (auto& [number, c] : channels_) {
    if (c.out) std::fclose(c.out);
  }
  channels_.clear();
}

int FileTable::FreeNumber() const {
  for (int n = 1; n <= 511; ++n) {
    if (!channels_.count(n)) return n;
  }
  Raise(err::kTooManyFiles);
}

FileTable::Channel& FileTable::Get(int number, bool want_input) {
  auto it = channels_.find(number);
  if (it == channels_.end()) Raise(err::kBadFileNumber);
  if ((it->second.mode == FileMode::Input) != want_input) Raise(err::kBadFileMode);
  return it->second;
}

bool FileTable::AtEnd(int number) {
  auto it = channels_.find(number);
  if (it == channels_.end()) Raise(err::kBadFileNumber);
  if (it->second.mode != FileMode::Input) return true;
  return it->second.pos >= it->second.data.size();
}

std::string FileTable::ReadLine(int number) {
  Channel& c = Get(number, true);
  if (c.pos >= c.data.size()) Raise(err::kInputPastEnd);
  size_t end = c.data.find('\n', c.pos);
  std::string line;
  if (end == std::string::npos) {
    line = c.data.substr(c.pos);
    c.pos = c.data.size();
  } else {
    line = c.data.substr(c.pos, end - c.pos);
    c.pos = end + 1;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string FileTable::ReadField(int number) {
  Channel& c = Get(number, true);
  const std::string& d = c.data;
  auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
  while (c.pos < d.size() && (blank(d[c.pos]) || d[c.pos] == '\r' || d[c.pos] == '\n'))
    ++c.pos;
  if (c.pos >= d.size()) Raise(err::kInputPastEnd);
  std::string field;
  if (d[c.pos] == '"') {
    ++c.pos;
    while (c.pos < d.size() && d[c.pos] != '"')
      field += d[c.pos++];
    if (c.pos < d.size()) ++c.pos;
    while (c.pos < d.size() && blank(d[c.pos]))
      ++c.pos;
  } else {
    while (c.pos < d.size() && d[c.pos] != ',' && d[c.pos] != '\n' && d[c.pos] != '\r')
      field += d[c.pos++];
    while (!field.empty() && blank(field.back()))
      field.pop_back();
  }
  if (c.pos < d.size() && d[c.pos] == ',') {
    ++c.pos;
  } else {
    if (c.pos < d.size() && d[c.pos] == '\r') ++c.pos;
    if (c.pos < d.size() && d[c.pos] == '\n') ++c.pos;
  }
  return field;
}

void FileTable::Write(int number, const std::string& text) {
  Channel& c = Get(number, false);
  if (std::fwrite(text.data(), 1, text.size(), c.out) != text.size()) {
    Raise(57, "Device I/O error: " + c.path);
  }
}

int64_t FileTable::Length(int number) {
  auto it = channels_.find(number);
  if (it == channels_.end()) Raise(err::kBadFileNumber);
  if (it->second.mode == FileMode::Input) return static_cast<int64_t>(it->second.data.size());
  std::fflush(it->second.out);
  struct stat st {};
  if (stat(it->second.path.c_str(), &st) != 0) return 0;
  return st.st_size;
}

}  // namespace rv::script
