#include "automation/system_object.h"

#include <gtest/gtest.h>

#include <set>

#include "automation/action_object.h"
#include "automation/task_object.h"

#include "common/store_keys.h"
#include "platform/desktop/fake_desktop.h"
#include "platform/fake_dde_client.h"
#include "platform/network/fake_dial_up.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

struct SystemObject : ::testing::Test {
  FakeDesktop desktop;
  FakeDialUp dial_up;
  std::shared_ptr<dde::FakeClient> dde = std::make_shared<dde::FakeClient>();
  std::unique_ptr<Registry> store =
      std::move(*Registry::Open(testing::MakeTempDir() + "/registry.db"));
  ComPtr<TRVSystem> system =
      MakeCom<TRVSystem>(SystemServices{&desktop, &dial_up, dde, store.get()});

  Variant Call(const char* name, std::vector<Variant> args = {}, HRESULT want = S_OK) {
    DISPID id = 0;
    EXPECT_EQ(system->GetIDsOfNames(name, &id), S_OK) << name;
    Variant out;
    ExcepInfo ex;
    EXPECT_EQ(system->Invoke(id, InvokeKind::Method | InvokeKind::PropertyGet, args, &out, &ex),
              want)
        << name << ": " << ex.description;
    return out;
  }
};

TEST_F(SystemObject, WindowLookups) {
  WindowHandle editor = desktop.AddWindow("Untitled - Notepad", true, "Editor");
  WindowHandle term = desktop.AddWindow("Terminal", true, "XTerm");
  EXPECT_EQ(Call("FindWindowContaining", {Variant::Str("note"), Variant::Str("")}).int_value(),
            static_cast<int64_t>(editor));
  EXPECT_EQ(Call("FindWindowContaining", {Variant::Str(""), Variant::Str("")}).int_value(),
            static_cast<int64_t>(editor));
  EXPECT_EQ(Call("FindWindowContaining", {Variant::Str("t"), Variant::Str("xterm")}).int_value(),
            static_cast<int64_t>(term));
  EXPECT_EQ(Call("FindWindowContaining", {Variant::Str("nothing"), Variant::Str("")}).int_value(),
            0);
  EXPECT_EQ(Call("FindWindowByTitle", {Variant::Str("terminal")}).int_value(),
            static_cast<int64_t>(term));
  EXPECT_EQ(Call("FindWindowByClass", {Variant::Str("Editor")}).int_value(),
            static_cast<int64_t>(editor));
  EXPECT_EQ(Call("FindWindowByClass", {Variant::Str("Nope")}).int_value(), 0);
}

TEST_F(SystemObject, DialErrorsAreKeptWithoutTheirPrefixAndClearedOnTheNextDial) {
  dial_up.failure = "nmcli: Error: Connection activation failed";
  Call("RASConnect", {Variant::Str("Office")});
  EXPECT_NE(Call("LastRASErrorCode").int_value(), 0);
  EXPECT_EQ(Call("LastRASErrorText").str(), "Error: Connection activation failed");
  dial_up.failure.clear();
  dial_up.known = {"Office"};
  Call("RASConnect", {Variant::Str("Office")});
  EXPECT_EQ(Call("LastRASErrorCode").int_value(), 0);
  EXPECT_EQ(Call("LastRASErrorText").str(), "");
  Call("RASDisconnect");
  EXPECT_TRUE(dial_up.active.empty());
}

TEST_F(SystemObject, RunTaskAndRunningTasks) {
  dde->SetRunning("Runvane", "System", true);
  Call("RunTask", {Variant::Str("Backup")});
  ASSERT_EQ(dde->commands().size(), 1u);
  EXPECT_EQ(dde->commands()[0].text, "LAUNCH: Backup");
  Call("RunTask", {Variant::Long(3)}, DISP_E_EXCEPTION);
  EXPECT_EQ(dde->commands().size(), 1u);

  EXPECT_EQ(Call("TaskCount").int_value(), 0);
  ASSERT_TRUE(store->WriteInteger(Hive::CurrentUser, store_keys::kRunning, "Backup", 1));
  ASSERT_TRUE(store->WriteInteger(Hive::CurrentUser, store_keys::kRunning, "Mail", 1));
  EXPECT_EQ(Call("TaskCount").int_value(), 2);
  EXPECT_EQ(Call("TaskList").str(), "Backup\r\nMail");
}

}  // namespace
}  // namespace rv

namespace rv {
namespace {

// The interface tables are the objects' type information: vtable slots in
// order (a property with get and put takes two), the dispatch ids as fixed.
TEST(InterfaceTables, SlotsAndIdsAsPublished) {
  struct Case {
    const InterfaceInfo& info;
    int slots;
  } cases[] = {{TaskInterface(), 45}, {SystemInterface(), 12}, {ActionInterface(), 29}};
  for (const Case& c : cases) {
    int slots = 0;
    std::set<DISPID> ids;
    for (const MemberInfo& m : c.info.members) {
      slots += (m.kinds & kGet) && (m.kinds & kPut) ? 2 : 1;
      EXPECT_TRUE(ids.insert(m.id).second) << c.info.name << "." << m.name;
    }
    EXPECT_EQ(slots, c.slots) << c.info.name;
  }
  EXPECT_EQ(FindMember(TaskInterface(), "SaveToFile")->id, 28);
  EXPECT_EQ(FindMember(SystemInterface(), "RASConnect")->id, 9);
  EXPECT_EQ(FindMember(ActionInterface(), 29)->name, "SendMail");
}

}  // namespace
}  // namespace rv
