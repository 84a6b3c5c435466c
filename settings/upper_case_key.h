#pragma once

// The sort key of a task name: the text in upper case by the Unicode case
// rules (not only ASCII), still UTF-8, so that byte-by-byte comparison puts
// "alpha" and "Beta" in the order a reader expects.

#include <string>

namespace rv {

std::string UpperCaseKey(const std::string& text);

}  // namespace rv
