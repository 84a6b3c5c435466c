// The log-in check against PAM under pam_wrapper, with a test service whose
// pam_matrix module knows one user. Each check runs in a helper process,
// since pam_wrapper takes effect only when preloaded.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/testing/run_program.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

constexpr const char* kWrapper = "/usr/lib/x86_64-linux-gnu/libpam_wrapper.so";
constexpr const char* kMatrix = "/usr/lib/x86_64-linux-gnu/pam_wrapper/pam_matrix.so";

bool Exists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

class LogonCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Exists(kWrapper) || !Exists(kMatrix))
      GTEST_SKIP() << "pam_wrapper is not installed (Debian package libpam-wrapper)";
    const std::string home = rv::testing::MakeTempDir();
    services_ = home + "services";
    ASSERT_EQ(::mkdir(services_.c_str(), 0700), 0);
    passdb_ = home + "passdb";
    std::ofstream(passdb_) << "alice:s3cret:runvane\ncarol:other:login\n";
  }

  void WriteService(const std::string& name) {
    std::ofstream(services_ + "/" + name)
        << "auth required " << kMatrix << " passdb=" << passdb_ << "\n"
        << "account required " << kMatrix << " passdb=" << passdb_ << "\n";
  }

  rv::testing::ProgramResult Check(const std::string& user, const std::string& password) {
    return rv::testing::RunProgram({LOGON_CHECK_HELPER, services_, user, password},
                                   {std::string("LD_PRELOAD=") + kWrapper, "PAM_WRAPPER=1",
                                    "PAM_WRAPPER_SERVICE_DIR=" + services_});
  }

  std::string services_;
  std::string passdb_;
};

TEST_F(LogonCheckTest, AcceptsOnlyTheRightPasswordOfAKnownUser) {
  WriteService("runvane");
  struct Case {
    const char* user;
    const char* password;
    int status;
  };
  for (const Case& c : {Case{"alice", "s3cret", 0}, Case{"alice", "wrong", 1}, Case{"alice", "", 1},
                        Case{"bob", "s3cret", 1}}) {
    const rv::testing::ProgramResult result = Check(c.user, c.password);
    EXPECT_EQ(result.exit_status, c.status) << c.user << "/" << c.password << ": " << result.err;
    EXPECT_EQ(result.out, "runvane\n");
  }
}

TEST_F(LogonCheckTest, FallsBackToTheLoginServiceAndFailsWithoutAny) {
  WriteService("login");
  rv::testing::ProgramResult result = Check("carol", "other");
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.out, "login\n");
  EXPECT_EQ(Check("carol", "wrong").exit_status, 1);

  ASSERT_EQ(std::remove((services_ + "/login").c_str()), 0);
  result = Check("carol", "other");
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_NE(result.err.find("no PAM service"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace rv
