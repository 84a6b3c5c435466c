#include "platform/network/nmcli_dial_up.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/testing/test_home.h"

namespace rv {
namespace {

using testing::MakeTempDir;
using testing::ReadFile;
using testing::WriteFile;

// A stand-in for nmcli that knows two profiles, "Office VPN" being up, and
// records its arguments.
class FakeNmcli : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempDir("nmcli");
    program_ = folder_ + "nmcli";
    WriteFile(program_, R"(#!/bin/sh
echo "$*" >> ")" + folder_ + R"(calls"
case "$*" in
  "-t -f NAME connection show") printf 'Office VPN\nHome\\:Modem\n' ;;
  "-t -f NAME,UUID connection show --active") printf 'Office VPN:1111-aaaa\n' ;;
  "connection up id Home:Modem") echo "Connection successfully activated" ;;
  "connection down uuid 1111-aaaa") echo "Connection successfully deactivated" ;;
  *) echo "Error: unknown connection '$*'." >&2; exit 10 ;;
esac
)");
    ::chmod(program_.c_str(), 0755);
  }
  std::string Calls() { return ReadFile(folder_ + "calls"); }

  std::string folder_;
  std::string program_;
};

TEST_F(FakeNmcli, ListsConnectsAndDisconnects) {
  NmcliDialUp dial_up(program_);
  Result<std::vector<std::string>> names = dial_up.ListConnections();
  ASSERT_TRUE(names) << names.error();
  EXPECT_EQ(*names, (std::vector<std::string>{"Office VPN", "Home:Modem"}));
  Result<std::vector<ActiveConnection>> active = dial_up.ActiveConnections();
  ASSERT_TRUE(active) << active.error();
  ASSERT_EQ(active->size(), 1u);
  EXPECT_EQ((*active)[0].name, "Office VPN");
  EXPECT_EQ((*active)[0].handle, "1111-aaaa");
  EXPECT_TRUE(dial_up.Connect("Home:Modem"));
  EXPECT_TRUE(dial_up.Disconnect("1111-aaaa"));
  EXPECT_EQ(Calls(),
            "-t -f NAME connection show\n-t -f NAME,UUID connection show --active\n"
            "-t -f NAME connection show\nconnection up id Home:Modem\n"
            "connection down uuid 1111-aaaa\n");
}

TEST_F(FakeNmcli, FailuresSayWhy) {
  NmcliDialUp dial_up(program_);
  Result<void> unknown = dial_up.Connect("Nowhere");
  ASSERT_FALSE(unknown);
  EXPECT_EQ(unknown.error(), "NetworkManager has no connection named \"Nowhere\"");
  Result<void> refused = dial_up.Disconnect("2222");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), "nmcli: Error: unknown connection 'connection down uuid 2222'.");

  NmcliDialUp missing(folder_ + "no-such-nmcli");
  Result<std::vector<std::string>> names = missing.ListConnections();
  ASSERT_FALSE(names);
  EXPECT_NE(names.error().find("NetworkManager"), std::string::npos) << names.error();
}

TEST_F(FakeNmcli, AHangingNmcliIsStopped) {
  WriteFile(program_, "#!/bin/sh\nexec sleep 30\n");
  NmcliDialUp dial_up(program_, std::chrono::seconds(1));
  Result<std::vector<std::string>> names = dial_up.ListConnections();
  ASSERT_FALSE(names);
  EXPECT_NE(names.error().find("did not finish within 1 seconds"), std::string::npos)
      << names.error();
}

}  // namespace
}  // namespace rv
