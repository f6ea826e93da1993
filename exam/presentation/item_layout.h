#pragma once
// The arithmetic that places one item in the item area: the question panel
// on top, the blue rule under it, the exhibit and calculator buttons, the
// stack of answers with their selectors and the explanation under the last
// answer. It is a function of the item, the texts the answer labels hold,
// the pane's width and a text measure, so it runs without a window; the
// item pane applies its result to the widgets.
#include <QString>
#include <array>

#include "exam/presentation/item_content.h"

namespace marvessa {

// The three fonts of the item area.
enum class TItemFontRole { Question, Answer, Explanation };

// Height in pixels that a text needs when word-wrapped at `width` in the
// font of `role`. An empty text still takes one line.
class ITextMeasure {
 public:
  virtual ~ITextMeasure() = default;
  virtual int WrappedHeight(TItemFontRole role, const QString& text, int width) const = 0;
};

namespace item_geometry {
inline constexpr int kPanelBorder = 8;
inline constexpr int kExhibitALeft = 1, kExhibitBLeft = 96;
inline constexpr int kExhibitWidth = 93, kExhibitHeight = 25;
inline constexpr int kExhibitGap = 2;  // between the question panel and the buttons
inline constexpr int kCalcWidth = 37, kCalcHeight = 29, kCalcRightGap = 1;
inline constexpr int kSelectorLeft = 40, kSelectorWidth = 38, kSelectorHeight = 17;
inline constexpr int kLabelLeft = 80;
inline constexpr int kAnswerGap = 15;  // under the buttons and between answers
inline constexpr int kExplanationLeft = 8, kExplanationGap = 40;
inline constexpr int kRightMargin = 30;  // labels and explanation end this far from the pane's edge
inline constexpr int kSpacer = 17;       // Bevel2, below the content
}  // namespace item_geometry

struct TItemGeometry {
  // The question panel (QPanel) and its text (QText); the rule lies at
  // y = panelHeight.
  int panelHeight = 0, textWidth = 0, textHeight = 0;
  // Exhibit and calculator buttons share one top.
  int buttonTop = 0, calcLeft = 0;
  bool exhibit1Visible = false, exhibit2Visible = false;
  // Answers: label n and its selector share a top; hidden ones keep their
  // place in the stack.
  int labelWidth = 0;
  std::array<int, kAnswerCount> labelTop{}, labelHeight{};
  std::array<bool, kAnswerCount> answerVisible{};
  bool multiple = false;
  // The explanation (ExpText), placed whether or not it is shown.
  int explanationTop = 0, explanationWidth = 0, explanationHeight = 0;
  int explanationAnchor = 1;  // the answer label (1 .. 6) it stands under

  // The height the pane scrolls through: the lowest visible control plus
  // the spacer.
  int ScrollExtent(bool explanationVisible, bool calcVisible) const;
};

// The texts the answer labels hold once the item is shown: a non-empty
// answer replaces its label's text; an empty one leaves what the label
// showed before (a hidden label keeps the text of the last item that used
// it, and with it its height).
void TakeAnswerTexts(const TItemContent& item, std::array<QString, kAnswerCount>& labelTexts);

// paneWidth is the pane's outer width (including a vertical scroll bar),
// from which the answers and the explanation are sized; contentWidth is the
// width of its visible content, which the question panel fills.
TItemGeometry LayoutItemGeometry(const TItemContent& item, const std::array<QString, kAnswerCount>& labelTexts,
                                 int paneWidth, int contentWidth, const ITextMeasure& measure);

}  // namespace marvessa
