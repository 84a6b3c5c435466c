#include "settings/record_mouse_form.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "settings/recording_session.h"

namespace rv {

TfrmRecordMouse::TfrmRecordMouse(RecordingSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("TfrmRecordMouse");
  setWindowTitle("Recording");
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  lblInfo = new QLabel("Press Control-Alt-F12 to stop recording.", this);
  lblInfo->setAlignment(Qt::AlignCenter);
  lblInfo->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(lblInfo);
  setFixedSize(147, 43);

  session_.on_ended = [this] {
    RestoreApplication();
    if (isVisible()) QDialog::done(QDialog::Accepted);
  };
}

TfrmRecordMouse::~TfrmRecordMouse() {
  session_.on_ended = nullptr;
}

QPoint TfrmRecordMouse::PlaceFor(const QRect& screen) {
  return QPoint(screen.width() - 175, screen.height() - 90);
}

void TfrmRecordMouse::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(PlaceFor(screen->geometry()));
  session_.ListenForStop();
}

void TfrmRecordMouse::done(int result) {
  // Ending reports back through on_ended, which closes the window; a
  // session that has ended already only closes it here.
  if (session_.Recording()) {
    session_.End();
    if (!isVisible()) return;
  }
  QDialog::done(result);
}

void TfrmRecordMouse::RestoreApplication() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isMinimized()) window->showNormal();
  }
}

}  // namespace rv
