#pragma once

// The automation server's classes and the entries that register them in the
// store's classes hive: CLSID\{clsid} with InprocServer32, ProgID, Version
// and TypeLib below it, ProgID with Clsid, and the type library.

#include <span>
#include <string>

#include "automation/guids.h"
#include "platform/result.h"

namespace rv {

class Registry;

struct ServerClass {
  Guid clsid;
  Guid iid;
  const char* progid;       // "RVOLE.Task"
  const char* description;  // the class's help string
};

std::span<const ServerClass> ServerClasses();

Result<void> RegisterServer(Registry& store, const std::string& library_path);
// Entries already missing are not an error.
Result<void> UnregisterServer(Registry& store);

}  // namespace rv
