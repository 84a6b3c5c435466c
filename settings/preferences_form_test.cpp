#include "settings/preferences_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "common/preferences.h"
#include "platform/fake_message_box.h"
#include "platform/qt/testing/test_application.h"
#include "platform/registry.h"
#include "platform/testing/test_home.h"
#include "settings/fake_file_dialogs.h"

namespace rv {
namespace {

struct PreferencesDialog : ::testing::Test {
  QApplication& app = testing::TestApplication();
  std::string dir = testing::MakeTempDir();
  std::unique_ptr<Registry> store = *Registry::Open(dir + "registry.db");
  RVPreferences prefs{store.get()};
  FakeMessageBox messages;
  FakeFileDialogs dialogs;
  TfrmPrefs form{messages, dialogs};

  // Shows the dialog modally and runs `inside` while it is up.
  int Show(std::function<void()> inside) {
    QTimer::singleShot(0, &form, [&, inside] {
      inside();
      if (form.isVisible()) form.reject();
    });
    return form.Execute(prefs);
  }
};

TEST_F(PreferencesDialog, TypedScanTimeKeepsDigitsOnlyAndTheBarFollowsClamped) {
  prefs.ScanTime = 30;
  Show([&] {
    EXPECT_EQ(form.edtScanTime->text(), "30");
    EXPECT_EQ(form.tbrScanTime->value(), 30);
    form.edtScanTime->clear();
    QTest::keyClicks(form.edtScanTime, "5x0-0");
    EXPECT_EQ(form.edtScanTime->text(), "500");
    EXPECT_EQ(form.tbrScanTime->value(), 120);

    // Zero is refused at once and the bar stays.
    form.edtScanTime->clear();
    QTest::keyClicks(form.edtScanTime, "0");
    EXPECT_EQ(form.tbrScanTime->value(), 120);
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_EQ(messages.asked[0].text, "This value must be greater than zero.");
    EXPECT_EQ(messages.asked[0].caption, "Invalid Entry");
    EXPECT_EQ(messages.asked[0].icon, MessageIcon::Warning);

    // The bar's keys write the edit: 2 by the arrows, 10 by the page keys.
    form.tbrScanTime->setFocus();
    QTest::keyClick(form.tbrScanTime, Qt::Key_Left);
    EXPECT_EQ(form.edtScanTime->text(), "118");
    QTest::keyClick(form.tbrScanTime, Qt::Key_PageDown);
    EXPECT_EQ(form.edtScanTime->text(), "108");
    form.comOKClick();
  });
  EXPECT_EQ(RVPreferences(store.get()).ScanTime, 108);
}

TEST_F(PreferencesDialog, LogEventsEnablesTheLogFileAndLevelButNotItsBrowse) {
  prefs.LogEvents = false;
  prefs.LogThreshold = 30;
  Show([&] {
    EXPECT_FALSE(form.chkLogEvents->isChecked());
    EXPECT_FALSE(form.edtLogFilename->isEnabled());
    EXPECT_FALSE(form.rdgSeverity->isEnabled());
    EXPECT_TRUE(form.comLEBrowse->isEnabled());
    form.chkLogEvents->click();
    EXPECT_TRUE(form.edtLogFilename->isEnabled());
    EXPECT_TRUE(form.rdgSeverity->isEnabled());
    const auto levels = form.rdgSeverity->findChildren<QAbstractButton*>();
    ASSERT_EQ(levels.size(), 6);
    QAbstractButton* checked = nullptr;
    for (QAbstractButton* level : levels) {
      if (level->isChecked()) checked = level;
    }
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(checked->text(), "High");
  });
}

TEST_F(PreferencesDialog, OkSavesTheFieldsAndShowsTheScanTimeCancelWritesNothing) {
  std::string status;
  form.on_saved = [&](const std::string& text) { status = text; };
  prefs.LogEvents = true;
  prefs.Save();

  // Cancel after editing: neither the object nor the store change, and the
  // next showing shows the stored values again.
  Show([&] {
    form.edtTaskfile->setText(QString::fromStdString(dir + "other.rvd"));
    form.chkWarnOnShutdown->click();
    form.edtScanTime->setText("9");
    form.comCancel->click();
  });
  EXPECT_EQ(RVPreferences(store.get()).TaskFile, prefs.TaskFile);
  EXPECT_NE(prefs.TaskFile, dir + "other.rvd");
  EXPECT_TRUE(prefs.WarnOnShutdown);
  EXPECT_EQ(prefs.ScanTime, 1);
  EXPECT_FALSE(prefs.GetChangeFlag(ChangeFlag::PrefsChanged));
  EXPECT_TRUE(status.empty());

  const int result = Show([&] {
    EXPECT_EQ(form.edtScanTime->text(), "1");
    EXPECT_TRUE(form.chkWarnOnShutdown->isChecked());
    form.edtTaskfile->setText(QString::fromStdString(dir + "other.rvd"));
    form.chkWarnOnShutdown->click();
    form.edtScanTime->setText("15");
    form.edtLogFilename->clear();
    form.comOK->click();
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(status, "Scan: Every 15 seconds");
  const RVPreferences saved(store.get());
  EXPECT_EQ(saved.TaskFile, dir + "other.rvd");
  EXPECT_FALSE(saved.WarnOnShutdown);
  EXPECT_EQ(saved.ScanTime, 15);
  EXPECT_EQ(saved.LogFile, RVPreferences::ProgramDirectory() + "RUNVANE.LOG");
  EXPECT_TRUE(saved.GetChangeFlag(ChangeFlag::PrefsChanged));
  ASSERT_EQ(messages.asked.size(), 1u);
  EXPECT_EQ(messages.asked[0].caption, "Using default log file.");
}

TEST_F(PreferencesDialog, BrowseButtonsFillTheirFields) {
  Show([&] {
    dialogs.Script({dir + "events.log"});
    form.comLEBrowse->click();
    EXPECT_EQ(form.edtLogFilename->text().toStdString(), dir + "events.log");
    form.comBrowse->click();  // cancelled
    EXPECT_EQ(form.edtTaskfile->text().toStdString(), dir + "events.log");
  });
}

}  // namespace
}  // namespace rv
