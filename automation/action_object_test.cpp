#include "automation/action_object.h"

#include <gtest/gtest.h>

#include "platform/fake_dde_client.h"

namespace rv {
namespace {

struct Fixture {
  std::shared_ptr<dde::FakeClient> client = std::make_shared<dde::FakeClient>();
  ComPtr<TRVAction> action = MakeCom<TRVAction>(client);

  HRESULT Call(const std::string& name, std::vector<Variant> args, ExcepInfo* ex = nullptr) {
    DISPID id = 0;
    EXPECT_EQ(action->GetIDsOfNames(name, &id), S_OK) << name;
    return action->Invoke(id, InvokeKind::Method, args, nullptr, ex);
  }
};

std::vector<Variant> Strings(std::initializer_list<const char*> texts) {
  std::vector<Variant> out;
  for (const char* t : texts)
    out.push_back(Variant::Str(t));
  return out;
}

TEST(ActionObject, EveryMethodSendsItsStepLine) {
  struct Case {
    const char* method;
    std::vector<Variant> args;
    const char* line;
  };
  const std::vector<Case> cases = {
      {"PlayRecording", Strings({"r.jrn"}), "RECORD: \"r.jrn\""},
      {"Focus", Strings({"Editor"}), "FOCUS: Editor"},
      {"DDE", Strings({"S", "T", "I"}), "DDE: \"S\",\"T\",\"I\""},
      {"Start",
       {Variant::Str("ed"), Variant::Str("-x"), Variant::Str("2"), Variant::Str("/tmp")},
       "START: \"ed\",\"-x\",2,\"/tmp\""},
      {"OSCommand", Strings({"ls -l"}), "OS: ls -l"},
      {"SendKeys", {Variant::Long(50), Variant::Str("ab{ENTER}")}, "SEND: 1,50,ab{ENTER}"},
      {"SendKeys", {Variant::Str("0"), Variant::Str("x")}, "SEND: 0,0,x"},
      {"PlaySound", Strings({"a.wav", "1"}), "SOUND: \"a.wav\",1"},
      {"RunScript", Strings({"s.bas"}), "SCRIPT: \"s.bas\""},
      {"OpenFile", Strings({"a"}), "OPEN: \"a\""},
      {"PrintFile", Strings({"a"}), "PRINT: \"a\""},
      {"MoveFile", Strings({"a", "b"}), "MOVE: \"a\",\"b\""},
      {"RenameFile", Strings({"a", "b"}), "RENAME: \"a\",\"b\""},
      {"CopyFile", Strings({"a.txt", "b.txt"}), "COPY: \"a.txt\",\"b.txt\""},
      {"FTPUpload", Strings({"h", "u", "p", "21", "src", "dst", "log", "1"}),
       "FTPUPLOAD: \"h\",\"u\",\"p\",\"21\",\"src\",\"dst\",\"log\",1"},
      {"FTPDownload", Strings({"h", "u", "p", "21", "src", "dst", "log", "0"}),
       "FTPDOWNLOAD: \"h\",\"u\",\"p\",\"21\",\"dst\",\"src\",\"log\",0"},
      {"FTPLogin", Strings({"h", "u", "p", "21", "log", "1"}),
       "FTPLOGIN: \"h\",\"u\",\"p\",\"21\",\"log\",1"},
      {"FTPLogout", {}, "FTPLOGOUT: \"current\""},
      {"FTPUploadEx", Strings({"s", "d", "1", "0", "10"}), "FTPUPLOADEX: \"s\",\"d\",1,0,\"10\""},
      {"FTPDownloadEx", Strings({"s", "d", "1", "0", "10"}), "FTPDNLOADEX: \"s\",\"d\",1,0,\"10\""},
      {"FTPDelete", Strings({"f"}), "FTPDELETE: \"f\""},
      {"FTPRemDir", Strings({"d"}), "FTPREMDIR: \"d\""},
      {"FTPMakeDir", Strings({"d"}), "FTPMAKEDIR: \"d\""},
      {"DeleteFile", Strings({"f"}), "DELETE: \"f\""},
      {"MakeDir", Strings({"d"}), "MAKEDIR: \"d\""},
      {"RemDir", Strings({"d"}), "REMDIR: \"d\""},
      {"FTPChDir", Strings({"d"}), "FTPCD: \"d\""},
      {"ChDir", Strings({"d"}), "CD: \"d\""},
      {"FTPRename", Strings({"a", "b"}), "FTPRENAME: \"a\",\"b\""},
      {"SendMail", Strings({"m", "s", "r", "c", "subj", "f"}),
       "SMTP: \"m\",\"s\",\"r\",\"c\",\"subj\",\"f\""},
  };
  Fixture f;
  f.client->SetRunning("RunVane", "System", true);
  for (const Case& c : cases) {
    ASSERT_EQ(f.Call(c.method, c.args), S_OK) << c.method;
    auto sent = f.client->commands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().text, std::string("PLAYSTEPS: ") + c.line + "\r") << c.method;
    EXPECT_EQ(sent.back().topic, "System");
    EXPECT_EQ(sent.back().wait, dde::Wait::Yes);
  }
  EXPECT_EQ(f.client->commands().size(), cases.size());
}

TEST(ActionObject, NumberInBarePositionFailsAndSendsNothing) {
  Fixture f;
  f.client->SetRunning("RunVane", "System", true);
  ExcepInfo ex;
  EXPECT_EQ(f.Call("Start",
                   {Variant::Str("ed"), Variant::Str(""), Variant::Long(2), Variant::Str("")}, &ex),
            DISP_E_EXCEPTION);
  EXPECT_FALSE(ex.description.empty());
  EXPECT_EQ(f.Call("PlaySound", {Variant::Str("a.wav"), Variant::Long(1)}), DISP_E_EXCEPTION);
  EXPECT_TRUE(f.client->commands().empty());
}

TEST(ActionObject, LauncherNotRunningStillSucceeds) {
  Fixture f;
  EXPECT_EQ(f.Call("CopyFile", Strings({"a", "b"})), S_OK);
  EXPECT_EQ(f.Call("FTPLogout", {}), S_OK);
  EXPECT_TRUE(f.client->commands().empty());
}

}  // namespace
}  // namespace rv
