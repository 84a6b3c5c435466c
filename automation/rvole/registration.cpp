#include "automation/rvole/registration.h"

#include "platform/registry.h"

namespace rv {

namespace {
const ServerClass kClasses[] = {
    {CLSID_Task, IID_ITask, "RVOLE.Task", "TaskObject"},
    {CLSID_RVSystem, IID_IRVSystem, "RVOLE.RVSystem", "RVSystemObject"},
    {CLSID_RVAction, IID_IRVAction, "RVOLE.RVAction", "RVActionObject"},
};

Result<void> Write(Registry& store, const std::string& key, const std::string& value) {
  Result<void> done = store.WriteString(Hive::ClassesRoot, key, "", value);
  if (!done) return MakeError("cannot write " + key + ": " + done.error());
  return {};
}

Result<void> Remove(Registry& store, const std::string& key) {
  if (!store.KeyExists(Hive::ClassesRoot, key)) return {};
  Result<void> done = store.DeleteKey(Hive::ClassesRoot, key);
  if (!done) return MakeError("cannot remove " + key + ": " + done.error());
  return {};
}

std::string TypeLibKey() {
  return "TypeLib\\" + GuidText(LIBID_RVOLE);
}
}  // namespace

std::span<const ServerClass> ServerClasses() {
  return kClasses;
}

Result<void> RegisterServer(Registry& store, const std::string& library_path) {
  const std::string lib = TypeLibKey() + "\\1.0";
  for (auto [key, value] : {std::pair{lib, std::string("RVOLE Library")},
                            {lib + "\\0\\linux", library_path},
                            {lib + "\\HELPDIR", library_path}}) {
    if (Result<void> done = Write(store, key, value); !done) return done;
  }
  for (const ServerClass& c : kClasses) {
    const std::string clsid = "CLSID\\" + GuidText(c.clsid);
    const std::pair<std::string, std::string> entries[] = {
        {clsid, c.description},
        {clsid + "\\InprocServer32", library_path},
        {c.progid, c.description},
        {std::string(c.progid) + "\\Clsid", GuidText(c.clsid)},
        {clsid + "\\ProgID", c.progid},
        {clsid + "\\Version", "1.0"},
        {clsid + "\\TypeLib", GuidText(LIBID_RVOLE)},
    };
    for (const auto& [key, value] : entries) {
      if (Result<void> done = Write(store, key, value); !done) return done;
    }
  }
  return {};
}

Result<void> UnregisterServer(Registry& store) {
  for (const ServerClass& c : kClasses) {
    const std::string clsid = "CLSID\\" + GuidText(c.clsid);
    for (const std::string& key : {clsid + "\\TypeLib", clsid + "\\Version", clsid + "\\ProgID",
                                   std::string(c.progid) + "\\Clsid", std::string(c.progid),
                                   clsid + "\\InprocServer32", clsid}) {
      if (Result<void> done = Remove(store, key); !done) return done;
    }
  }
  return Remove(store, TypeLibKey());
}

}  // namespace rv
