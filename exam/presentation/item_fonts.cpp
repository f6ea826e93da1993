#include "exam/presentation/item_fonts.h"

#include <QFontMetrics>
#include <climits>

namespace marvessa {

TItemFonts TItemFonts::Defaults() {
  // The designed face where it is installed, else a metric-compatible one.
  QFont pane;
  pane.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial"});
  pane.setPointSize(10);
  TItemFonts f;
  f.question = f.answer = f.explanation = pane;
  return f;
}

const QFont& TItemFonts::Font(TItemFontRole role) const {
  switch (role) {
    case TItemFontRole::Question: return question;
    case TItemFontRole::Explanation: return explanation;
    case TItemFontRole::Answer: break;
  }
  return answer;
}

int TQtTextMeasure::WrappedHeight(TItemFontRole role, const QString& text, int width) const {
  const QFontMetrics metrics(fonts_.Font(role));
  if (text.isEmpty()) return metrics.height();
  return metrics.boundingRect(QRect(0, 0, qMax(1, width), INT_MAX / 2), Qt::TextWordWrap, text).height();
}

}  // namespace marvessa
