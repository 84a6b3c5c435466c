#include <dlfcn.h>
#include <gtest/gtest.h>

#include "automation/class_factory.h"
#include "automation/registered_object.h"
#include "automation/rvole/registration.h"
#include "platform/registry.h"

namespace rv {
namespace {

struct Server : ::testing::Test {
  void* library = dlopen(RVOLE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  template <typename Fn>
  Fn Entry(const char* name) {
    return reinterpret_cast<Fn>(dlsym(library, name));
  }
  ComPtr<IClassFactory> Factory(const Guid& clsid) {
    void* out = nullptr;
    EXPECT_EQ(Entry<DllGetClassObjectFn>("DllGetClassObject")(&clsid, &IID_IClassFactory, &out),
              S_OK);
    ComPtr<IClassFactory> factory(static_cast<IClassFactory*>(out));
    if (out) static_cast<IClassFactory*>(out)->Release();
    return factory;
  }
  std::unique_ptr<Registry> store = std::move(*Registry::OpenDefault());
};

TEST_F(Server, ExportsAnswerForTheirClassesOnly) {
  ASSERT_NE(library, nullptr) << dlerror();
  for (const char* name :
       {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
    EXPECT_NE(dlsym(library, name), nullptr) << name;
  }
  void* out = reinterpret_cast<void*>(1);
  Guid unknown = *ParseGuid("{00000000-1111-2222-3333-444444444444}");
  EXPECT_EQ(Entry<DllGetClassObjectFn>("DllGetClassObject")(&unknown, &IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(Entry<DllGetClassObjectFn>("DllGetClassObject")(&CLSID_Task, &IID_ITask, &out),
            E_NOINTERFACE);
}

TEST_F(Server, UnloadableOnlyWithoutObjectsAndLocks) {
  ASSERT_NE(library, nullptr) << dlerror();
  auto can_unload = Entry<DllCanUnloadNowFn>("DllCanUnloadNow");
  {
    std::vector<ComPtr<IDispatch>> objects;
    for (const ServerClass& c : ServerClasses()) {
      IDispatch* object = nullptr;
      ASSERT_EQ(Factory(c.clsid)->CreateInstance(nullptr, c.iid, &object), S_OK) << c.progid;
      objects.emplace_back(object);
      object->Release();
      EXPECT_EQ(can_unload(), S_FALSE);
    }
  }
  EXPECT_EQ(can_unload(), S_OK);
  ComPtr<IClassFactory> factory = Factory(CLSID_RVAction);
  factory->LockServer(true);
  EXPECT_EQ(can_unload(), S_FALSE);
  factory->LockServer(false);
  EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(Server, RegisteredClassesAreCreatedByProgIdAndReportErrors) {
  ASSERT_NE(library, nullptr) << dlerror();
  ASSERT_EQ(Entry<DllRegisterServerFn>("DllRegisterServer")(), S_OK);
  const std::string clsid = "CLSID\\" + GuidText(CLSID_Task);
  Result<std::string> path = store->ReadString(Hive::ClassesRoot, clsid + "\\InprocServer32", "");
  ASSERT_TRUE(path);
  EXPECT_NE(path->find("librvole.so"), std::string::npos);
  EXPECT_EQ(*store->ReadString(Hive::ClassesRoot, "RVOLE.Task\\Clsid", ""), GuidText(CLSID_Task));
  EXPECT_EQ(*store->ReadString(Hive::ClassesRoot, clsid + "\\Version", ""), "1.0");

  Result<ComPtr<IDispatch>> task = CreateObjectByName(*store, "rvole.task");
  ASSERT_TRUE(task) << task.error();
  DISPID id = 0;
  ASSERT_EQ((*task)->GetIDsOfNames("GetTaskStep", &id), S_OK);
  std::vector<Variant> args{Variant::Long(3)};
  ExcepInfo ex;
  EXPECT_EQ((*task)->Invoke(id, InvokeKind::Method, args, nullptr, &ex), DISP_E_EXCEPTION);
  EXPECT_EQ(ex.description, "List index out of bounds (3)");
  EXPECT_TRUE(CreateObjectByClsid(*store, CLSID_RVSystem));

  ASSERT_EQ(Entry<DllRegisterServerFn>("DllUnregisterServer")(), S_OK);
  EXPECT_FALSE(store->KeyExists(Hive::ClassesRoot, clsid));
  EXPECT_FALSE(store->KeyExists(Hive::ClassesRoot, "RVOLE.Task"));
  Result<ComPtr<IDispatch>> gone = CreateObjectByName(*store, "RVOLE.Task");
  ASSERT_FALSE(gone);
  EXPECT_EQ(gone.error(), "the class \"RVOLE.Task\" is not registered");
}

}  // namespace
}  // namespace rv
