#pragma once

// Creating an object of a registered automation class, as any client does:
// the ProgID's Clsid, the class's InprocServer32 library, its
// DllGetClassObject, the factory, the instance. A library once loaded stays
// loaded for the process, since objects from it may outlive any one caller.

#include <string>

#include "automation/dispatch.h"
#include "automation/guids.h"
#include "platform/result.h"

namespace rv {

class Registry;

Result<ComPtr<IDispatch>> CreateObjectByClsid(Registry& store, const Guid& clsid);
// A ProgID ("RVOLE.Task") or a CLSID in braces.
Result<ComPtr<IDispatch>> CreateObjectByName(Registry& store, const std::string& name);

}  // namespace rv
