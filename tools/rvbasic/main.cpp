// rvbasic FILE: runs a script from the command line. Print output goes to
// standard output, MsgBox prompts too (answered by their default button),
// InputBox reads a line from standard input, and errors are printed as
// "FILE:LINE: message" on standard error with exit status 1.

#include <cstdio>
#include <iostream>
#include <string>

#include "script/engine.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rvbasic FILE\n");
    return 2;
  }
  rv::script::ScriptEngine engine;
  engine.OnPrint = [](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  };
  engine.OnError = [](const rv::script::ScriptErrorInfo& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", e.file.c_str(), e.line, e.message.c_str());
  };
  engine.OnInputBox = [](const std::string& prompt, const std::string&,
                         const std::string& fallback) -> std::optional<std::string> {
    std::fprintf(stdout, "%s ", prompt.c_str());
    std::fflush(stdout);
    std::string line;
    if (!std::getline(std::cin, line)) return fallback;
    return line;
  };
  rv::Result<void> result = engine.RunFile(argv[1]);
  std::fflush(stdout);
  return result ? 0 : 1;
}
