// The system object's window lookups on a private Xvfb server.

#include <gtest/gtest.h>

#include "automation/system_object.h"
#include "platform/desktop/desktop_x11.h"
#include "platform/desktop/testing/xvfb.h"

namespace rv {
namespace {

TEST(SystemObjectX11, WindowLookupsOnARealDisplay) {
  Result<std::unique_ptr<testing::XvfbServer>> server = testing::XvfbServer::Start();
  if (!server) GTEST_SKIP() << server.error();
  Result<std::unique_ptr<X11Desktop>> desktop = X11Desktop::Open((*server)->Display());
  ASSERT_TRUE(desktop) << desktop.error();
  Result<std::unique_ptr<testing::XTestClient>> client =
      testing::XTestClient::Start((*server)->Display());
  ASSERT_TRUE(client) << client.error();
  ASSERT_TRUE((*client)->Command("open a Untitled - Notepad"));
  ASSERT_TRUE((*client)->Command("open b Terminal"));

  auto system = MakeCom<TRVSystem>(SystemServices{desktop->get(), nullptr, nullptr, nullptr});
  auto call = [&](const char* name, std::vector<Variant> args) {
    DISPID id = 0;
    EXPECT_EQ(system->GetIDsOfNames(name, &id), S_OK);
    Variant out;
    EXPECT_EQ(system->Invoke(id, InvokeKind::Method, args, &out, nullptr), S_OK) << name;
    return static_cast<uint32_t>(out.int_value());
  };
  const auto a = static_cast<uint32_t>((*client)->Handle("a"));
  const auto b = static_cast<uint32_t>((*client)->Handle("b"));
  EXPECT_EQ(call("FindWindowContaining", {Variant::Str("note"), Variant::Str("")}), a);
  EXPECT_EQ(call("FindWindowContaining", {Variant::Str("TERM"), Variant::Str("xtestclient")}), b);
  EXPECT_EQ(call("FindWindowContaining", {Variant::Str("absent"), Variant::Str("")}), 0u);
  EXPECT_EQ(call("FindWindowByTitle", {Variant::Str("untitled - notepad")}), a);
  EXPECT_EQ(call("FindWindowByTitle", {Variant::Str("Untitled")}), 0u);
  EXPECT_NE(call("FindWindowByClass", {Variant::Str("XTestClient")}), 0u);
}

}  // namespace
}  // namespace rv
