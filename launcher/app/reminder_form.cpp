#include "launcher/app/reminder_form.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "launcher/app/tray_icon.h"

namespace rv {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* text, int left, int top) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

// The picture top right: the program's icon on a reminder bell.
QPixmap ReminderPicture() {
  QPixmap picture(66, 49);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(120, 90, 0), 2));
  painter.setBrush(QColor(240, 200, 40));
  QPainterPath bell;
  bell.moveTo(18, 40);
  bell.cubicTo(22, 34, 20, 8, 33, 6);
  bell.cubicTo(46, 8, 44, 34, 48, 40);
  bell.closeSubpath();
  painter.drawPath(bell);
  painter.drawEllipse(QPointF(33, 43), 4, 4);
  painter.drawPixmap(46, 0, MakeMainIcon().pixmap(20, 20));
  return picture;
}

}  // namespace

TfrmReminder::TfrmReminder(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TfrmReminder"));
  setWindowTitle(QString::fromLatin1(kCaption));
  setWindowIcon(MakeMainIcon());
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  setFixedSize(386, 277);

  lblReminderTitle = MakeLabel(this, "Reminder", 4, 8);
  QFont title(QStringLiteral("Arial"));
  title.setPixelSize(19);
  lblReminderTitle->setFont(title);
  lblReminderTitle->adjustSize();

  Image1 = new QLabel(this);
  Image1->setPixmap(ReminderPicture());
  Image1->setAttribute(Qt::WA_TranslucentBackground);
  Image1->move(312, 8);
  Image1->adjustSize();

  Label3 = MakeLabel(this, "You have a reminder scheduled:", 4, 44);
  Bevel1 = new QFrame(this);
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(1, 64, 381, 2);

  QFont bold = font();
  bold.setBold(true);
  lblTimeLabel = MakeLabel(this, "For Time:", 4, 80);
  lblTime = new QLabel(this);
  lblTime->setFont(bold);
  lblTime->setGeometry(60, 80, 89, 13);
  lblDateLabel = MakeLabel(this, "For Date:", 4, 108);
  lblDate = new QLabel(this);
  lblDate->setFont(bold);
  lblDate->setGeometry(60, 108, 89, 13);

  Bevel2 = new QFrame(this);
  Bevel2->setFrameShape(QFrame::Box);
  Bevel2->setFrameShadow(QFrame::Sunken);
  Bevel2->setGeometry(0, 132, 289, 97);
  lblRemindText = new QLabel(this);
  lblRemindText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  lblRemindText->setWordWrap(true);
  lblRemindText->setGeometry(4, 136, 281, 89);

  comAgain = new QPushButton(QStringLiteral("&Snooze"), this);
  comAgain->setGeometry(300, 131, 75, 25);
  comOFF = new QPushButton(QStringLiteral("&Off"), this);
  comOFF->setGeometry(300, 203, 75, 25);
  // Enter always means "&Off", whichever control has the focus: a focused
  // "&Snooze" must not take it over.
  comAgain->setAutoDefault(false);
  comOFF->setAutoDefault(false);
  comOFF->setDefault(true);
  connect(comAgain, &QPushButton::clicked, this, &QDialog::accept);
  connect(comOFF, &QPushButton::clicked, this, &QDialog::reject);

  Label1 = MakeLabel(this, "Remind me again in:", 6, 240);
  // Pasted text, too, must be digits only.
  auto* digits =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  edtHours = new QLineEdit(QStringLiteral("0"), this);
  edtHours->setGeometry(105, 238, 34, 21);
  edtHours->setValidator(digits);
  edtHours->installEventFilter(this);
  sdf = MakeLabel(this, "hours and", 143, 241);
  edtMinutes = new QLineEdit(QStringLiteral("2"), this);
  edtMinutes->setGeometry(197, 238, 34, 21);
  edtMinutes->setValidator(digits);
  edtMinutes->installEventFilter(this);
  Label2 = MakeLabel(this, "minutes.", 235, 242);

  setTabOrder(comAgain, comOFF);
  setTabOrder(comOFF, edtHours);
  setTabOrder(edtHours, edtMinutes);
  comAgain->setFocus();
}

bool TfrmReminder::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == edtHours || watched == edtMinutes) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Enter, Esc and Tab belong to the dialog, Delete types nothing; every
    // other key that types a
    // character types a digit or nothing (Backspace included).
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
      case Qt::Key_Delete:
        return false;
      default:
        break;
    }
    const QString text = key->text();
    if (!text.isEmpty() && !(text.size() == 1 && text[0] >= u'0' && text[0] <= u'9')) return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace rv
