#include "settings/recent_messages_form.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "platform/fake_message_box.h"
#include "platform/qt/testing/test_application.h"
#include "platform/testing/test_home.h"
#include "settings/fake_file_dialogs.h"

namespace rv {
namespace {

struct RecentMessagesForm : ::testing::Test {
  QApplication& app = testing::TestApplication();
  FakeMessageBox messages;
  FakeFileDialogs dialogs;
  TfrmRecentMessages form{messages, dialogs};

  QString Shown() { return form.findChild<QPlainTextEdit*>()->toPlainText(); }
};

TEST_F(RecentMessagesForm, ShowsTheLast51Messages) {
  EXPECT_EQ(form.windowTitle(), "Recent Status Messages");
  for (int i = 1; i <= 60; ++i)
    form.AddMessage("m" + std::to_string(i));
  const QStringList lines = Shown().split('\n');
  ASSERT_EQ(lines.size(), 51);
  EXPECT_EQ(lines.front(), "m10");
  EXPECT_EQ(lines.back(), "m60");
}

TEST_F(RecentMessagesForm, ClearAsksWithNoAsTheDefault) {
  form.AddMessage("kept");
  form.itmClearClick();  // the fake takes the default: No
  ASSERT_EQ(messages.asked.size(), 1u);
  EXPECT_EQ(messages.asked[0].text, "Clear all recent status messages?");
  EXPECT_EQ(messages.asked[0].caption, "Clear Messages?");
  EXPECT_EQ(Shown(), "kept");
  messages.Script({MessageButton::Yes});
  form.itmClearClick();
  EXPECT_EQ(Shown(), "");
}

TEST_F(RecentMessagesForm, SaveAsWritesCrLfLinesAndReportsFailures) {
  form.AddMessage("one");
  form.AddMessage("two");
  const std::string path = testing::MakeTempDir() + "status.log";
  dialogs.Script({path, testing::MakeTempDir() + "no/such/dir.log"});
  ASSERT_TRUE(form.itmSaveAsClick());
  EXPECT_EQ(testing::ReadFile(path), "one\r\ntwo\r\n");
  EXPECT_FALSE(form.itmSaveAsClick());
  EXPECT_EQ(form.Messages().Lines().size(), 2u);
  EXPECT_TRUE(form.PrintTitle().startsWith("Runvane Status Messages ("));
}

TEST_F(RecentMessagesForm, HidingIsReported) {
  int hidden = 0;
  form.on_hidden = [&] { ++hidden; };
  form.show();
  form.itmCloseClick();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(hidden, 1);
}

}  // namespace
}  // namespace rv
