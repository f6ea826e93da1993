// The placing arithmetic of an item, over a text measure whose heights are
// easy to follow: 10 pixels a character, 16 a line, an empty text one line.
#include "exam/presentation/item_layout.h"

#include <gtest/gtest.h>

namespace marvessa {
namespace {

struct TGridMeasure : ITextMeasure {
  int WrappedHeight(TItemFontRole role, const QString& text, int width) const override {
    const int line = role == TItemFontRole::Explanation ? 20 : 16;
    const int perLine = std::max(1, width / 10);
    const int lines = std::max<qsizetype>(1, (text.size() + perLine - 1) / perLine);
    return lines * line;
  }
};

TItemContent Item(int answers, bool multiple, QString pict1 = {}, QString pict2 = {}) {
  TItemContent item;
  item.text = QString(150, u'q');  // 3 lines at the designed width
  item.expl = "why";
  for (int n = 0; n < answers; ++n) item.answers[static_cast<size_t>(n)] = QString("answer %1").arg(n + 1);
  item.multiple = multiple;
  item.pict1 = pict1;
  item.pict2 = pict2;
  return item;
}

TItemGeometry Layout(const TItemContent& item, int pane = 722, int content = 722) {
  std::array<QString, kAnswerCount> texts;
  TakeAnswerTexts(item, texts);
  return LayoutItemGeometry(item, texts, pane, content, TGridMeasure{});
}

TEST(ItemLayoutTest, DesignedWidthFigures) {
  const TItemGeometry g = Layout(Item(4, false, "a.bmp"));
  EXPECT_EQ(g.textWidth, 706);
  EXPECT_EQ(g.textHeight, 48);
  EXPECT_EQ(g.panelHeight, 64);
  EXPECT_EQ(g.buttonTop, 66);
  EXPECT_EQ(g.calcLeft, 722 - 37 - 1);
  EXPECT_EQ(g.labelWidth, 612);
  EXPECT_EQ(g.explanationWidth, 684);
  // The chain: 15 pixels under the exhibit buttons and between answers.
  EXPECT_EQ(g.labelTop[0], 64 + 42);
  for (size_t n = 1; n < 6; ++n) EXPECT_EQ(g.labelTop[n], g.labelTop[n - 1] + g.labelHeight[n - 1] + 15);
  EXPECT_EQ((std::array<bool, 6>{true, true, true, true, false, false}), g.answerVisible);
  EXPECT_EQ(g.explanationAnchor, 4);
  EXPECT_EQ(g.explanationTop, g.labelTop[3] + g.labelHeight[3] + 40);
  // Scroll extent: the lowest shown control plus the 17-pixel spacer; the
  // explanation counts only while shown.
  // (the 17-pixel selector reaches lower than the one-line label)
  EXPECT_EQ(g.ScrollExtent(false, false), g.labelTop[3] + 17 + 17);
  EXPECT_EQ(g.ScrollExtent(true, false), g.explanationTop + 20 + 17);
}

TEST(ItemLayoutTest, ExhibitsAndAnchors) {
  struct Case {
    const char* name;
    TItemContent item;
    bool exhibit1, exhibit2;
    int anchor;
  };
  const Case cases[] = {
      {"no exhibits", Item(4, false), false, false, 4},
      {"second only", Item(4, true, "", "b.emf"), false, true, 4},
      {"both", Item(6, true, "a.bmp", "b.emf"), true, true, 6},
      {"two answers", Item(2, false), false, false, 2},
      {"three answers", Item(3, false), false, false, 3},
      {"one answer", Item(1, false), false, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TItemGeometry g = Layout(c.item);
    EXPECT_EQ(g.exhibit1Visible, c.exhibit1);
    EXPECT_EQ(g.exhibit2Visible, c.exhibit2);
    // The answers start 42 pixels under the panel whatever the buttons show.
    EXPECT_EQ(g.labelTop[0], g.panelHeight + 42);
    EXPECT_EQ(g.multiple, c.item.multiple);
    EXPECT_EQ(g.explanationAnchor, c.anchor);
    const size_t a = static_cast<size_t>(c.anchor - 1);
    EXPECT_EQ(g.explanationTop, g.labelTop[a] + g.labelHeight[a] + 40);
  }
}

TEST(ItemLayoutTest, HiddenLabelKeepsItsPlaceAndItsLastText) {
  // A gap: answer 3 empty, answer 4 given. Label 3 still holds the long text
  // of an earlier item and takes that height in the stack.
  std::array<QString, kAnswerCount> texts;
  texts[2] = QString(150, u'x');  // three lines at 612 pixels
  TItemContent item = Item(4, false);
  item.answers[2].clear();
  TakeAnswerTexts(item, texts);
  EXPECT_EQ(texts[2].size(), 150);
  const TItemGeometry g = LayoutItemGeometry(item, texts, 722, 722, TGridMeasure{});
  EXPECT_FALSE(g.answerVisible[2]);
  EXPECT_EQ(g.labelHeight[2], 48);
  EXPECT_EQ(g.labelTop[3], g.labelTop[2] + 48 + 15);
  EXPECT_EQ(g.explanationAnchor, 2);  // ALabel3 hidden
  EXPECT_EQ(g.ScrollExtent(false, false), g.labelTop[3] + 17 + 17);
}

TEST(ItemLayoutTest, WideningRewrapsEveryText) {
  TItemContent item = Item(2, false);
  item.answers[0] = QString(1000, u'a');
  item.expl = QString(1000, u'e');
  const TItemGeometry narrow = Layout(item);
  const TItemGeometry wide = Layout(item, 1400, 1400);
  EXPECT_LT(wide.textHeight, narrow.textHeight);
  EXPECT_LT(wide.labelHeight[0], narrow.labelHeight[0]);
  EXPECT_LT(wide.explanationHeight, narrow.explanationHeight);
  EXPECT_EQ(wide.labelWidth, 1290);
  // A vertical scroll bar narrows the question panel, not the answers.
  const TItemGeometry scrolled = Layout(item, 722, 705);
  EXPECT_EQ(scrolled.textWidth, 689);
  EXPECT_EQ(scrolled.labelWidth, 612);
  EXPECT_EQ(scrolled.calcLeft, 705 - 38);
}

TEST(ItemLayoutTest, CalculatorAndExhibitsCountInTheExtentOnlyWhenShown) {
  TItemContent item = Item(0, false, "a.bmp");
  item.text.clear();
  const TItemGeometry g = Layout(item);
  EXPECT_EQ(g.panelHeight, 32);
  EXPECT_EQ(g.ScrollExtent(false, false), g.buttonTop + 25 + 17);
  EXPECT_EQ(g.ScrollExtent(false, true), g.buttonTop + 29 + 17);
  item.pict1.clear();
  EXPECT_EQ(Layout(item).ScrollExtent(false, false), 32 + 1 + 17);
}

}  // namespace
}  // namespace marvessa
