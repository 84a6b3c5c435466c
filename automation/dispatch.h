#pragma once

// The dispatch interface: late-bound access to an automation object's
// members by name. A caller maps a name to a dispatch id once and then
// invokes the member by id as a method, a property get or a property put.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "automation/hresult.h"
#include "automation/unknown.h"
#include "automation/variant.h"

namespace rv {

using DISPID = int32_t;

// The member an object answers to when used as a value or called directly.
inline constexpr DISPID DISPID_VALUE = 0;

// Flags, combinable: a caller that cannot tell a method from a property get
// ("n = obj.Count") passes both.
enum class InvokeKind : uint16_t {
  Method = 1,
  PropertyGet = 2,
  PropertyPut = 4,
  PropertyPutRef = 8,
};
constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) {
  return static_cast<InvokeKind>(static_cast<uint16_t>(a) | static_cast<uint16_t>(b));
}
constexpr bool HasKind(InvokeKind set, InvokeKind flag) {
  return (static_cast<uint16_t>(set) & static_cast<uint16_t>(flag)) != 0;
}

// Filled by a member that fails with DISP_E_EXCEPTION.
struct ExcepInfo {
  int32_t code = 0;  // the script-visible error number, 0 when none fits
  std::string source;
  std::string description;
};

class IDispatch : public IUnknown {
 public:
  // Names are matched without regard to case. DISP_E_UNKNOWNNAME if absent.
  virtual HRESULT GetIDsOfNames(std::string_view name, DISPID* id) = 0;

  // Arguments come in call order (first argument first); for a property put
  // the new value is the last argument. `result` may be null when the caller
  // does not want one. On DISP_E_EXCEPTION `excep` carries the error text.
  virtual HRESULT Invoke(DISPID id, InvokeKind kind, std::span<Variant> args, Variant* result,
                         ExcepInfo* excep) = 0;
};

}  // namespace rv
