#include "common/whole_number.h"

#include <charconv>
#include <string>

namespace rv {

Result<int32_t> ParseWholeNumber(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
    ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
    --end;
  std::string_view digits = text.substr(begin, end - begin);
  const bool plus = !digits.empty() && digits.front() == '+';
  if (plus) digits.remove_prefix(1);
  if (digits.empty() || digits.front() == '+' || (plus && digits.front() == '-')) {
    return MakeError("not a whole number: \"" + std::string(text) + "\"");
  }
  int32_t value = 0;
  auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range) {
    return MakeError("out of range: \"" + std::string(text) + "\"");
  }
  if (error != std::errc() || last != digits.data() + digits.size()) {
    return MakeError("not a whole number: \"" + std::string(text) + "\"");
  }
  return value;
}

}  // namespace rv
