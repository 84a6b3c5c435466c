#pragma once

// Test ground for the X11 desktop: a private Xvfb server on a free display
// (found by the server itself through -displayfd), an optional window
// manager on it, and the test client (x_test_client) that opens windows and
// records the keys it receives. Nothing here reads $DISPLAY: every part is
// told its own server, so no test reaches the user's display.

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"

namespace rv::testing {

class XvfbServer {
 public:
  // Starts Xvfb with one screen of `width` x `height`; fails with the reason
  // (also when Xvfb is not installed) within a few seconds.
  static Result<std::unique_ptr<XvfbServer>> Start(int width = 1280, int height = 1024);
  ~XvfbServer();

  // ":N".
  const std::string& Display() const { return display_; }

  // Runs openbox on the server and waits until it manages windows.
  Result<void> StartWindowManager();

 private:
  XvfbServer() = default;
  pid_t server_ = -1;
  pid_t manager_ = -1;
  std::string display_;
};

// A program started with DISPLAY set to the server; killed at destruction.
pid_t SpawnOnDisplay(const std::string& display, const std::vector<std::string>& argv,
                     int stdin_fd = -1, int stdout_fd = -1);
void KillAndReap(pid_t pid);

class XTestClient {
 public:
  static Result<std::unique_ptr<XTestClient>> Start(const std::string& display);
  ~XTestClient();

  // Sends one command line and waits for its answer ("ok ..."); the answer
  // text after "ok", or an error.
  Result<std::string> Command(const std::string& line);
  // The window id of client window `id`.
  unsigned long Handle(const std::string& id);

  // The recorded key presses, one "<keysym> <state> <text>" line each.
  std::vector<std::string> Keys() const;
  // Waits until at least `count` presses are recorded (or the time is up).
  std::vector<std::string> WaitForKeys(std::size_t count,
                                       std::chrono::milliseconds limit = std::chrono::seconds(5));
  // The text typed, in order (modifier and control keys type nothing),
  // once it holds `characters` characters or the time is up.
  std::string TypedText(std::size_t characters,
                        std::chrono::milliseconds limit = std::chrono::seconds(5));
  void ClearKeys();
  pid_t Pid() const { return pid_; }

 private:
  XTestClient() = default;
  pid_t pid_ = -1;
  int to_client_ = -1;
  int from_client_ = -1;
  std::string keys_file_;
  std::string buffer_;
};

// Another client's connection that grabs a key combination on the root
// window for as long as it lives.
class ForeignKeyGrab {
 public:
  // `key` is a keysym name ("b"); `control` adds Ctrl.
  static Result<std::unique_ptr<ForeignKeyGrab>> Grab(const std::string& display,
                                                      const std::string& key, bool control);
  ~ForeignKeyGrab();

 private:
  ForeignKeyGrab() = default;
  void* connection_ = nullptr;
};

// Switches the screen to another of its XRandR sizes and back after `hold`;
// false when the server offers one size only.
Result<bool> SwitchScreenSize(const std::string& display, std::chrono::milliseconds hold);

// The path of a program of the build (x_test_client).
std::string DesktopTestProgram(const std::string& name);

}  // namespace rv::testing
