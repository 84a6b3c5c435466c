#include "common/step_keywords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rv {
namespace {

TEST(StepKeywords, HoldsTheThirtySevenKeywordsInTableOrder) {
  const std::vector<std::string> expected = {
      "START",     "OPEN",        "PRINT",       "COPY",      "MOVE",      "RENAME",
      "DELETE",    "MAKEDIR",     "REMDIR",      "CD",        "FOCUS",     "SEND",
      "PAUSE",     "WAIT",        "BEGINLOOP",   "ENDLOOP",   "FTPLOGIN",  "FTPLOGOUT",
      "FTPCD",     "FTPUPLOADEX", "FTPDNLOADEX", "FTPDELETE", "FTPRENAME", "FTPMAKEDIR",
      "FTPREMDIR", "FTPUPLOAD",   "FTPDOWNLOAD", "SMTP",      "POP",       "INTERNET",
      "SCRIPT",    "MESSAGE",     "REMINDER",    "SOUND",     "DDE",       "RECORD",
      "OS"};
  std::vector<std::string> names;
  for (const StepKeyword& row : StepKeywords())
    names.emplace_back(row.keyword);
  EXPECT_EQ(names, expected);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(StepKeywordIndex(expected[i]), i);
    ASSERT_NE(FindStepKeyword(expected[i]), nullptr);
    EXPECT_EQ(FindStepKeyword(expected[i])->keyword, expected[i]);
  }
}

TEST(StepKeywords, MatchesExactlyAndCaseSensitively) {
  for (const char* other :
       {"Start", "start", "START ", " START", "", "REM", "CHECKMAIL", "FTPLISTDIR", "STAR"}) {
    EXPECT_FALSE(StepKeywordIndex(other).has_value()) << other;
    EXPECT_EQ(FindStepKeyword(other), nullptr) << other;
  }
}

struct Runner {
  std::vector<std::string> calls;
};

TEST(StepDispatch, FindsHandlersOnlyForKnownKeywordsThatHaveOne) {
  StepDispatch<Runner> dispatch;
  ASSERT_TRUE(dispatch
                  .Set("PAUSE",
                       [](const std::string& params, Runner& runner) {
                         runner.calls.push_back("PAUSE " + params);
                         return 1;
                       })
                  .ok());
  ASSERT_TRUE(dispatch.Set("OS", [](const std::string&, Runner&) { return 2; }).ok());

  Runner runner;
  const auto* pause = dispatch.Find("PAUSE");
  ASSERT_NE(pause, nullptr);
  EXPECT_EQ((*pause)("5 seconds", runner), 1);
  EXPECT_EQ(runner.calls, (std::vector<std::string>{"PAUSE 5 seconds"}));
  ASSERT_NE(dispatch.Find("OS"), nullptr);
  EXPECT_EQ((*dispatch.Find("OS"))("Logout", runner), 2);

  EXPECT_EQ(dispatch.Find("SEND"), nullptr) << "known keyword without a handler";
  EXPECT_EQ(dispatch.Find("Pause"), nullptr) << "case matters";
  EXPECT_EQ(dispatch.Find("NOPE"), nullptr);

  Result<void> unknown = dispatch.Set("CHECKMAIL", [](const std::string&, Runner&) { return 1; });
  ASSERT_FALSE(unknown.ok());
  EXPECT_EQ(unknown.error(), "\"CHECKMAIL\" is not a step keyword");
}

}  // namespace
}  // namespace rv
