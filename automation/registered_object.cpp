#include "automation/registered_object.h"

#include <dlfcn.h>

#include <cstdio>

#include "automation/class_factory.h"
#include "platform/registry.h"

namespace rv {

namespace {
std::string Hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return buf;
}
}  // namespace

Result<ComPtr<IDispatch>> CreateObjectByClsid(Registry& store, const Guid& clsid) {
  const std::string key = "CLSID\\" + GuidText(clsid) + "\\InprocServer32";
  Result<std::string> library = store.ReadString(Hive::ClassesRoot, key, "");
  if (!library) return MakeError("the class " + GuidText(clsid) + " is not registered");
  void* handle = dlopen(library->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return MakeError("cannot load " + *library + ": " + dlerror());
  auto get = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
  if (!get) return MakeError(*library + " is not an automation server");
  void* out = nullptr;
  HRESULT hr = get(&clsid, &IID_IClassFactory, &out);
  if (Failed(hr) || !out) {
    return MakeError(*library + " offers no class " + GuidText(clsid) + " (" + Hex(hr) + ")");
  }
  auto* factory = static_cast<IClassFactory*>(out);
  IDispatch* object = nullptr;
  hr = factory->CreateInstance(nullptr, IID_IDispatch, &object);
  factory->Release();
  if (Failed(hr) || !object) {
    return MakeError("the class " + GuidText(clsid) + " could not create an object (" + Hex(hr) +
                     ")");
  }
  ComPtr<IDispatch> owned(object);
  object->Release();  // the ComPtr holds the reference CreateInstance gave
  return owned;
}

Result<ComPtr<IDispatch>> CreateObjectByName(Registry& store, const std::string& name) {
  if (std::optional<Guid> clsid = ParseGuid(name)) return CreateObjectByClsid(store, *clsid);
  Result<std::string> text = store.ReadString(Hive::ClassesRoot, name + "\\Clsid", "");
  if (!text) return MakeError("the class \"" + name + "\" is not registered");
  std::optional<Guid> clsid = ParseGuid(*text);
  if (!clsid) return MakeError("the class \"" + name + "\" has the malformed id " + *text);
  return CreateObjectByClsid(store, *clsid);
}

}  // namespace rv
