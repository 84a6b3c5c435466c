#include "automation/member_object.h"

#include <exception>
#include <string>

#include "automation/error_info.h"

namespace rv {

namespace {
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

HRESULT Fail(HRESULT code, ExcepInfo* excep, const std::string& text) {
  SetThreadErrorInfo(ErrorInfo{code, text, 0});
  if (excep) {
    excep->code = 0;
    excep->description = text;
  }
  return code;
}
}  // namespace

const MemberInfo* FindMember(const InterfaceInfo& info, std::string_view name) {
  for (const MemberInfo& m : info.members) {
    if (SameName(m.name, name)) return &m;
  }
  return nullptr;
}

const MemberInfo* FindMember(const InterfaceInfo& info, DISPID id) {
  for (const MemberInfo& m : info.members) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

HRESULT MemberObject::GetIDsOfNames(std::string_view name, DISPID* id) {
  const MemberInfo* m = FindMember(info_, name);
  if (!m) return DISP_E_UNKNOWNNAME;
  *id = m->id;
  return S_OK;
}

HRESULT MemberObject::Invoke(DISPID id, InvokeKind kind, std::span<Variant> args, Variant* result,
                             ExcepInfo* excep) {
  const MemberInfo* m = FindMember(info_, id);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  MemberKind chosen;
  if (HasKind(kind, InvokeKind::PropertyPut) || HasKind(kind, InvokeKind::PropertyPutRef)) {
    if (!(m->kinds & kPut)) return DISP_E_MEMBERNOTFOUND;
    if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
    chosen = kPut;
  } else if (HasKind(kind, InvokeKind::Method) && (m->kinds & kMethod)) {
    chosen = kMethod;
  } else if (HasKind(kind, InvokeKind::PropertyGet) || HasKind(kind, InvokeKind::Method)) {
    if (!(m->kinds & kGet)) return DISP_E_MEMBERNOTFOUND;
    chosen = kGet;
  } else {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (chosen != kPut && args.size() != m->params.size()) return DISP_E_BADPARAMCOUNT;
  try {
    Result<Variant> done = Call(id, chosen, args);
    if (!done) return Fail(DISP_E_EXCEPTION, excep, done.error());
    if (result) *result = std::move(done).value();
    return S_OK;
  } catch (const std::exception& e) {
    return Fail(DISP_E_EXCEPTION, excep, e.what());
  } catch (...) {
    return Fail(E_UNEXPECTED, excep, "Unexpected failure");
  }
}

}  // namespace rv
