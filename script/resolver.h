#pragma once

// Binds every name of the parsed modules: variables to frame or module
// slots, calls to procedures and library functions, constants to values,
// host objects to their dispatch pointers. Flattens each procedure's
// statements into instructions with jumps. Errors read "FILE:LINE: message".

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "platform/result.h"
#include "script/ast.h"

namespace rv::script {

struct Program {
  std::vector<std::unique_ptr<Module>> modules;
  std::vector<SlotInit> globals;
  std::vector<ExprPtr> synthetic;
  Proc* main = nullptr;
};

struct ResolveContext {
  // The host object a script sees under this (lower-case) name, or null.
  std::function<IDispatch*(const std::string& name)> object_named;
  // Objects whose members are reachable without a prefix.
  std::vector<IDispatch*> global_objects;
  IDispatch* err_object = nullptr;
};

// The last module is the script; earlier ones (hidden code) provide
// procedures and variables it may use, and the script's own definitions
// take precedence over theirs.
Result<std::unique_ptr<Program>> Resolve(std::vector<std::unique_ptr<Module>> modules,
                                         const ResolveContext& context);

}  // namespace rv::script
