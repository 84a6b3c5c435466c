#include "settings/icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace rv::icons {
namespace {

constexpr int kRowSize = 25;
constexpr int kToolSize = 32;

const QColor kInk(0x33, 0x3d, 0x4a);
const QColor kPaper(0xfa, 0xfa, 0xf5);
const QColor kBlue(0x2f, 0x6f, 0xb5);
const QColor kGreen(0x2e, 0x9b, 0x4f);
const QColor kRed(0xc8, 0x3a, 0x32);
const QColor kAmber(0xe0, 0xa0, 0x22);

QImage Canvas(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Sheet(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawRoundedRect(r, 1.5, 1.5);
  p.setPen(QPen(kInk.lighter(170), 1.0));
  for (double y = r.top() + r.height() * 0.3; y < r.bottom() - 2; y += r.height() * 0.18) {
    p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
  }
}

void Clock(QPainter& p, const QPointF& centre, double radius) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kBlue.lighter(160));
  p.drawEllipse(centre, radius, radius);
  p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre, centre + QPointF(0, -radius * 0.7));
  p.drawLine(centre, centre + QPointF(radius * 0.5, 0));
}

void Key(QPainter& p, const QPointF& origin, double scale) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(kAmber);
  p.drawEllipse(origin, 3.2 * scale, 3.2 * scale);
  QPainterPath shaft;
  shaft.addRect(QRectF(origin.x() + 2.6 * scale, origin.y() - 1.0 * scale, 7 * scale, 2 * scale));
  shaft.addRect(QRectF(origin.x() + 7.5 * scale, origin.y(), 1.6 * scale, 3 * scale));
  p.drawPath(shaft.simplified());
  p.setBrush(kPaper);
  p.drawEllipse(origin, 1.1 * scale, 1.1 * scale);
}

QPixmap Done(const QImage& image) {
  return QPixmap::fromImage(image);
}

}  // namespace

QPixmap RowImage(int index) {
  QImage image = Canvas(kRowSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Sheet(p, QRectF(3.5, 2.5, 15, 19));
  switch (index) {
    case 2:
      Clock(p, QPointF(17, 17), 6.5);
      break;
    case 3:
      Key(p, QPointF(11, 17), 1.15);
      break;
    case 4:
      Clock(p, QPointF(18, 8), 5.5);
      Key(p, QPointF(9, 18), 1.0);
      break;
    default:
      break;
  }
  p.end();
  return Done(image);
}

QIcon ToolIcon(Tool tool) {
  QImage image = Canvas(kToolSize);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(16, 16);
  switch (tool) {
    case Tool::New: {
      Sheet(p, QRectF(6.5, 4.5, 17, 23));
      p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(24, 18), QPointF(24, 28));
      p.drawLine(QPointF(19, 23), QPointF(29, 23));
      break;
    }
    case Tool::Run:
    case Tool::Resume: {
      QPolygonF triangle({QPointF(9, 6), QPointF(26, 16), QPointF(9, 26)});
      p.setPen(QPen(kGreen.darker(140), 1.4));
      p.setBrush(kGreen);
      p.drawPolygon(triangle);
      if (tool == Tool::Resume) {
        p.setBrush(kGreen.darker(120));
        p.drawRect(QRectF(4, 6, 3, 20));
      }
      break;
    }
    case Tool::Stop:
      p.setPen(QPen(kRed.darker(140), 1.4));
      p.setBrush(kRed);
      p.drawRoundedRect(QRectF(7, 7, 18, 18), 2, 2);
      break;
    case Tool::Pause:
      p.setPen(QPen(kAmber.darker(150), 1.4));
      p.setBrush(kAmber);
      p.drawRoundedRect(QRectF(8, 6, 6, 20), 1.5, 1.5);
      p.drawRoundedRect(QRectF(18, 6, 6, 20), 1.5, 1.5);
      break;
    case Tool::Properties:
      Sheet(p, QRectF(5.5, 3.5, 17, 24));
      p.setPen(QPen(kInk, 1.2));
      p.setBrush(kBlue);
      p.drawEllipse(QPointF(22, 22), 6, 6);
      p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(22, 21), QPointF(22, 25));
      p.drawPoint(QPointF(22, 18.5));
      break;
    case Tool::Delete:
      p.setPen(QPen(kRed, 4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(8, 8), QPointF(24, 24));
      p.drawLine(QPointF(24, 8), QPointF(8, 24));
      break;
    case Tool::ViewLog:
      Sheet(p, QRectF(4.5, 3.5, 18, 24));
      p.setPen(QPen(kInk, 2));
      p.setBrush(kBlue.lighter(170));
      p.drawEllipse(QPointF(20, 18), 5, 5);
      p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(23.5, 21.5), QPointF(28, 26));
      break;
    case Tool::Application:
      Clock(p, c, 13);
      break;
  }
  p.end();
  return QIcon(Done(image));
}

}  // namespace rv::icons
