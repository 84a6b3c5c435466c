#include "platform/qt/qt_message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <map>

#include "platform/qt/display.h"

namespace rv {
namespace {

QMessageBox::StandardButton ToQt(MessageButton button) {
  switch (button) {
    case MessageButton::Ok:
      return QMessageBox::Ok;
    case MessageButton::Cancel:
      return QMessageBox::Cancel;
    case MessageButton::Yes:
      return QMessageBox::Yes;
    case MessageButton::No:
      return QMessageBox::No;
    case MessageButton::Abort:
      return QMessageBox::Abort;
    case MessageButton::Retry:
      return QMessageBox::Retry;
    case MessageButton::Ignore:
      return QMessageBox::Ignore;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return QMessageBox::NoIcon;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MessageButton QtMessageBox::Ask(const MessageRequest& request) {
  if (!HasDisplay()) return headless_.Ask(request);

  QMessageBox box(ToQt(request.icon), QString::fromStdString(request.caption),
                  QString::fromStdString(request.text));
  std::map<QAbstractButton*, MessageButton> answers;
  for (MessageButton button : request.OfferedButtons()) {
    answers[box.addButton(ToQt(button))] = button;
  }
  box.setDefaultButton(ToQt(request.DefaultButton()));
  if (request.topmost) box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
  box.exec();
  // Closing the box by its title bar counts as its escape button, which Qt
  // picks among the offered ones; with none, the default stands.
  auto chosen = answers.find(box.clickedButton());
  return chosen != answers.end() ? chosen->second : request.DefaultButton();
}

}  // namespace rv
