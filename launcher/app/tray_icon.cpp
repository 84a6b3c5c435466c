#include "launcher/app/tray_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace rv {
namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal unit = size / 16.0;
  // A rounded blue tile with a white vane: an arrow turning to the right.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1f, 0x5f, 0xa8));
  painter.drawRoundedRect(QRectF(0.5 * unit, 0.5 * unit, 15 * unit, 15 * unit), 3 * unit, 3 * unit);
  QPainterPath vane;
  vane.moveTo(3 * unit, 12 * unit);
  vane.lineTo(3 * unit, 9 * unit);
  vane.quadTo(3 * unit, 5 * unit, 8 * unit, 5 * unit);
  vane.lineTo(8 * unit, 2.5 * unit);
  vane.lineTo(13 * unit, 6.5 * unit);
  vane.lineTo(8 * unit, 10.5 * unit);
  vane.lineTo(8 * unit, 8 * unit);
  vane.quadTo(6 * unit, 8 * unit, 6 * unit, 10 * unit);
  vane.lineTo(6 * unit, 12 * unit);
  vane.closeSubpath();
  painter.setBrush(Qt::white);
  painter.drawPath(vane);
  return pixmap;
}

}  // namespace

QIcon MakeMainIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64})
    icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace rv
