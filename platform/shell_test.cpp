#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/detached_process.h"
#include "platform/linux_shell.h"
#include "platform/shell_words.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::MakeTempDir;
using testing::ReadFile;
using testing::ScopedEnv;
using testing::WriteFile;

TEST(ShellWords, SplitLikeAShellWithoutExpanding) {
  struct Row {
    const char* text;
    std::vector<std::string> words;
  };
  for (const Row& row : std::vector<Row>{
           {"", {}},
           {"  a  b\tc\n", {"a", "b", "c"}},
           {"'a b' \"c d\"", {"a b", "c d"}},
           {"x'y z'\"w\"", {"xy zw"}},
           {"'' \"\"", {"", ""}},
           {"$HOME * ~ `id` a;b|c", {"$HOME", "*", "~", "`id`", "a;b|c"}},
           {"a\\ b \\'c\\\\", {"a b", "'c\\"}},
           {"'don'\\''t'", {"don't"}},
           {"\"a \\\"q\\\" \\$x \\n\"", {"a \"q\" $x \\n"}},
           {"'\\n' end\\", {"\\n", "end\\"}},
       }) {
    Result<std::vector<std::string>> words = SplitShellWords(row.text);
    ASSERT_TRUE(words) << row.text;
    EXPECT_EQ(*words, row.words) << row.text;
  }
  Result<std::vector<std::string>> open = SplitShellWords("a 'b c");
  ASSERT_FALSE(open);
  EXPECT_THAT(open.error(), HasSubstr("single quote at position 3"));
  EXPECT_FALSE(SplitShellWords("\"abc"));
}

// Waits for a file that a started program writes; fails the test instead of
// hanging when it never comes.
std::string AwaitFile(const std::string& path) {
  for (int i = 0; i < 1000 && !fs::exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!fs::exists(path)) return "(never written)";
  std::string text = ReadFile(path);
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  return text;
}

int ParentOf(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // "pid (name) state ppid ...": the name may hold blanks, so start after ")".
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  char state = 0;
  int parent = -1;
  rest >> state >> parent;
  return parent;
}

struct StartedProgram : ::testing::Test {
  std::string dir = fs::canonical(MakeTempDir("run")).string() + "/";
  std::vector<std::pair<int, WindowState>> requests;
  LinuxShell shell{[this](int pid, WindowState state) { requests.emplace_back(pid, state); }};
  int pid = -1;

  ~StartedProgram() override {
    if (pid > 0) ::kill(pid, SIGKILL);
  }
  // A script that tells its pid, session and working directory, then stays.
  std::string Script() const {
    return "-c 'echo $$ > pid.tmp; pwd > cwd; mv pid.tmp pid; exec sleep 30' ignored\\ word";
  }
};

TEST_F(StartedProgram, RunsDetachedInItsOwnSessionAndDirectory) {
  ASSERT_TRUE(shell.Open("/bin/sh", Script(), dir, WindowState::Minimized));
  pid = std::stoi(AwaitFile(dir + "pid"));
  EXPECT_EQ(AwaitFile(dir + "cwd"), dir.substr(0, dir.size() - 1));
  ASSERT_THAT(requests, ElementsAre(std::pair{pid, WindowState::Minimized}));

  EXPECT_EQ(::getsid(pid), pid);
  EXPECT_NE(ParentOf(pid), ::getpid());
  // Neither the program nor the process that started it is our child, so
  // nothing is left to become a zombie here.
  int status = 0;
  EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(StartedProgram, ANameWithoutSlashIsFoundInPathAndAMissingDirectoryIsNoObstacle) {
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  Result<void> started = shell.Open("sh", Script(), dir + "no-such-dir", WindowState::Normal);
  fs::current_path(before);
  ASSERT_TRUE(started) << started.error();
  pid = std::stoi(AwaitFile(dir + "pid"));
  EXPECT_EQ(AwaitFile(dir + "cwd"), dir.substr(0, dir.size() - 1));
}

TEST_F(StartedProgram, FailuresSayWhyAndStartNothing) {
  Result<void> missing = shell.Open(dir + "nothing-here", "", "", WindowState::Normal);
  ASSERT_FALSE(missing);
  EXPECT_THAT(missing.error(), HasSubstr("nothing-here"));

  Result<void> quote = shell.Open("/bin/sh", "-c 'echo", dir, WindowState::Normal);
  ASSERT_FALSE(quote);
  EXPECT_THAT(quote.error(), HasSubstr("never closed"));

  WriteFile(dir + "noformat", "not a program\n");
  ::chmod((dir + "noformat").c_str(), 0755);
  Result<void> format = shell.Open(dir + "noformat", "", "", WindowState::Normal);
  ASSERT_FALSE(format);
  EXPECT_THAT(format.error(), HasSubstr("Exec format error"));
  EXPECT_TRUE(requests.empty());
}

// Documents go to xdg-open and printing to lp: the test puts recording
// stand-ins for both first on PATH.
struct DesktopPrograms : ::testing::Test {
  std::string bin = fs::canonical(MakeTempDir("bin")).string() + "/";
  std::string out = fs::canonical(MakeTempDir("out")).string() + "/";
  std::string path = bin + ":/usr/bin:/bin";
  ScopedEnv path_env{"PATH", path.c_str()};
  LinuxShell shell;

  DesktopPrograms() {
    for (const char* name : {"xdg-open", "lp"}) {
      WriteFile(bin + name, "#!/bin/sh\nprintf '%s|' \"$(pwd)\" \"$@\" > " + out + name +
                                ".tmp\nmv " + out + name + ".tmp " + out + name + "\n");
      ::chmod((bin + name).c_str(), 0755);
    }
  }
};

TEST_F(DesktopPrograms, DocumentsDirectoriesAndUrlsAreOpenedByTheDesktop) {
  WriteFile(out + "report.txt", "text");
  ASSERT_TRUE(shell.Open(out + "report.txt", "ignored", out, WindowState::Normal));
  EXPECT_EQ(AwaitFile(out + "xdg-open"), out.substr(0, out.size() - 1) + "|" + out + "report.txt|");
  fs::remove(out + "xdg-open");

  const fs::path before = fs::current_path();
  fs::current_path(out);
  Result<void> relative = shell.Open("report.txt", "", "", WindowState::Normal);
  fs::current_path(before);
  ASSERT_TRUE(relative);
  EXPECT_THAT(AwaitFile(out + "xdg-open"), ::testing::EndsWith("|" + out + "report.txt|"));
  fs::remove(out + "xdg-open");

  ASSERT_TRUE(shell.Open("https://example.org/a b", "", "", WindowState::Normal));
  EXPECT_THAT(AwaitFile(out + "xdg-open"), ::testing::EndsWith("|https://example.org/a b|"));
}

TEST_F(DesktopPrograms, PrintHandsTheFileToLp) {
  WriteFile(out + "-letter.txt", "text");
  ASSERT_TRUE(shell.Print(out + "-letter.txt"));
  EXPECT_THAT(AwaitFile(out + "lp"), ::testing::EndsWith("|--|" + out + "-letter.txt|"));

  Result<void> missing = shell.Print(out + "none.txt");
  ASSERT_FALSE(missing);
  EXPECT_THAT(missing.error(), HasSubstr("none.txt"));
}

}  // namespace
}  // namespace rv
