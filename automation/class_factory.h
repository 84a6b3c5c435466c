#pragma once

// The automation server's class factory and the entry points a client
// finds in the server library by name (C linkage).

#include "automation/dispatch.h"
#include "automation/guids.h"

namespace rv {

class IClassFactory : public IUnknown {
 public:
  // A new object's interface `iid` (IUnknown, IDispatch or the class's own
  // interface, all served by its dispatch interface). No aggregation.
  virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, IDispatch** out) = 0;
  virtual HRESULT LockServer(bool lock) = 0;
};

using DllGetClassObjectFn = HRESULT (*)(const Guid* clsid, const Guid* iid, void** out);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

}  // namespace rv
