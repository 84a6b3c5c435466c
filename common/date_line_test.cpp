#include "common/date_line.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TDateTime At(int y, int mo, int d, int h, int mi, int s) {
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, 0);
}

TEST(DateLine, WritesUnpaddedTwelveHourText) {
  EXPECT_EQ(FormatDateLine(At(1998, 6, 9, 0, 5, 3)), "6/9/1998 12:5:3 AM");
  EXPECT_EQ(FormatDateLine(At(1998, 6, 9, 17, 30, 0)), "6/9/1998 5:30:0 PM");
  EXPECT_EQ(FormatDateLine(At(1998, 6, 9, 12, 0, 0)), "6/9/1998 12:0:0 PM");
  EXPECT_EQ(FormatDateLine(At(2026, 12, 11, 11, 59, 59) + EncodeTime(0, 0, 0, 800)),
            "12/11/2026 11:59:59 AM");
}

TEST(DateLine, ReadsWhatItWritesAndTheLenientForms) {
  struct Row {
    const char* line;
    TDateTime expected;
  };
  const Row rows[] = {
      {"6/9/1998 12:5:3 AM", At(1998, 6, 9, 0, 5, 3)},
      {"6/9/1998 12:0:0 PM", At(1998, 6, 9, 12, 0, 0)},
      {"06/09/1998 05:30:00 PM", At(1998, 6, 9, 17, 30, 0)},
      {"6/9/1998 17:30:0", At(1998, 6, 9, 17, 30, 0)},  // no mark: 24-hour clock
      {"6/9/1998 0:0:0", At(1998, 6, 9, 0, 0, 0)},
      {"6/9/1998 5:30:0 pm", At(1998, 6, 9, 5, 30, 0)},       // the mark is case-sensitive
      {"//6/9/1998  5:30:0  PM", At(1998, 6, 9, 17, 30, 0)},  // separators before a token skip
      {"2/29/2000 11:59:59 PM", At(2000, 2, 29, 23, 59, 59)},
  };
  for (const Row& row : rows) {
    Result<TDateTime> parsed = ParseDateLine(row.line);
    ASSERT_TRUE(parsed) << row.line << ": " << parsed.error();
    EXPECT_EQ(*parsed, row.expected) << row.line;
  }
}

TEST(DateLine, RefusesImpossibleOrMalformedLines) {
  struct Row {
    const char* line;
    const char* message;
  };
  const Row rows[] = {
      {"13/1/1998 1:0:0 AM",
       "the date 13/1/1998 does not exist (date line \"13/1/1998 1:0:0 AM\")"},
      {"2/29/1999 1:0:0 AM",
       "the date 2/29/1999 does not exist (date line \"2/29/1999 1:0:0 AM\")"},
      {"1/1/1998 25:0:0", "the time 25:0:0 does not exist (date line \"1/1/1998 25:0:0\")"},
      {"1/1/1998 13:0:0 PM",
       "the time 13:0:0 PM does not exist (date line \"1/1/1998 13:0:0 PM\")"},
      {"1/1/1998 1:60:0 AM",
       "the time 1:60:0 AM does not exist (date line \"1/1/1998 1:60:0 AM\")"},
      {"",
       "expected a date line such as \"6/9/1998 5:30:0 PM\", found \"\" (the month is not a "
       "whole number)"},
      {"1/1/1998 1:0",
       "expected a date line such as \"6/9/1998 5:30:0 PM\", found \"1/1/1998 "
       "1:0\" (the second is not a whole number)"},
      {"x/1/1998 1:0:0 AM",
       "expected a date line such as \"6/9/1998 5:30:0 PM\", found "
       "\"x/1/1998 1:0:0 AM\" (the month is not a whole number)"},
      {"12/11/2026 11:59:59 AM and more text", "the date line is longer than 31 characters"},
  };
  for (const Row& row : rows) {
    Result<TDateTime> parsed = ParseDateLine(row.line);
    ASSERT_FALSE(parsed) << row.line;
    EXPECT_EQ(parsed.error(), row.message);
  }
  EXPECT_TRUE(ParseDateLine("12/11/2026 11:59:59 AM         ").ok());  // 31 characters fit
}

}  // namespace
}  // namespace rv
