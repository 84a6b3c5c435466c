#pragma once

// Where script steps get their automation objects ("RVOLE.Task",
// "RVOLE.RVSystem", "RVOLE.RVAction") and where a script's CreateObject
// looks for the classes it names.

#include <string>

#include "automation/dispatch.h"
#include "platform/result.h"

namespace rv {

class ScriptObjects {
 public:
  virtual ~ScriptObjects() = default;
  // By ProgID; the error says which class could not be created and why.
  virtual Result<ComPtr<IDispatch>> Create(const std::string& progid) = 0;
};

// The three classes of the automation server, created in this process.
ScriptObjects& InProcessScriptObjects();

// Classes as registered in the store, created through their server library.
// When the server's classes are not registered and librvole.so sits beside
// this program, it is registered first; without it the server's classes
// come from this program itself, so scripts still run.
ScriptObjects& RegisteredScriptObjects();

}  // namespace rv
