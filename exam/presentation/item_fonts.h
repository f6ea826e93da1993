#pragma once
// The fonts of the item area: the question font for QText, the answer font
// (the pane's own) for the answers, their selectors and the exhibit buttons,
// and the explanation font for ExpText, each with its text colour. The
// options bind them to the settings; the defaults are the designed ones.
#include <QColor>
#include <QFont>

#include "exam/presentation/item_layout.h"

namespace marvessa {

struct TItemFonts {
  QFont question, answer, explanation;
  QColor questionColor = Qt::black, answerColor = Qt::black;
  QColor explanationColor = QColor(0x00, 0x00, 0x80);  // navy

  static TItemFonts Defaults();
  const QFont& Font(TItemFontRole role) const;
};

// Word-wrapped heights as QLabel draws them, from QFontMetrics in the
// role's font.
class TQtTextMeasure : public ITextMeasure {
 public:
  explicit TQtTextMeasure(const TItemFonts& fonts) : fonts_(fonts) {}
  int WrappedHeight(TItemFontRole role, const QString& text, int width) const override;

 private:
  const TItemFonts& fonts_;
};

}  // namespace marvessa
