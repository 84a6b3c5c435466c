#include "common/step_reading.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/step_keywords.h"

namespace rv {
namespace {

struct ReadingCase {
  std::string line;
  std::string printed;
};

// One line of every keyword as its writer writes it, and a few as users
// mistype them, with what `runvanectl step` prints for each.
const ReadingCase kCases[] = {
    {R"(START: "c:\tools\app.exe","-q, -v",1,"")",
     "keyword: START\nparam 1: c:\\tools\\app.exe\nparam 2: -q, -v\nparam 3: 1\nparam 4: \n"},
    {R"(OPEN: "c:\my docs\report,1.txt")", "keyword: OPEN\nparam 1: c:\\my docs\\report,1.txt\n"},
    {R"(PRINT: "report.txt")", "keyword: PRINT\nparam 1: report.txt\n"},
    {R"(COPY: "a.txt","b.txt")", "keyword: COPY\nparam 1: a.txt\nparam 2: b.txt\n"},
    {R"(MOVE: "a,1.txt","d\")", "keyword: MOVE\nparam 1: a,1.txt\nparam 2: d\\\n"},
    {R"(RENAME: "old","new")", "keyword: RENAME\nparam 1: old\nparam 2: new\n"},
    {R"(DELETE: "c:\temp\*.tmp")", "keyword: DELETE\nparam 1: c:\\temp\\*.tmp\n"},
    {R"(MAKEDIR: "c:\new")", "keyword: MAKEDIR\nparam 1: c:\\new\n"},
    {R"(REMDIR: "c:\old")", "keyword: REMDIR\nparam 1: c:\\old\n"},
    {R"(CD: "c:\work")", "keyword: CD\nparam 1: c:\\work\n"},
    {"FOCUS: My, Window", "keyword: FOCUS\nparam 1: My, Window\n"},
    {R"(SEND: 0,"50",a,b"c)", "keyword: SEND\nparam 1: 0\nparam 2: 50\nparam 3: a,b\"c\n"},
    {"PAUSE: 750 milliseconds", "keyword: PAUSE\nparam 1: 750 milliseconds\n"},
    {R"(WAIT: "Untitled - Notepad",2,1,5,0,"Backup")",
     "keyword: WAIT\nparam 1: Untitled - Notepad\nparam 2: 2\nparam 3: 1\nparam 4: 5\n"
     "param 5: 0\nparam 6: Backup\n"},
    {R"(BEGINLOOP: "")", "keyword: BEGINLOOP\n"},
    {"ENDLOOP: 3", "keyword: ENDLOOP\nparam 1: 3\n"},
    {R"(FTPLOGIN: "ftp.example","me","pw",21,"c:\ftp.log",1)",
     "keyword: FTPLOGIN\nparam 1: ftp.example\nparam 2: me\nparam 3: pw\nparam 4: 21\n"
     "param 5: c:\\ftp.log\nparam 6: 1\n"},
    {R"(FTPLOGOUT: "Current")", "keyword: FTPLOGOUT\n"},
    {R"(FTPCD: "/pub")", "keyword: FTPCD\nparam 1: /pub\n"},
    {R"(FTPUPLOADEX: "a.zip","/in/a.zip",2)",
     "keyword: FTPUPLOADEX\nparam 1: a.zip\nparam 2: /in/a.zip\nparam 3: 2\n"},
    {R"(FTPDNLOADEX: "/out/b.zip","b.zip",0)",
     "keyword: FTPDNLOADEX\nparam 1: /out/b.zip\nparam 2: b.zip\nparam 3: 0\n"},
    {R"(FTPDELETE: "/in/a.zip")", "keyword: FTPDELETE\nparam 1: /in/a.zip\n"},
    {R"(FTPRENAME: "/a","/b")", "keyword: FTPRENAME\nparam 1: /a\nparam 2: /b\n"},
    {R"(FTPMAKEDIR: "/new")", "keyword: FTPMAKEDIR\nparam 1: /new\n"},
    {R"(FTPREMDIR: "/old")", "keyword: FTPREMDIR\nparam 1: /old\n"},
    // An empty port means the default and is not converted.
    {R"(FTPUPLOAD: "h","u","p",,"l.txt","r.txt","0",0)",
     "keyword: FTPUPLOAD\nparam 1: h\nparam 2: u\nparam 3: p\nparam 4: \nparam 5: l.txt\n"
     "param 6: r.txt\nparam 7: 0\nparam 8: 0\n"},
    {R"(FTPDOWNLOAD: "h","u","p",2121,"l.txt","r.txt","x.log",1)",
     "keyword: FTPDOWNLOAD\nparam 1: h\nparam 2: u\nparam 3: p\nparam 4: 2121\n"
     "param 5: l.txt\nparam 6: r.txt\nparam 7: x.log\nparam 8: 1\n"},
    {R"(SMTP: "mail","me@x","you@y","","Hi, there","c:\body.txt")",
     "keyword: SMTP\nparam 1: mail\nparam 2: me@x\nparam 3: you@y\nparam 4: \n"
     "param 5: Hi, there\nparam 6: c:\\body.txt\n"},
    {R"(POP: "mail","me","pw",1,0)",
     "keyword: POP\nparam 1: mail\nparam 2: me\nparam 3: pw\nparam 4: 1\nparam 5: 0\n"},
    {R"(INTERNET: "My ISP",1)", "keyword: INTERNET\nparam 1: My ISP\nparam 2: 1\n"},
    {R"(SCRIPT: "c:\scripts\a.bas")", "keyword: SCRIPT\nparam 1: \"c:\\scripts\\a.bas\"\n"},
    {R"(MESSAGE: "Backup done",0)", "keyword: MESSAGE\nparam 1: Backup done\nparam 2: 0\n"},
    {R"(REMINDER: "Call home",10)", "keyword: REMINDER\nparam 1: Call home\nparam 2: 10\n"},
    {R"(SOUND: "",2)", "keyword: SOUND\nparam 1: \nparam 2: 2\n"},
    {R"(DDE: "Prog","System","[Open()]",1)",
     "keyword: DDE\nparam 1: Prog\nparam 2: System\nparam 3: [Open()]\n"},
    {R"(RECORD: "c:\rec.jnl")", "keyword: RECORD\nparam 1: c:\\rec.jnl\n"},
    {"OS: Shutdown Runvane", "keyword: OS\nparam 1: Shutdown Runvane\n"},
    {R"(OS: Login,"jo","secret","OFFICE")",
     "keyword: OS\nparam 1: jo\nparam 2: secret\nparam 3: OFFICE\n"},

    // Comments, unknown keywords, and what a handler would fail on.
    {R"(REM: "clean up")", "comment\n"},
    {R"(MESSAGE: "REM: not a message",0)", "comment\n"},
    {"Start: \"app.exe\"", "keyword: Start (unknown)\n"},
    {R"(CHECKMAIL: "x")", "keyword: CHECKMAIL (unknown)\n"},
    {"just text", "keyword:  (unknown)\n"},
    {"ENDLOOP: x",
     "keyword: ENDLOOP\nparam 1: x\nerror: count: expected a whole number, found \"x\"\n"},
    // A missing parameter reads "0", which is a whole number.
    {"ENDLOOP: ", "keyword: ENDLOOP\nparam 1: 0\n"},
    {R"(START: "app.exe","",max,"")",
     "keyword: START\nparam 1: app.exe\nparam 2: \nparam 3: max\nparam 4: \n"
     "error: window state: expected a whole number, found \"max\"\n"},
    {R"(SEND: 1,"",x)",
     "keyword: SEND\nparam 1: 1\nparam 2: \nparam 3: x\n"
     "error: pause: expected a whole number, found \"\"\n"},
    {R"(SOUND: "ding.wav",)",
     "keyword: SOUND\nparam 1: ding.wav\nparam 2: \n"
     "error: mode: expected a whole number, found \"\"\n"},
    {R"(SOUND: "ding.wav,1)", "keyword: SOUND\nerror: the sound file has no closing quote\n"},
    {R"(WAIT: "Untitled,10,0,2,1,)",
     "keyword: WAIT\nerror: the window title has no closing quote\n"},
    // The unit is compared as text, not converted.
    {R"(WAIT: "t",10,min,2,1,"")",
     "keyword: WAIT\nparam 1: t\nparam 2: 10\nparam 3: min\nparam 4: 2\nparam 5: 1\nparam 6: \n"},
    {R"(OS: Login,"jo","secret")", "keyword: OS\nerror: the domain has no closing quote\n"},
    {"OS: Reboot", "keyword: OS\nparam 1: Reboot\n"},
};

TEST(ReadStepLine, PrintsHowTheInterpreterReadsEachLine) {
  for (const ReadingCase& c : kCases) {
    EXPECT_EQ(FormatStepReading(ReadStepLine(c.line)), c.printed) << c.line;
  }
}

TEST(ReadStepLine, CoversEveryKeyword) {
  std::set<std::string> read;
  for (const ReadingCase& c : kCases) {
    StepReading reading = ReadStepLine(c.line);
    if (reading.known && reading.error.empty()) read.insert(reading.keyword);
  }
  for (const StepKeyword& row : StepKeywords()) {
    EXPECT_TRUE(read.contains(std::string(row.keyword))) << row.keyword << " has no good line";
  }
}

TEST(ReadStepLine, NamesTheValues) {
  StepReading send = ReadStepLine(R"(SEND: 1,"500",x)");
  ASSERT_EQ(send.values.size(), 3u);
  EXPECT_EQ(send.values[0].name, "pause first");
  EXPECT_EQ(send.values[1].name, "pause");
  EXPECT_EQ(send.values[2].name, "keys");

  StepReading login = ReadStepLine(R"(OS: Login,"u","p","d")");
  ASSERT_EQ(login.values.size(), 3u);
  EXPECT_EQ(login.values[0].name, "user");
  EXPECT_EQ(login.values[2].name, "domain");

  StepReading comment = ReadStepLine(R"(REM: "x")");
  EXPECT_TRUE(comment.comment);
  EXPECT_TRUE(comment.values.empty());
}

}  // namespace
}  // namespace rv
