#include "sampler/shadow_label.h"

#include <QPainter>

namespace marvessa {

namespace {
constexpr int kShadowOffset = 2;
}

TShadowLabel::TShadowLabel(QWidget* parent) : QWidget(parent) {
  QFont verdana("Verdana", 12);
  verdana.setBold(true);
  setFont(verdana);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TShadowLabel::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text);
  update();
}

QSize TShadowLabel::sizeHint() const {
  QFontMetrics metrics(font());
  return {metrics.horizontalAdvance(text_) + kShadowOffset + 8, metrics.height() + kShadowOffset + 6};
}

void TShadowLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::TextAntialiasing);
  QRect area = rect().adjusted(4, 0, -kShadowOffset, -kShadowOffset);
  p.setPen(Qt::black);
  p.drawText(area.translated(kShadowOffset, kShadowOffset), Qt::AlignLeft | Qt::AlignVCenter, text_);
  p.setPen(QColor(0, 255, 255));  // aqua
  p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text_);
}

}  // namespace marvessa
