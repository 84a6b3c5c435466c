#include "automation/system_object.h"

#include <algorithm>
#include <cctype>

#include "automation/variant_convert.h"
#include "common/store_keys.h"
#include "platform/desktop/desktop.h"
#include "platform/network/dial_up.h"
#include "platform/registry.h"

namespace rv {

namespace {

const MemberInfo kSystemMembers[] = {
    {"TaskCount", 1, kGet, {}, "Number of running tasks"},
    {"TaskList", 2, kGet, {}, "List of running tasks"},
    {"RASDisconnect", 4, kMethod, {}, "Disconnects active dialup connections"},
    {"FindWindowByTitle", 5, kMethod, {"Title"}, ""},
    {"FindWindowByClass", 6, kMethod, {"ClassName"}, ""},
    {"RASConnect", 9, kMethod, {"ConnectTo"}, ""},
    {"LastRASErrorCode", 3, kGet, {}, ""},
    {"LastRASErrorText", 7, kGet, {}, ""},
    {"FindWindowContaining", 8, kMethod, {"Title", "ClassName"}, ""},
    {"RunTask", 10, kMethod, {"TaskName"}, "Runs named task"},
    {"WindowsDir", 11, kGet, {}, "Windows directory"},
    {"SystemDir", 12, kGet, {}, "System directory"},
};

const InterfaceInfo kSystemInterface{"IRVSystem", "Dispatch interface for RVSystem Object",
                                     kSystemMembers};

// A dial-up failure has no number of its own on this system.
constexpr int32_t kDialErrorCode = 1;

std::string Upper(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

Variant Handle(uint64_t handle) {
  return Variant::Long(static_cast<int32_t>(static_cast<uint32_t>(handle)));
}

}  // namespace

const InterfaceInfo& SystemInterface() {
  return kSystemInterface;
}

TRVSystem::TRVSystem(SystemServices services)
    : MemberObject(kSystemInterface), services_(std::move(services)) {
  if (!services_.dde) services_.dde = std::make_shared<dde::SocketClient>();
}

Result<std::vector<std::string>> TRVSystem::RunningTasks() {
  std::unique_ptr<Registry> opened;
  Registry* store = services_.store;
  if (!store) {
    Result<std::unique_ptr<Registry>> r = Registry::OpenDefault();
    if (!r) return MakeError("cannot open the store: " + r.error());
    opened = std::move(*r);
    store = opened.get();
  }
  if (!store->KeyExists(Hive::CurrentUser, store_keys::kRunning)) {
    return std::vector<std::string>{};
  }
  return store->ValueNames(Hive::CurrentUser, store_keys::kRunning);
}

void TRVSystem::RecordDialError(const std::string& message) {
  last_error_code_ = kDialErrorCode;
  size_t colon = message.find(':');
  last_error_text_ = colon == std::string::npos ? message : Trim(message.substr(colon + 1));
}

int64_t TRVSystem::FindContaining(const std::string& title, const std::string& window_class) {
  Desktop* desktop = services_.desktop;
  if (!desktop || !desktop->HasDisplay()) return 0;
  const std::string want_title = Upper(title);
  const std::string want_class = Upper(window_class);
  auto matches = [&](const DesktopWindow& w) {
    return Upper(w.title.substr(0, 255)).find(want_title) != std::string::npos &&
           Upper(w.window_class.substr(0, 255)).find(want_class) != std::string::npos;
  };
  // Descendants before their window, top-level windows in stacking order.
  for (const DesktopWindow& top : desktop->TopLevelWindows()) {
    for (const DesktopWindow& child : desktop->ChildWindows(top.handle)) {
      if (matches(child)) return static_cast<int64_t>(child.handle);
    }
    if (matches(top)) return static_cast<int64_t>(top.handle);
  }
  return 0;
}

Result<Variant> TRVSystem::Call(DISPID id, MemberKind, std::span<Variant> args) {
  switch (id) {
    case 1:
    case 2: {
      Result<std::vector<std::string>> names = RunningTasks();
      if (!names) return MakeError(names.error());
      if (id == 1) return Variant::Long(static_cast<int32_t>(names->size()));
      std::string joined;
      for (size_t i = 0; i < names->size(); ++i)
        joined += (i ? "\r\n" : "") + (*names)[i];
      return Variant::Str(joined);
    }
    case 3:
      return Variant::Long(last_error_code_);
    case 7:
      return Variant::Str(last_error_text_);
    case 4:
    case 9: {
      last_error_code_ = 0;
      last_error_text_.clear();
      if (!services_.dial_up) return MakeError("dial-up connections are not available here");
      if (id == 9) {
        Result<std::string> entry = VariantToText(args[0]);
        if (!entry) return MakeError(entry.error());
        if (Result<void> done = services_.dial_up->Connect(*entry); !done) {
          RecordDialError(done.error());
        }
        return Variant::Long(last_error_code_);
      }
      Result<std::vector<ActiveConnection>> active = services_.dial_up->ActiveConnections();
      if (!active) {
        RecordDialError(active.error());
        return Variant::Long(last_error_code_);
      }
      for (const ActiveConnection& c : *active) {
        if (Result<void> done = services_.dial_up->Disconnect(c.handle); !done) {
          RecordDialError(done.error());
        }
      }
      return Variant::Long(last_error_code_);
    }
    case 5:
    case 6: {
      Result<std::string> text = VariantToText(args[0]);
      if (!text) return MakeError(text.error());
      Desktop* desktop = services_.desktop;
      if (!desktop || !desktop->HasDisplay()) return Variant::Long(0);
      if (id == 5) {
        std::optional<DesktopWindow> w = desktop->FindWindow(*text);
        return w ? Handle(w->handle) : Variant::Long(0);
      }
      for (const DesktopWindow& w : desktop->TopLevelWindows()) {
        if (w.window_class == *text) return Handle(w.handle);
      }
      return Variant::Long(0);
    }
    case 8: {
      Result<std::string> title = VariantToText(args[0]);
      if (!title) return MakeError(title.error());
      Result<std::string> cls = VariantToText(args[1]);
      if (!cls) return MakeError(cls.error());
      return Handle(static_cast<uint64_t>(FindContaining(*title, *cls)));
    }
    case 10: {
      std::string text = "LAUNCH: ";
      if (Result<void> added = AppendBare(text, args[0]); !added) return MakeError(added.error());
      // The launcher closed is not the script's failure.
      (void)services_.dde->Execute("Runvane", "System", text, dde::Wait::Yes);
      return Variant();
    }
    case 11:
      // The system's installation, where its programs and data live.
      return Variant::Str("/usr");
    case 12:
      // Where the system's own programs are.
      return Variant::Str("/usr/bin");
    default:
      return MakeError("Member not found");
  }
}

}  // namespace rv
