#pragma once

#include <string>
#include <string_view>

namespace rv::ctl {

// A JSON string literal for `text`. Task files are 8-bit text: bytes that do
// not form valid UTF-8 are taken as Latin-1 characters.
std::string JsonString(std::string_view text);

}  // namespace rv::ctl
