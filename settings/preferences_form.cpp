#include "settings/preferences_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/preferences.h"
#include "platform/message_box.h"
#include "settings/icons.h"

namespace rv {
namespace {

void SetTextKeepingCursor(QLineEdit* edit, const std::string& text) {
  const QString value = QString::fromStdString(text);
  if (edit->text() != value) edit->setText(value);
}

}  // namespace

TfrmPrefs::TfrmPrefs(MessageBox& messages, FileDialogs& dialogs, QWidget* parent)
    : QDialog(parent), message_box_(messages), dialogs_(dialogs) {
  setObjectName("TfrmPrefs");
  setWindowTitle("General Preferences");
  setWindowIcon(icons::ToolIcon(icons::Tool::Application));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* page = new QWidget;
  chkWarnNoRunvane = new QCheckBox("Warn if launcher isn't running on settings startup", page);
  chkWarnOnShutdown = new QCheckBox("Warn on shutting down Runvane Task Service", page);
  auto* picture = new QLabel(page);
  picture->setPixmap(icons::ToolIcon(icons::Tool::Properties).pixmap(32, 32));

  auto* task_file_label = new QLabel("&Task file to use on startup:", page);
  edtTaskfile = new QLineEdit(page);
  task_file_label->setBuddy(edtTaskfile);
  comBrowse = new QPushButton("&Browse", page);

  chkLogEvents = new QCheckBox("&Log Events", page);
  edtLogFilename = new QLineEdit(page);
  comLEBrowse = new QPushButton("Browse", page);

  rdgSeverity = new QGroupBox("Logging Level", page);
  auto* levels = new QGridLayout(rdgSeverity);
  severity_ = new QButtonGroup(this);
  constexpr int kRowsPerColumn = static_cast<int>(kLogLevels.size() + 1) / 2;
  for (int index = 0; index < static_cast<int>(kLogLevels.size()); ++index) {
    auto* item = new QRadioButton(kLogLevels[index].caption, rdgSeverity);
    severity_->addButton(item, index);
    levels->addWidget(item, index % kRowsPerColumn, index / kRowsPerColumn);
  }

  edtScanTime = new QLineEdit(page);
  edtScanTime->setFixedWidth(48);
  edtScanTime->installEventFilter(this);
  auto* bar_frame = new QFrame(page);
  bar_frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  tbrScanTime = new QSlider(Qt::Horizontal, bar_frame);
  tbrScanTime->setRange(PreferencesEditor::kScanMinimum, PreferencesEditor::kScanMaximum);
  tbrScanTime->setValue(PreferencesEditor::kScanMinimum);
  tbrScanTime->setSingleStep(2);
  tbrScanTime->setPageStep(10);
  tbrScanTime->setTickInterval(10);
  tbrScanTime->setTickPosition(QSlider::TicksBelow);
  (new QVBoxLayout(bar_frame))->addWidget(tbrScanTime);

  auto* warnings = new QVBoxLayout;
  warnings->addWidget(chkWarnNoRunvane);
  warnings->addWidget(chkWarnOnShutdown);
  auto* top = new QHBoxLayout;
  top->addLayout(warnings, 1);
  top->addWidget(picture, 0, Qt::AlignTop | Qt::AlignRight);
  auto* task_file_row = new QHBoxLayout;
  task_file_row->addWidget(edtTaskfile, 1);
  task_file_row->addWidget(comBrowse);
  auto* log_file_row = new QHBoxLayout;
  log_file_row->addWidget(edtLogFilename, 1);
  log_file_row->addWidget(comLEBrowse);
  auto* scan_row = new QHBoxLayout;
  scan_row->addWidget(new QLabel("Scan for new tasks every", page));
  scan_row->addWidget(edtScanTime);
  scan_row->addWidget(new QLabel("seconds.", page));
  scan_row->addStretch(1);

  auto* page_layout = new QVBoxLayout(page);
  page_layout->addLayout(top);
  page_layout->addWidget(task_file_label);
  page_layout->addLayout(task_file_row);
  page_layout->addWidget(chkLogEvents);
  page_layout->addLayout(log_file_row);
  page_layout->addWidget(rdgSeverity);
  page_layout->addLayout(scan_row);
  page_layout->addWidget(bar_frame);
  auto* pages = new QTabWidget(this);
  pages->addTab(page, "General");

  comOK = new QPushButton("&OK", this);
  comOK->setDefault(true);
  comCancel = new QPushButton("&Cancel", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(comOK);
  buttons->addWidget(comCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages);
  layout->addLayout(buttons);
  // A single, fixed border.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  QWidget* order[] = {chkWarnNoRunvane, chkWarnOnShutdown,    edtTaskfile, chkLogEvents,
                      edtLogFilename,   severity_->button(0), edtScanTime, tbrScanTime,
                      comBrowse,        comLEBrowse};
  for (size_t i = 1; i < std::size(order); ++i)
    setTabOrder(order[i - 1], order[i]);

  editor_.on_changed = [this] { ShowEditor(); };
  connect(chkWarnNoRunvane, &QCheckBox::toggled, this,
          [this](bool on) { editor_.warn_no_runvane = on; });
  connect(chkWarnOnShutdown, &QCheckBox::toggled, this,
          [this](bool on) { editor_.warn_on_shutdown = on; });
  connect(edtTaskfile, &QLineEdit::textChanged, this,
          [this](const QString& text) { editor_.task_file = text.toStdString(); });
  connect(edtLogFilename, &QLineEdit::textChanged, this,
          [this](const QString& text) { editor_.log_file = text.toStdString(); });
  connect(chkLogEvents, &QCheckBox::clicked, this, [this](bool on) { editor_.SetLogEvents(on); });
  connect(severity_, &QButtonGroup::idClicked, this, [this](int id) { editor_.level = id; });
  connect(edtScanTime, &QLineEdit::textChanged, this,
          [this](const QString& text) { AnswerScanText(editor_.SetScanText(text.toStdString())); });
  connect(tbrScanTime, &QSlider::valueChanged, this,
          [this](int position) { editor_.MoveBar(position); });
  connect(comBrowse, &QPushButton::clicked, this, [this] { comBrowseClick(); });
  connect(comLEBrowse, &QPushButton::clicked, this, [this] { comLEBrowseClick(); });
  connect(comOK, &QPushButton::clicked, this, [this] { comOKClick(); });
  connect(comCancel, &QPushButton::clicked, this, &QDialog::reject);
  ShowEditor();
}

int TfrmPrefs::Execute(RVPreferences& prefs) {
  FormActivate(prefs);
  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  return exec();
}

void TfrmPrefs::FormActivate(RVPreferences& prefs) {
  prefs_ = &prefs;
  AnswerScanText(editor_.Activate(prefs));
}

void TfrmPrefs::AnswerScanText(ScanTextOutcome outcome) {
  if (outcome != ScanTextOutcome::NotPositive) return;
  message_box_.Ask(PreferencesEditor::NotPositiveMessage());
  edtScanTime->setFocus();
}

void TfrmPrefs::ShowEditor() {
  const QSignalBlocker blockers[] = {
      QSignalBlocker(chkWarnNoRunvane), QSignalBlocker(chkWarnOnShutdown),
      QSignalBlocker(edtTaskfile),      QSignalBlocker(chkLogEvents),
      QSignalBlocker(edtLogFilename),   QSignalBlocker(severity_),
      QSignalBlocker(edtScanTime),      QSignalBlocker(tbrScanTime)};
  chkWarnNoRunvane->setChecked(editor_.warn_no_runvane);
  chkWarnOnShutdown->setChecked(editor_.warn_on_shutdown);
  SetTextKeepingCursor(edtTaskfile, editor_.task_file);
  chkLogEvents->setChecked(editor_.log_events);
  SetTextKeepingCursor(edtLogFilename, editor_.log_file);
  if (editor_.level) {
    severity_->button(*editor_.level)->setChecked(true);
  } else if (QAbstractButton* checked = severity_->checkedButton()) {
    severity_->setExclusive(false);
    checked->setChecked(false);
    severity_->setExclusive(true);
  }
  edtLogFilename->setEnabled(editor_.LogControlsEnabled());
  rdgSeverity->setEnabled(editor_.LogControlsEnabled());
  SetTextKeepingCursor(edtScanTime, editor_.scan_text);
  tbrScanTime->setValue(editor_.bar_position);
}

bool TfrmPrefs::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edtScanTime && event->type() == QEvent::KeyPress) {
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (!text.isEmpty() && !PreferencesEditor::AcceptsScanCharacter(text.front().unicode())) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmPrefs::comBrowseClick() {
  editor_.BrowseTaskFile(dialogs_);
}

void TfrmPrefs::comLEBrowseClick() {
  editor_.BrowseLogFile(dialogs_);
}

void TfrmPrefs::comOKClick() {
  if (prefs_ == nullptr) return;
  const PreferencesEditor::Accepted accepted = editor_.Accept(*prefs_);
  for (const MessageRequest& notice : accepted.notices)
    message_box_.Ask(notice);
  if (on_saved) on_saved(accepted.scan_status);
  accept();
}

}  // namespace rv
