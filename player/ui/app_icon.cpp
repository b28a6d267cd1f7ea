#include "app_icon.h"

#include <QPainter>
#include <QPolygonF>

namespace lirra {

QImage PaintAppIcon(int size) {
  QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);  // drawn on a 32-pixel grid
  p.setBrush(QColor(24, 28, 32));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
  p.setBrush(QColor(0, 192, 64));
  p.drawEllipse(QRectF(7, 19, 9, 7));
  p.drawEllipse(QRectF(17, 16, 9, 7));
  p.drawRect(QRectF(14, 6, 2, 16));
  p.drawRect(QRectF(24, 4, 2, 15));
  p.drawPolygon(QPolygonF({QPointF(14, 6), QPointF(26, 3), QPointF(26, 7), QPointF(14, 10)}));
  return picture;
}

}  // namespace lirra
