#include "launcher/app/event_log_form.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "common/preferences.h"
#include "platform/qt/testing/test_application.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"

namespace rv {
namespace {

class EventLogFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestApplication();
    store_ = std::move(*Registry::Open(testing::MakeTempDir() + "registry.db"));
    preferences_ = std::make_unique<RVPreferences>(store_.get());
  }

  std::vector<std::string> Lines(const TfrmEventLog& form) {
    std::vector<std::string> lines;
    const QString text = form.memLog()->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split('\n'))
      lines.push_back(line.toStdString());
    return lines;
  }

  std::unique_ptr<Registry> store_;
  std::unique_ptr<RVPreferences> preferences_;
};

TEST_F(EventLogFormTest, StartsFromThePreferencesAndStaysHiddenWhenItWasClosed) {
  preferences_->ErrorLogLeft = 40;
  preferences_->ErrorLogTop = 30;
  preferences_->ErrorLogWidth = 400;
  preferences_->ErrorLogHeight = 300;
  TfrmEventLog form(*preferences_);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.windowTitle(), "Event Log");
  EXPECT_TRUE(form.memLog()->isReadOnly());
  EXPECT_EQ(form.comClose()->text(), "&Close");
  EXPECT_TRUE(form.comClose()->isDefault());
  form.show();
  QCoreApplication::processEvents();
  EXPECT_EQ(form.size(), QSize(400, 300));
  EXPECT_EQ(form.comClose()->x(), 400 - 99);
  EXPECT_EQ(form.comClose()->y(), 300 - 60);
  EXPECT_EQ(form.memLog()->width(), 400 - 24);
  EXPECT_EQ(form.memLog()->height(), 300 - 76);
}

TEST_F(EventLogFormTest, ReopensWhenItWasOpenAtTheLastExit) {
  preferences_->ErrorLogOpen = true;
  TfrmEventLog form(*preferences_);
  EXPECT_TRUE(form.isVisible());
}

TEST_F(EventLogFormTest, ShrinkingBelowTheMinimumSnapsBack) {
  struct Row {
    QSize asked;
    QSize expected;
  };
  const std::vector<Row> rows = {
      {{100, 100}, {297, 261}},
      {{296, 500}, {297, 500}},
      {{500, 260}, {500, 261}},
      {{297, 261}, {297, 261}},
  };
  TfrmEventLog form(*preferences_);
  form.show();
  for (const Row& row : rows) {
    form.resize(row.asked);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.size(), row.expected) << row.asked.width() << "x" << row.asked.height();
    EXPECT_EQ(form.comClose()->x(), row.expected.width() - 99);
    EXPECT_EQ(form.comClose()->y(), row.expected.height() - 60);
    EXPECT_EQ(form.memLog()->width(), row.expected.width() - 24);
    EXPECT_EQ(form.memLog()->height(), row.expected.height() - 76);
  }
}

TEST_F(EventLogFormTest, ClosingStoresThePlaceAndThatItIsClosed) {
  preferences_->ErrorLogOpen = true;
  preferences_->Save();
  TfrmEventLog form(*preferences_);
  form.resize(420, 330);
  QCoreApplication::processEvents();
  // A value the task manager saved meanwhile survives the window's save.
  RVPreferences other(store_.get());
  other.ScanTime = 7;
  other.Save();
  form.comClose()->click();
  QCoreApplication::processEvents();
  EXPECT_FALSE(form.isVisible());
  RVPreferences stored(store_.get());
  EXPECT_FALSE(stored.ErrorLogOpen);
  EXPECT_EQ(stored.ErrorLogWidth, 420);
  EXPECT_EQ(stored.ErrorLogHeight, 330);
  EXPECT_EQ(stored.ScanTime, 7);
}

TEST_F(EventLogFormTest, AppendsEachTextAsOneLine) {
  TfrmEventLog form(*preferences_);
  form.AppendLines({"first", std::string(511, 'x')});
  form.AppendLines({});
  EXPECT_EQ(Lines(form), (std::vector<std::string>{"first", std::string(511, 'x')}));
}

}  // namespace
}  // namespace rv
