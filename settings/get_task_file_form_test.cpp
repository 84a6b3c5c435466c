#include "settings/get_task_file_form.h"

#include <gtest/gtest.h>

#include <QTimer>

#include "platform/fake_message_box.h"
#include "platform/qt/testing/test_application.h"
#include "platform/testing/test_home.h"
#include "settings/fake_file_dialogs.h"

namespace rv {
namespace {

struct TaskFileChooser : ::testing::Test {
  QApplication& app = testing::TestApplication();
  FakeMessageBox messages;
  FakeFileDialogs dialogs;
  TfrmGetTaskFile chooser{messages, dialogs};
  std::string dir = testing::MakeTempDir();
};

TEST_F(TaskFileChooser, CreatesAnEmptyTaskFile) {
  EXPECT_EQ(chooser.windowTitle(), "Task File Not Found");
  dialogs.Script({dir + "new.rvd"});
  QTimer::singleShot(0, [&] { chooser.comNewClick(); });
  chooser.exec();
  EXPECT_EQ(chooser.Result(), dir + "new.rvd");
  EXPECT_EQ(testing::ReadFile(dir + "new.rvd"), "__RVTLST__\r\n");
  EXPECT_FALSE(dialogs.asked.back().must_exist);
}

TEST_F(TaskFileChooser, InvalidFileAsksAgainAndCancelKeepsTheChooserOpen) {
  testing::WriteFile(dir + "notes.txt", "shopping list\r\n");
  testing::WriteFile(dir + "good.rvd", "__RVTLST__\r\n");
  dialogs.Script({dir + "notes.txt", std::nullopt});
  bool open_after_cancel = false;
  QTimer::singleShot(0, [&] {
    chooser.comOpenClick();
    open_after_cancel = chooser.isVisible();
    chooser.comCancelClick();
  });
  chooser.exec();
  EXPECT_TRUE(open_after_cancel);
  ASSERT_EQ(messages.asked.size(), 1u);
  EXPECT_EQ(messages.asked[0].text, "This is not a valid Runvane4 Task File.");
  EXPECT_EQ(messages.asked[0].caption, "Invalid file");
  EXPECT_EQ(dialogs.asked.size(), 2u);
  EXPECT_EQ(chooser.Result(), "");

  dialogs.Script({dir + "good.rvd"});
  QTimer::singleShot(0, [&] { chooser.comOpenClick(); });
  chooser.exec();
  EXPECT_EQ(chooser.Result(), dir + "good.rvd");
}

}  // namespace
}  // namespace rv
