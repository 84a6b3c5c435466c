#pragma once

// The open files of one run, by file number (#1 ... #511). Input files are
// read whole when opened; output and append files are written through.
// Every file still open is closed when the run ends.

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "script/ast.h"

namespace rv::script {

class FileTable {
 public:
  FileTable() = default;
  ~FileTable();
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;

  // Raise ScriptError: 52 bad number, 55 already open, 53 / 76 / 70 on open failures.
  void Open(int number, const std::string& path, FileMode mode);
  void Close(int number);
  void CloseAll();
  int FreeNumber() const;

  bool AtEnd(int number);
  std::string ReadLine(int number);   // without the line end; 62 past the end
  std::string ReadField(int number);  // one comma-separated field of Input #
  void Write(int number, const std::string& text);
  int64_t Length(int number);

 private:
  struct Channel {
    FileMode mode = FileMode::Input;
    std::string path;
    std::string data;  // input files
    size_t pos = 0;
    std::FILE* out = nullptr;
  };
  Channel& Get(int number, bool want_input);
  std::map<int, Channel> channels_;
};

}  // namespace rv::script
