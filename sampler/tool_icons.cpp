#include "sampler/tool_icons.h"

#include <QPainter>
#include <QPixmap>

namespace marvessa {

QIcon ToolIcon(TToolIcon icon) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case TToolIcon::Add:  // a green plus on a sheet
      p.setPen(QPen(Qt::darkGray, 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(2.5, 1.5, 10, 13));
      p.setPen(QPen(QColor(0, 140, 0), 3));
      p.drawLine(QPointF(10, 8), QPointF(10, 15));
      p.drawLine(QPointF(6.5, 11.5), QPointF(13.5, 11.5));
      break;
    case TToolIcon::Edit:  // a pencil
      p.setPen(QPen(QColor(0, 0, 160), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(4, 12), QPointF(12, 4));
      p.setPen(QPen(Qt::black, 1));
      p.drawLine(QPointF(2, 14), QPointF(4, 12));
      break;
    case TToolIcon::Delete:  // a red cross
      p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3, 3), QPointF(13, 13));
      p.drawLine(QPointF(13, 3), QPointF(3, 13));
      break;
  }
  return QIcon(pixmap);
}

}  // namespace marvessa
