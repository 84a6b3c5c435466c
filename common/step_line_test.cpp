#include "common/step_line.h"

#include <gtest/gtest.h>

namespace rv {
namespace {

TEST(SplitStepLine, TakesKeywordAndTextAfterColonAndOneCharacter) {
  struct Case {
    std::string line, keyword, params;
  };
  const Case cases[] = {
      {"PAUSE: 5 seconds", "PAUSE", "5 seconds"},
      {"FOCUS: My, Window", "FOCUS", "My, Window"},
      // The character after the colon is skipped unchecked, blank or not.
      {"PAUSE:5 seconds", "PAUSE", " seconds"},
      {"CD:x", "CD", ""},
      {"CD:", "CD", ""},
      {"CD: ", "CD", ""},
      {"a:b: c", "a", ": c"},
      // Without a colon the keyword is empty; the text still starts at 3.
      {"no colon", "", " colon"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    StepLine split = SplitStepLine(c.line);
    EXPECT_EQ(split.keyword, c.keyword) << c.line;
    EXPECT_EQ(split.params, c.params) << c.line;
  }
}

TEST(IsCommentLine, FindsRemAnywhere) {
  EXPECT_TRUE(IsCommentLine("REM: \"note\""));
  EXPECT_TRUE(IsCommentLine("MESSAGE: \"see REM: here\",0"));
  EXPECT_FALSE(IsCommentLine("REM:\"tight\""));
  EXPECT_FALSE(IsCommentLine("rem: \"lower\""));
}

// Each row: a parameter text, the values of successive NextParam calls, and
// the text left after the last call.
struct NextParamCase {
  std::string params;
  std::vector<std::string> values;
  std::string left;
};

TEST(NextParam, ReadsEveryRuleAndItsConsequences) {
  const NextParamCase cases[] = {
      // A quoted value keeps its commas while another quoted value follows.
      {R"("a,b","c")", {"a,b", "c", "0"}, ""},
      {R"(5,"x")", {"5", "x"}, ""},
      {R"("","x")", {"", "x"}, ""},
      {R"("")", {""}, ""},
      // In the last value the comma splits: the quote stays with the first
      // half and the second half loses its first and last character.
      {R"("a,b")", {"\"a", ""}, ""},
      // "0" is left in place, so everything after it reads "0" too.
      {"0", {"0", "0", "0"}, "0"},
      {"", {"0", "0"}, ""},
      {"5", {"5", "0"}, ""},
      {"1,2,3", {"1", "2", "3", "0"}, ""},
      {"1,,3", {"1", "", "3"}, ""},
      {"1,0,2", {"1", "0", "2"}, ""},
      // A bare value before a quoted one: cut at the first comma.
      {R"(0,"50",a,b"c)", {"0", "50", "a", "\""}, ""},
      {R"(x,"y",z)", {"x", "y", "z"}, ""},
      // A value ends at its first inner quote; the rest becomes later values.
      {R"("a"b","c")", {"a", ",", ""}, ""},
      // Quoted, contains `",`, but no quote between the first and last
      // character: the value is "" and the text stays as it was.
      {R"(",x)", {"", ""}, R"(",x)"},
      // A single quote character: nothing between first and last.
      {"\"", {""}, ""},
      {R"("abc",)", {"abc", "0"}, ""},
      {R"("c:\dir\","x")", {R"(c:\dir\)", "x"}, ""},
  };
  for (const NextParamCase& c : cases) {
    std::string params = c.params;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_EQ(NextParam(params), c.values[i]) << c.params << " value " << i + 1;
    }
    EXPECT_EQ(params, c.left) << c.params;
  }
}

TEST(ReadParamList, ReadsTheWriterTemplates) {
  EXPECT_EQ(ReadParamList(R"("notepad.exe","a, b",2,"c:\work")", 4),
            (std::vector<std::string>{"notepad.exe", "a, b", "2", R"(c:\work)"}));
  EXPECT_EQ(ReadParamList(R"("ftp.example","me","pw",,"0",1)", 6),
            (std::vector<std::string>{"ftp.example", "me", "pw", "", "0", "1"}));
  EXPECT_EQ(ReadParamList(R"("only")", 3), (std::vector<std::string>{"only", "0", "0"}));
}

TEST(Forms, QuotedWholeTextAndListThenRest) {
  EXPECT_EQ(QuotedWholeText(R"("c:\my docs\a,b.txt")"), R"(c:\my docs\a,b.txt)");
  EXPECT_EQ(QuotedWholeText("\""), "");
  EXPECT_EQ(QuotedWholeText(""), "");

  ListAndRest send = ReadListThenRest(R"(0,"50",a,b"c)", 2);
  EXPECT_EQ(send.values, (std::vector<std::string>{"0", "50"}));
  EXPECT_EQ(send.rest, R"(a,b"c)");

  ListAndRest empty_keys = ReadListThenRest(R"(1,"500",)", 2);
  EXPECT_EQ(empty_keys.values, (std::vector<std::string>{"1", "500"}));
  EXPECT_EQ(empty_keys.rest, "");

  // Keys that are exactly "0" are not a missing value: the rest is raw.
  EXPECT_EQ(ReadListThenRest(R"(0,"50",0)", 2).rest, "0");
}

TEST(ParseInteger, AcceptsSignedDecimalWithBlanks) {
  struct Case {
    std::string text;
    int value;
  };
  const Case good[] = {{"0", 0},
                       {"42", 42},
                       {"-7", -7},
                       {"+7", 7},
                       {" 12 ", 12},
                       {"\t5", 5},
                       {"007", 7},
                       {"2147483647", 2147483647},
                       {"-2147483648", -2147483647 - 1}};
  for (const Case& c : good) {
    Result<int> parsed = ParseInteger(c.text);
    ASSERT_TRUE(parsed.ok()) << c.text << ": " << parsed.error();
    EXPECT_EQ(*parsed, c.value) << c.text;
  }
  for (std::string bad : {"", " ", "x", "5x", "1.5", "- 5", "+-5", "--5", "$10", "0x10", "1 2"}) {
    Result<int> parsed = ParseInteger(bad);
    ASSERT_FALSE(parsed.ok()) << bad;
    EXPECT_EQ(parsed.error(), "expected a whole number, found \"" + bad + "\"");
  }
  for (std::string big : {"2147483648", "-2147483649", "99999999999999999999999"}) {
    Result<int> parsed = ParseInteger(big);
    ASSERT_FALSE(parsed.ok()) << big;
    EXPECT_EQ(parsed.error(),
              "expected a whole number from -2147483648 to 2147483647, found \"" + big + "\"");
  }
}

TEST(ReadInteger, ThrowsTheConversionError) {
  EXPECT_EQ(ReadInteger("3"), 3);
  try {
    ReadInteger("");
    FAIL() << "no exception";
  } catch (const StepParamError& error) {
    EXPECT_STREQ(error.what(), "expected a whole number, found \"\"");
  }
}

TEST(ScanSound, TakesFileAndTheCharacterAfterTheComma) {
  struct Case {
    std::string params, file, mode;
  };
  const Case cases[] = {
      {R"("c:\sounds\ding.wav",1)", R"(c:\sounds\ding.wav)", "1"},
      {R"("",2)", "", "2"},
      {R"("a,b.wav",0)", "a,b.wav", "0"},
      // Only one character is the mode.
      {R"("x",12)", "x", "1"},
      // The character after the quote is skipped unchecked.
      {R"("x"; 0)", "x", " "},
      // The line ends before the mode: empty, which no handler reads as a number.
      {R"("x",)", "x", ""},
      {R"("x")", "x", ""},
  };
  for (const Case& c : cases) {
    Result<SoundFields> sound = ScanSound(c.params);
    ASSERT_TRUE(sound.ok()) << c.params << ": " << sound.error();
    EXPECT_EQ(sound->file, c.file) << c.params;
    EXPECT_EQ(sound->mode, c.mode) << c.params;
  }
  for (std::string bad : {"", "\"", R"("ding.wav,1)"}) {
    Result<SoundFields> sound = ScanSound(bad);
    ASSERT_FALSE(sound.ok()) << bad;
    EXPECT_EQ(sound.error(), "the sound file has no closing quote");
  }
}

TEST(ScanInternet, TakesNameAndEverythingAfterTheComma) {
  struct Case {
    std::string params, connection, flag;
  };
  const Case cases[] = {
      {R"("My ISP",1)", "My ISP", "1"},
      {R"("My ISP",0)", "My ISP", "0"},
      {R"("a,b",10)", "a,b", "10"},
      {R"("x",)", "x", ""},
      {R"("x")", "x", ""},
  };
  for (const Case& c : cases) {
    Result<InternetFields> internet = ScanInternet(c.params);
    ASSERT_TRUE(internet.ok()) << c.params << ": " << internet.error();
    EXPECT_EQ(internet->connection, c.connection) << c.params;
    EXPECT_EQ(internet->flag, c.flag) << c.params;
  }
  Result<InternetFields> open = ScanInternet(R"("My ISP,1)");
  ASSERT_FALSE(open.ok());
  EXPECT_EQ(open.error(), "the connection name has no closing quote");
}

TEST(ScanWait, TakesTitleFourFieldsAndTaskName) {
  struct Case {
    std::string params;
    WaitFields fields;
  };
  const Case cases[] = {
      {R"("Untitled - Notepad",10,0,2,0,"Backup")",
       {"Untitled - Notepad", "10", "0", "2", "0", "Backup"}},
      {R"("a,b",1,1,1,1,"")", {"a,b", "1", "1", "1", "1", ""}},
      // The task name is the rest without its first and last character,
      // whatever they are.
      {R"("t",5,0,1,0,"a,b")", {"t", "5", "0", "1", "0", "a,b"}},
      {R"("t",5,0,1,0,x)", {"t", "5", "0", "1", "0", ""}},
      // A line that stops early: the last field present takes the rest.
      {R"("t",5,0,1,2)", {"t", "5", "0", "1", "2", ""}},
      {R"("t",5)", {"t", "5", "", "", "", ""}},
      {R"("t")", {"t", "", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    Result<WaitFields> wait = ScanWait(c.params);
    ASSERT_TRUE(wait.ok()) << c.params << ": " << wait.error();
    EXPECT_EQ(wait->title, c.fields.title) << c.params;
    EXPECT_EQ(wait->timeout, c.fields.timeout) << c.params;
    EXPECT_EQ(wait->unit, c.fields.unit) << c.params;
    EXPECT_EQ(wait->interval, c.fields.interval) << c.params;
    EXPECT_EQ(wait->outcome, c.fields.outcome) << c.params;
    EXPECT_EQ(wait->task, c.fields.task) << c.params;
  }
  Result<WaitFields> open = ScanWait(R"("Untitled,10,0,2,1,"")");
  ASSERT_TRUE(open.ok()) << "a later quote closes the title";
  EXPECT_EQ(open->title, "Untitled,10,0,2,1,");
  for (std::string bad : {"", R"("Untitled,10,0,2,1)"}) {
    Result<WaitFields> wait = ScanWait(bad);
    ASSERT_FALSE(wait.ok()) << bad;
    EXPECT_EQ(wait.error(), "the window title has no closing quote");
  }
}

TEST(ScanLogin, TakesUserPasswordAndDomain) {
  EXPECT_TRUE(IsLoginForm(R"(Login,"u","p","d")"));
  EXPECT_FALSE(IsLoginForm("Login"));
  EXPECT_FALSE(IsLoginForm(R"(login,"u","p","d")"));
  EXPECT_FALSE(IsLoginForm(R"( Login,"u","p","d")"));

  Result<LoginFields> login = ScanLogin(R"(Login,"jo, smith","p,w","OFFICE")");
  ASSERT_TRUE(login.ok()) << login.error();
  EXPECT_EQ(login->user, "jo, smith");
  EXPECT_EQ(login->password, "p,w");
  EXPECT_EQ(login->domain, "OFFICE");

  Result<LoginFields> empty = ScanLogin(R"(Login,"","","")");
  ASSERT_TRUE(empty.ok()) << empty.error();
  EXPECT_EQ(empty->user, "");
  EXPECT_EQ(empty->password, "");
  EXPECT_EQ(empty->domain, "");

  struct Bad {
    std::string params, error;
  };
  const Bad bad[] = {
      {"Login,", "the user name has no closing quote"},
      {R"(Login,"u)", "the user name has no closing quote"},
      {R"(Login,"u")", "the password has no closing quote"},
      {R"(Login,"u","p)", "the password has no closing quote"},
      {R"(Login,"u","p")", "the domain has no closing quote"},
      {R"(Login,"u","p","d)", "the domain has no closing quote"},
  };
  for (const Bad& b : bad) {
    Result<LoginFields> fields = ScanLogin(b.params);
    ASSERT_FALSE(fields.ok()) << b.params;
    EXPECT_EQ(fields.error(), b.error) << b.params;
  }
}

}  // namespace
}  // namespace rv
