#pragma once

// An automation object whose members are described by one static table
// (name, dispatch id, kinds, parameter names, help string, in interface
// order). Names map to ids from the table; Invoke runs the member body
// inside a guard: an error value or an escaping exception becomes a failure
// result, and the message goes to both ExcepInfo and the thread's error info.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "automation/dispatch.h"
#include "platform/result.h"

namespace rv {

enum MemberKind : uint8_t {
  kGet = 1,
  kPut = 2,
  kMethod = 4,
};

struct MemberInfo {
  std::string_view name;
  DISPID id;
  uint8_t kinds;
  std::vector<std::string_view> params;
  std::string_view help;
};

struct InterfaceInfo {
  std::string_view name;
  std::string_view help;
  std::span<const MemberInfo> members;
};

const MemberInfo* FindMember(const InterfaceInfo& info, std::string_view name);
const MemberInfo* FindMember(const InterfaceInfo& info, DISPID id);

class MemberObject : public RefCounted<IDispatch> {
 public:
  explicit MemberObject(const InterfaceInfo& info) : info_(info) {}

  const InterfaceInfo& Info() const { return info_; }

  HRESULT GetIDsOfNames(std::string_view name, DISPID* id) override;
  HRESULT Invoke(DISPID id, InvokeKind kind, std::span<Variant> args, Variant* result,
                 ExcepInfo* excep) override;

 protected:
  // `kind` is one of kGet, kPut (value = the last argument) or kMethod.
  virtual Result<Variant> Call(DISPID id, MemberKind kind, std::span<Variant> args) = 0;

 private:
  const InterfaceInfo& info_;
};

}  // namespace rv
