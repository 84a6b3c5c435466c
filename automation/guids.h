#pragma once

// The fixed identities of the automation server's type library, interfaces
// and classes, shared by the server and every client that creates its
// objects by class id.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rv {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};
  bool operator==(const Guid&) const = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex, as the
// registration writes it.
std::string GuidText(const Guid& guid);
// Braces optional, hex of either case.
std::optional<Guid> ParseGuid(std::string_view text);

inline constexpr Guid IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

inline constexpr Guid LIBID_RVOLE{
    0x5C1A7E20, 0x3B4D, 0x4E61, {0x9A, 0x12, 0x6F, 0x20, 0x8B, 0x31, 0xD4, 0x01}};
inline constexpr Guid IID_ITask{
    0x5C1A7E21, 0x3B4D, 0x4E61, {0x9A, 0x12, 0x6F, 0x20, 0x8B, 0x31, 0xD4, 0x01}};
inline constexpr Guid CLSID_Task{
    0x5C1A7E22, 0x3B4D, 0x4E61, {0x9A, 0x12, 0x6F, 0x20, 0x8B, 0x31, 0xD4, 0x01}};
inline constexpr Guid IID_IRVSystem{
    0x5C1A7E23, 0x3B4D, 0x4E61, {0x9A, 0x12, 0x6F, 0x20, 0x8B, 0x31, 0xD4, 0x01}};
inline constexpr Guid CLSID_RVSystem{
    0x5C1A7E24, 0x3B4D, 0x4E61, {0x9A, 0x12, 0x6F, 0x20, 0x8B, 0x31, 0xD4, 0x01}};
inline constexpr Guid IID_IRVAction{
    0x5C1A7E25, 0x3B4D, 0x4E61, {0x9A, 0x12, 0x6F, 0x20, 0x8B, 0x31, 0xD4, 0x01}};
inline constexpr Guid CLSID_RVAction{
    0x5C1A7E26, 0x3B4D, 0x4E61, {0x9A, 0x12, 0x6F, 0x20, 0x8B, 0x31, 0xD4, 0x01}};

}  // namespace rv
