#include "automation/dispatch_table.h"

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

HRESULT Fail(ExcepInfo* excep, const std::string& text) {
  if (excep) {
    excep->code = 0;
    excep->description = text;
  }
  return DISP_E_EXCEPTION;
}
}  // namespace

DispatchTable::Member& DispatchTable::Find(std::string_view name) {
  for (Member& m : members_) {
    if (SameName(m.name, name)) return m;
  }
  members_.push_back(Member{std::string(name), nullptr, nullptr, nullptr, -1});
  return members_.back();
}

DispatchTable& DispatchTable::AddProperty(std::string name, Getter get, Setter set) {
  Member& m = Find(name);
  m.get = std::move(get);
  m.set = std::move(set);
  // Keep the member last so Args() applies to it.
  Member moved = std::move(m);
  members_.erase(members_.begin() + (&m - members_.data()));
  members_.push_back(std::move(moved));
  return *this;
}

DispatchTable& DispatchTable::AddMethod(std::string name, Method method) {
  Member& m = Find(name);
  m.method = std::move(method);
  Member moved = std::move(m);
  members_.erase(members_.begin() + (&m - members_.data()));
  members_.push_back(std::move(moved));
  return *this;
}

DispatchTable& DispatchTable::Args(int count) {
  if (!members_.empty()) members_.back().args = count;
  return *this;
}

HRESULT DispatchTable::GetIDsOfNames(std::string_view name, DISPID* id) {
  for (size_t i = 0; i < members_.size(); ++i) {
    if (SameName(members_[i].name, name)) {
      *id = static_cast<DISPID>(i + 1);
      return S_OK;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchTable::Invoke(DISPID id, InvokeKind kind, std::span<Variant> args, Variant* result,
                              ExcepInfo* excep) {
  if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
  Member& m = members_[static_cast<size_t>(id - 1)];
  if (HasKind(kind, InvokeKind::PropertyPut) || HasKind(kind, InvokeKind::PropertyPutRef)) {
    if (!m.set) return DISP_E_MEMBERNOTFOUND;
    if (args.empty()) return DISP_E_BADPARAMCOUNT;
    Result<void> done = m.set(args.first(args.size() - 1), args.back());
    return done ? S_OK : Fail(excep, done.error());
  }
  const Method* body = nullptr;
  if (HasKind(kind, InvokeKind::Method) && m.method) {
    body = &m.method;
  } else if (HasKind(kind, InvokeKind::PropertyGet) && m.get) {
    body = &m.get;
  } else if (HasKind(kind, InvokeKind::Method) && m.get) {
    body = &m.get;
  }
  if (!body) return DISP_E_MEMBERNOTFOUND;
  if (m.args >= 0 && static_cast<int>(args.size()) != m.args) return DISP_E_BADPARAMCOUNT;
  Result<Variant> value = (*body)(args);
  if (!value) return Fail(excep, value.error());
  if (result) *result = std::move(*value);
  return S_OK;
}

}  // namespace rv
