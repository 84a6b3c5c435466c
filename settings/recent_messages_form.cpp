#include "settings/recent_messages_form.h"

#include <QDateTime>
#include <QHideEvent>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QTextDocument>
#include <fstream>

#include "platform/message_box.h"
#include "settings/file_dialogs.h"

namespace rv {

TfrmRecentMessages::TfrmRecentMessages(MessageBox& messages, FileDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window), message_box_(messages), dialogs_(dialogs) {
  setWindowTitle("Recent Status Messages");
  memMessages = new QPlainTextEdit(this);
  memMessages->setReadOnly(true);
  memMessages->setLineWrapMode(QPlainTextEdit::NoWrap);
  memMessages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memMessages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setCentralWidget(memMessages);

  QMenu* file = menuBar()->addMenu("&File");
  connect(file->addAction("Clea&r"), &QAction::triggered, this, [this] { itmClearClick(); });
  file->addSeparator();
  connect(file->addAction("&Save As..."), &QAction::triggered, this, [this] {
    if (Result<void> saved = itmSaveAsClick(); !saved && on_error) on_error(saved.error());
  });
  connect(file->addAction("&Print"), &QAction::triggered, this, [this] { itmPrintClick(); });
  file->addSeparator();
  connect(file->addAction("&Close"), &QAction::triggered, this, [this] { itmCloseClick(); });
}

void TfrmRecentMessages::AddMessage(const std::string& text) {
  lines_.AddMessage(text);
  Show();
}

void TfrmRecentMessages::Show() {
  QString text;
  for (const std::string& line : lines_.Lines()) {
    if (!text.isEmpty()) text += '\n';
    text += QString::fromStdString(line);
  }
  memMessages->setPlainText(text);
  memMessages->verticalScrollBar()->setValue(memMessages->verticalScrollBar()->maximum());
}

void TfrmRecentMessages::itmClearClick() {
  MessageRequest question{
      "Clear all recent status messages?",     "Clear Messages?", MessageIcon::Question,
      {MessageButton::Yes, MessageButton::No}, MessageButton::No, false};
  if (message_box_.Ask(question) != MessageButton::Yes) return;
  lines_.Clear();
  Show();
}

Result<void> TfrmRecentMessages::itmSaveAsClick() {
  FileDialogRequest request{"Save As", "Log Files (*.log);;All files (*)", "log", false, true};
  const std::optional<std::string> path = dialogs_.Save(request);
  if (!path) return {};
  std::ofstream out(*path, std::ios::binary | std::ios::trunc);
  out << lines_.Text();
  out.close();
  if (!out) return MakeError(*path + ": the messages could not be written");
  return {};
}

QString TfrmRecentMessages::PrintTitle() {
  const QLocale locale = QLocale::system();
  const QDateTime now = QDateTime::currentDateTime();
  return "Runvane Status Messages (" + locale.toString(now.date(), QLocale::ShortFormat) + " " +
         locale.toString(now.time(), QLocale::LongFormat) + ")";
}

void TfrmRecentMessages::itmPrintClick() {
  // The default printer, no dialog.
  QPrinter printer;
  printer.setDocName(PrintTitle());
  QTextDocument document(memMessages->toPlainText());
  document.print(&printer);
}

void TfrmRecentMessages::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  // A minimised desktop hides windows too; only a real hide unchecks.
  if (!event->spontaneous() && on_hidden) on_hidden();
}

}  // namespace rv
