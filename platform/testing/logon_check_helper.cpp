// Runs one log-in check for the tests, which start it under pam_wrapper:
// logon_check_helper SERVICE_DIR USER PASSWORD. Exit status 0 accepted,
// 1 refused, 2 the check could not be made (the reason on stderr), and the
// service used on stdout.

#include <cstdio>

#include "platform/pam_logon_check.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: logon_check_helper SERVICE_DIR USER PASSWORD\n");
    return 2;
  }
  rv::PamLogonCheck check({"runvane", "login"}, {argv[1]});
  std::printf("%s\n", check.Service().c_str());
  const rv::Result<bool> accepted = check.Check(argv[2], argv[3]);
  if (!accepted) {
    std::fprintf(stderr, "%s\n", accepted.error().c_str());
    return 2;
  }
  return *accepted ? 0 : 1;
}
