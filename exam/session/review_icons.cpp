#include "exam/session/review_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace marvessa {

namespace {

void DrawPage(QPainter& p) {
  // A sheet with a folded corner and no writing on it.
  QPainterPath sheet;
  sheet.moveTo(3.5, 1.5);
  sheet.lineTo(10.5, 1.5);
  sheet.lineTo(13.5, 4.5);
  sheet.lineTo(13.5, 14.5);
  sheet.lineTo(3.5, 14.5);
  sheet.closeSubpath();
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
  p.drawPolyline(QPolygonF({QPointF(10.5, 1.5), QPointF(10.5, 4.5), QPointF(13.5, 4.5)}));
}

void DrawTick(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x00, 0x99, 0x33));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
}

void DrawFlag(QPainter& p) {
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
  p.drawLine(QPointF(3.5, 1.5), QPointF(3.5, 15));
  QPainterPath cloth;
  cloth.moveTo(4.5, 2);
  cloth.lineTo(14, 5);
  cloth.lineTo(4.5, 8.5);
  cloth.closeSubpath();
  p.setPen(QPen(QColor(0xB3, 0x6B, 0x00), 1));
  p.setBrush(QColor(0xFF, 0xA5, 0x00));
  p.drawPath(cloth);
}

void DrawCross(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xD0, 0x10, 0x10));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5, 5), QPointF(11, 11));
  p.drawLine(QPointF(11, 5), QPointF(5, 11));
}

}  // namespace

QPixmap ReviewPixmap(TReviewIcon icon) {
  QPixmap pixmap(kReviewIconSize, kReviewIconSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case riIncomplete: DrawPage(p); break;
    case riComplete: DrawTick(p); break;
    case riMarked: DrawFlag(p); break;
    case riIncorrect: DrawCross(p); break;
  }
  return pixmap;
}

QIcon ReviewIcon(TReviewIcon icon) { return QIcon(ReviewPixmap(icon)); }

}  // namespace marvessa
