#pragma once

// Test ground: every test process runs with RUNVANE_HOME pointing at a fresh
// folder of its own (set up by the shared test main before any test runs),
// with the desktop and sound session variables removed, so a test can never
// reach the user's files, store, running programs or display.

#include <string>

namespace rv::testing {

// The folder RUNVANE_HOME points at for this test process, with a trailing
// slash.
const std::string& TestHome();

// A new empty folder below TestHome(), with a trailing slash.
std::string MakeTempDir(const std::string& stem = "t");

// Whole-file helpers for fixtures.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// The build tree (for tests that run the programs the build made).
std::string BuildDir();

// RAII: sets an environment variable, restores the old value on scope exit.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_old_ = false;
  std::string old_;
};

}  // namespace rv::testing
