#pragma once

// The script's Err object: the number, description and source of the last
// run-time error, with Raise and Clear. It is an ordinary dispatch object,
// so scripts reach it like any host object (Err.Number, With Err ...).

#include <string>

#include "automation/dispatch.h"

namespace rv::script {

class ErrObject : public RefCounted<IDispatch> {
 public:
  int number = 0;
  std::string description;
  std::string source;
  int line = 0;  // Erl: the line of the last error

  void Clear() {
    number = 0;
    description.clear();
    source.clear();
    line = 0;
  }
  void Set(int n, std::string text, int at_line) {
    number = n;
    description = std::move(text);
    line = at_line;
  }

  HRESULT GetIDsOfNames(std::string_view name, DISPID* id) override;
  HRESULT Invoke(DISPID id, InvokeKind kind, std::span<Variant> args, Variant* result,
                 ExcepInfo* excep) override;
};

}  // namespace rv::script
