#include "launcher/app/event_log_form.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "common/preferences.h"

namespace rv {
namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

}  // namespace

TfrmEventLog::TfrmEventLog(RVPreferences& preferences, QWidget* parent)
    : QDialog(parent),
      preferences_(preferences),
      memLog_(new QPlainTextEdit(this)),
      comClose_(new QPushButton(QStringLiteral("&Close"), this)) {
  setWindowTitle(QStringLiteral("Event Log"));
  memLog_->setReadOnly(true);
  memLog_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memLog_->setLineWrapMode(QPlainTextEdit::NoWrap);
  comClose_->setDefault(true);
  comClose_->setAutoDefault(true);
  connect(comClose_, &QPushButton::clicked, this, &TfrmEventLog::close);
  memLog_->setGeometry(kMargin, kMargin, 289 - 24, 234 - 76);
  comClose_->setGeometry(289 - 99, 234 - 60, kButtonWidth, kButtonHeight);
  resize(289, 234);
  FormCreate();
}

void TfrmEventLog::FormCreate() {
  move(preferences_.ErrorLogLeft, preferences_.ErrorLogTop);
  resize(preferences_.ErrorLogWidth, preferences_.ErrorLogHeight);
  if (preferences_.ErrorLogOpen) show();
}

void TfrmEventLog::AppendLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    memLog_->appendPlainText(QString::fromStdString(line));
}

void TfrmEventLog::FormResize() {
  // A snap resizes again; the new size places the controls then.
  if (width() <= kMinimumWidth - 1) {
    resize(kMinimumWidth, height());
    return;
  }
  comClose_->move(width() - 99, comClose_->y());
  memLog_->resize(width() - 24, memLog_->height());
  if (height() <= kMinimumHeight - 1) {
    resize(width(), kMinimumHeight);
    return;
  }
  comClose_->move(comClose_->x(), height() - 60);
  memLog_->resize(memLog_->width(), height() - 76);
}

void TfrmEventLog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TfrmEventLog::FormClose() {
  // Reload first, so values the task manager saved meanwhile survive.
  preferences_.Load();
  preferences_.ErrorLogTop = y();
  preferences_.ErrorLogLeft = x();
  preferences_.ErrorLogWidth = width();
  preferences_.ErrorLogHeight = height();
  preferences_.ErrorLogOpen = false;
  preferences_.Save();
}

void TfrmEventLog::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfrmEventLog::reject() {
  close();
}

}  // namespace rv
