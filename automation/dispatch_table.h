#pragma once

// An automation object built from a table of members: each member is a name
// with a getter, a setter and/or a method body. Hosts and tests use it to
// expose objects without writing Invoke by hand. A member body returns its
// result or an error text; the error reaches the caller as DISP_E_EXCEPTION
// with that text as the description.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/dispatch.h"
#include "platform/result.h"

namespace rv {

class DispatchTable : public RefCounted<IDispatch> {
 public:
  using Getter = std::function<Result<Variant>(std::span<Variant> args)>;
  using Setter = std::function<Result<void>(std::span<Variant> args, const Variant& value)>;
  using Method = std::function<Result<Variant>(std::span<Variant> args)>;

  // A member may have a getter, a setter and a method at once; calling a
  // member that has a getter but no method uses the getter.
  DispatchTable& AddProperty(std::string name, Getter get, Setter set = nullptr);
  DispatchTable& AddMethod(std::string name, Method method);
  // Fixes the expected argument count of the last member added (methods and
  // getters; -1, the default, accepts any count).
  DispatchTable& Args(int count);

  HRESULT GetIDsOfNames(std::string_view name, DISPID* id) override;
  HRESULT Invoke(DISPID id, InvokeKind kind, std::span<Variant> args, Variant* result,
                 ExcepInfo* excep) override;

 private:
  struct Member {
    std::string name;
    Getter get;
    Setter set;
    Method method;
    int args = -1;
  };
  Member& Find(std::string_view name);
  std::vector<Member> members_;  // dispatch id = index + 1
};

}  // namespace rv
