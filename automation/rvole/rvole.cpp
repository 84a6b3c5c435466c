// The automation server library: class factories for the task, system and
// action objects, the object and lock counts that tell whether the library
// may be unloaded, and the registration in the store's classes hive.

#include <dlfcn.h>

#include <atomic>
#include <functional>
#include <string>

#include "automation/action_object.h"
#include "automation/class_factory.h"
#include "automation/rvole/registration.h"
#include "automation/system_object.h"
#include "automation/task_object.h"
#include "platform/desktop/system_desktop.h"
#include "platform/network/nmcli_dial_up.h"
#include "platform/registry.h"

namespace rv {
namespace {

// The server's own state, as every in-process server keeps it.
std::atomic<int> live_objects{0};
std::atomic<int> server_locks{0};

template <typename T>
class Counted final : public T {
 public:
  template <typename... Args>
  explicit Counted(Args&&... args) : T(std::forward<Args>(args)...) {
    live_objects.fetch_add(1);
  }
  ~Counted() override { live_objects.fetch_sub(1); }
};

class Factory final : public RefCounted<IClassFactory> {
 public:
  Factory(const ServerClass& info, std::function<IDispatch*()> make)
      : info_(info), make_(std::move(make)) {}

  const ServerClass& Info() const { return info_; }

  HRESULT CreateInstance(IUnknown* outer, const Guid& iid, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(iid == IID_IUnknown || iid == IID_IDispatch || iid == info_.iid)) return E_NOINTERFACE;
    try {
      IDispatch* object = make_();
      object->AddRef();
      *out = object;
      return S_OK;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  HRESULT LockServer(bool lock) override {
    if (lock) {
      server_locks.fetch_add(1);
    } else {
      server_locks.fetch_sub(1);
    }
    return S_OK;
  }

 private:
  const ServerClass& info_;
  std::function<IDispatch*()> make_;
};

SystemServices DefaultSystemServices() {
  static NmcliDialUp dial_up;
  return SystemServices{&SystemDesktop(), &dial_up, {}, {}};
}

// Created with the library and kept for its lifetime.
ComPtr<Factory>* Factories() {
  static ComPtr<Factory> factories[] = {
      MakeCom<Factory>(ServerClasses()[0], [] { return new Counted<TTask>(); }),
      MakeCom<Factory>(ServerClasses()[1],
                       [] { return new Counted<TRVSystem>(DefaultSystemServices()); }),
      MakeCom<Factory>(ServerClasses()[2], [] { return new Counted<TRVAction>(); }),
  };
  return factories;
}

std::string LibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LibraryPath), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

}  // namespace
}  // namespace rv

extern "C" {

__attribute__((visibility("default"))) rv::HRESULT DllGetClassObject(const rv::Guid* clsid,
                                                                     const rv::Guid* iid,
                                                                     void** out) {
  if (!out || !clsid || !iid) return rv::E_POINTER;
  *out = nullptr;
  for (int i = 0; i < 3; ++i) {
    rv::ComPtr<rv::Factory>& factory = rv::Factories()[i];
    if (!(factory->Info().clsid == *clsid)) continue;
    if (!(*iid == rv::IID_IUnknown || *iid == rv::IID_IClassFactory)) return rv::E_NOINTERFACE;
    factory->AddRef();
    *out = static_cast<rv::IClassFactory*>(factory.get());
    return rv::S_OK;
  }
  return rv::CLASS_E_CLASSNOTAVAILABLE;
}

__attribute__((visibility("default"))) rv::HRESULT DllCanUnloadNow() {
  return rv::live_objects.load() == 0 && rv::server_locks.load() == 0 ? rv::S_OK : rv::S_FALSE;
}

__attribute__((visibility("default"))) rv::HRESULT DllRegisterServer() {
  auto store = rv::Registry::OpenDefault();
  if (!store) return rv::E_FAIL;
  std::string path = rv::LibraryPath();
  if (path.empty()) return rv::E_FAIL;
  return rv::RegisterServer(**store, path) ? rv::S_OK : rv::E_FAIL;
}

__attribute__((visibility("default"))) rv::HRESULT DllUnregisterServer() {
  auto store = rv::Registry::OpenDefault();
  if (!store) return rv::E_FAIL;
  return rv::UnregisterServer(**store) ? rv::S_OK : rv::E_FAIL;
}

}  // extern "C"
