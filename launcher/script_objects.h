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

}  // namespace rv
