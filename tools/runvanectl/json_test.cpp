#include "tools/runvanectl/json.h"

#include <gtest/gtest.h>

namespace rv::ctl {
namespace {

TEST(Json, StringsAreEscapedAndEightBitTextStaysReadable) {
  struct Row {
    std::string text;
    std::string json;
  };
  const Row rows[] = {
      {"plain", "\"plain\""},
      {"say \"hi\" \\ now", "\"say \\\"hi\\\" \\\\ now\""},
      {"tab\there\x01", "\"tab\\there\\u0001\""},
      {"caf\xc3\xa9", "\"caf\xc3\xa9\""},             // valid UTF-8 passes through
      {"caf\xe9", "\"caf\\u00e9\""},                  // a Latin-1 byte becomes its character
      {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},  // no surrogates
  };
  for (const Row& row : rows)
    EXPECT_EQ(JsonString(row.text), row.json) << row.text;
}

}  // namespace
}  // namespace rv::ctl
