#include "settings/upper_case_key.h"

#include <locale>
#include <stdexcept>

namespace rv {
namespace {

const std::ctype<wchar_t>* UnicodeCase() {
  // Read-only after first use; falls back to ASCII where C.UTF-8 is missing.
  static const std::ctype<wchar_t>* facet = []() -> const std::ctype<wchar_t>* {
    try {
      static const std::locale utf8("C.UTF-8");
      return &std::use_facet<std::ctype<wchar_t>>(utf8);
    } catch (const std::runtime_error&) {
      return nullptr;
    }
  }();
  return facet;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

}  // namespace

std::string UpperCaseKey(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const std::ctype<wchar_t>* facet = UnicodeCase();
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += (lead >= 'a' && lead <= 'z') ? char(lead - 'a' + 'A') : char(lead);
      ++i;
      continue;
    }
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t code = length == 4 ? lead & 0x07 : length == 3 ? lead & 0x0F : lead & 0x1F;
    bool valid = length > 1 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid || facet == nullptr) {
      // Bytes that are not UTF-8 compare as they are.
      out += text[i];
      ++i;
      continue;
    }
    AppendUtf8(out, static_cast<char32_t>(facet->toupper(static_cast<wchar_t>(code))));
    i += length;
  }
  return out;
}

}  // namespace rv
