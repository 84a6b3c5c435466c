#pragma once

// The "General Preferences" dialog: the widgets over a PreferencesEditor,
// which holds the values and the rules. Created once and reused; each
// showing edits the preferences object it is given (the main window's own)
// and OK saves it.

#include <QDialog>
#include <functional>
#include <string>

#include "settings/preferences_editor.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace rv {

class FileDialogs;
class MessageBox;
class RVPreferences;

class TfrmPrefs final : public QDialog {
  Q_OBJECT

 public:
  TfrmPrefs(MessageBox& messages, FileDialogs& dialogs, QWidget* parent = nullptr);

  // Activates the dialog on `prefs` and shows it modally.
  int Execute(RVPreferences& prefs);
  // Takes `prefs` as the object to edit and fills the controls from it.
  void FormActivate(RVPreferences& prefs);

  void comOKClick();
  void comBrowseClick();
  void comLEBrowseClick();

  PreferencesEditor& Editor() { return editor_; }

  // After OK has saved: the text for the main window's scan panel.
  std::function<void(const std::string& scan_status)> on_saved;

  QCheckBox* chkWarnNoRunvane = nullptr;
  QCheckBox* chkWarnOnShutdown = nullptr;
  QLineEdit* edtTaskfile = nullptr;
  QPushButton* comBrowse = nullptr;
  QCheckBox* chkLogEvents = nullptr;
  QLineEdit* edtLogFilename = nullptr;
  QPushButton* comLEBrowse = nullptr;
  QGroupBox* rdgSeverity = nullptr;
  QLineEdit* edtScanTime = nullptr;
  QSlider* tbrScanTime = nullptr;
  QPushButton* comOK = nullptr;
  QPushButton* comCancel = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Shows the editor's values without feeding them back as edits.
  void ShowEditor();
  void AnswerScanText(ScanTextOutcome outcome);

  MessageBox& message_box_;
  FileDialogs& dialogs_;
  PreferencesEditor editor_;
  RVPreferences* prefs_ = nullptr;
  QButtonGroup* severity_ = nullptr;
};

}  // namespace rv
