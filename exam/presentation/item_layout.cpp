#include "exam/presentation/item_layout.h"

#include <algorithm>

namespace marvessa {

using namespace item_geometry;

int TItemGeometry::ScrollExtent(bool explanationVisible, bool calcVisible) const {
  int bottom = panelHeight + 1;  // the rule
  if (exhibit1Visible || exhibit2Visible) bottom = std::max(bottom, buttonTop + kExhibitHeight);
  if (calcVisible) bottom = std::max(bottom, buttonTop + kCalcHeight);
  for (size_t n = 0; n < answerVisible.size(); ++n)
    if (answerVisible[n]) bottom = std::max({bottom, labelTop[n] + labelHeight[n], labelTop[n] + kSelectorHeight});
  if (explanationVisible) bottom = std::max(bottom, explanationTop + explanationHeight);
  return bottom + kSpacer;
}

void TakeAnswerTexts(const TItemContent& item, std::array<QString, kAnswerCount>& labelTexts) {
  for (int n = 0; n < kAnswerCount; ++n)
    if (item.HasAnswer(n)) labelTexts[static_cast<size_t>(n)] = item.answers[static_cast<size_t>(n)];
}

TItemGeometry LayoutItemGeometry(const TItemContent& item, const std::array<QString, kAnswerCount>& labelTexts,
                                 int paneWidth, int contentWidth, const ITextMeasure& measure) {
  TItemGeometry g;
  g.multiple = item.multiple;
  g.textWidth = std::max(0, contentWidth - 2 * kPanelBorder);
  g.textHeight = measure.WrappedHeight(TItemFontRole::Question, item.text, g.textWidth);
  g.panelHeight = g.textHeight + 2 * kPanelBorder;

  g.exhibit1Visible = !item.pict1.isEmpty();
  g.exhibit2Visible = !item.pict2.isEmpty();
  g.buttonTop = g.panelHeight + kExhibitGap;
  g.calcLeft = contentWidth - kCalcWidth - kCalcRightGap;

  // Every label takes its place in the chain, shown or not.
  g.labelWidth = std::max(0, paneWidth - kLabelLeft - kRightMargin);
  int top = g.buttonTop + kExhibitHeight + kAnswerGap;
  for (size_t n = 0; n < g.labelTop.size(); ++n) {
    g.answerVisible[n] = item.HasAnswer(static_cast<int>(n));
    g.labelTop[n] = top;
    g.labelHeight[n] = measure.WrappedHeight(TItemFontRole::Answer, labelTexts[n], g.labelWidth);
    top += g.labelHeight[n] + kAnswerGap;
  }

  // Under ALabel2 when ALabel3 is hidden, else under the last label of the
  // run of shown labels that starts at ALabel3.
  size_t anchor = 1;
  for (size_t n = 2; n < g.answerVisible.size() && g.answerVisible[n]; ++n) anchor = n;
  g.explanationAnchor = static_cast<int>(anchor) + 1;
  g.explanationWidth = std::max(0, paneWidth - kExplanationLeft - kRightMargin);
  g.explanationTop = g.labelTop[anchor] + g.labelHeight[anchor] + kExplanationGap;
  g.explanationHeight = measure.WrappedHeight(TItemFontRole::Explanation, item.expl, g.explanationWidth);
  return g;
}

}  // namespace marvessa
