#include "script/err_object.h"

#include <cctype>

#include "script/builtins.h"
#include "script/script_error.h"
#include "script/values.h"

namespace rv::script {

namespace {
enum Member : DISPID { kNumber = DISPID_VALUE, kDescription = 1, kSource, kRaise, kClear, kLine };

const std::pair<const char*, DISPID> kMembers[] = {
    {"number", kNumber}, {"description", kDescription},
    {"source", kSource}, {"raise", kRaise},
    {"clear", kClear},   {"erl", kLine}};
}  // namespace

HRESULT ErrObject::GetIDsOfNames(std::string_view name, DISPID* id) {
  std::string lower;
  for (char c : name)
    lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (auto& [member, dispid] : kMembers) {
    if (lower == member) {
      *id = dispid;
      return S_OK;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT ErrObject::Invoke(DISPID id, InvokeKind kind, std::span<Variant> args, Variant* result,
                          ExcepInfo* excep) {
  bool put = HasKind(kind, InvokeKind::PropertyPut);
  try {
    switch (id) {
      case kNumber:
        if (put) {
          if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
          number = ToLong(args[0]);
          if (description.empty()) description = ErrorText(number);
          return S_OK;
        }
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        if (result) *result = Variant::Long(number);
        return S_OK;
      case kDescription:
      case kSource: {
        std::string& field = id == kDescription ? description : source;
        if (put) {
          if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
          field = ToStr(args[0]);
          return S_OK;
        }
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        if (result) *result = Variant::Str(field);
        return S_OK;
      }
      case kLine:
        if (put || !args.empty()) return DISP_E_BADPARAMCOUNT;
        if (result) *result = Variant::Long(line);
        return S_OK;
      case kClear:
        if (put || !args.empty()) return DISP_E_BADPARAMCOUNT;
        Clear();
        return S_OK;
      case kRaise: {
        if (put || args.empty() || args.size() > 5 || IsMissingArg(args[0]))
          return DISP_E_BADPARAMCOUNT;
        int n = ToLong(args[0]);
        if (n <= 0 || n > 65535) {
          // Numbers offset by vbObjectError are negative; anything else is refused.
          if (n > -2147221504 + 65535 || n < -2147221504) return E_INVALIDARG;
        }
        excep->code = n;
        excep->source = args.size() > 1 && !IsMissingArg(args[1]) ? ToStr(args[1]) : std::string();
        excep->description =
            args.size() > 2 && !IsMissingArg(args[2]) ? ToStr(args[2]) : ErrorText(n);
        return DISP_E_EXCEPTION;
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  } catch (const ScriptError& e) {
    excep->code = e.number;
    excep->description = e.description;
    return DISP_E_EXCEPTION;
  }
}

}  // namespace rv::script
