// Answering items in the exam window: the item's layout on screen, the
// selectors and answer texts, the stored answers across navigation, the
// learn display, the key in review, and the access keys.
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "exam/presentation/item_pane.h"
#include "exam/session/exam_window_fixture.h"

namespace marvessa {
namespace {

using testing::ExamWindowTest;

class ItemWindowTest : public ExamWindowTest {
 protected:
  void StartAllQuestions() {
    StartWith(Ui().LargeButtons[0]);
    ASSERT_EQ(Session().ExamMode(), Answering);
  }
  const TItemPane::Controls& Pane() { return Ui().ScrollBox1->Ui(); }
  isam::TIsamTable& Set() { return Form().Tables().dtCurrentSet; }
  ItemResponse& Response() { return Form().Responses().ForRecord(Set().RecordNumber()); }
  // Walks forward to the first item of that type with at least `answers`
  // answers (and exhibits, when asked).
  void GoToItem(bool multiple, int answers, bool withExhibits = false) {
    for (;;) {
      const TItemContent item = ReadItemContent(Set());
      int given = 0;
      for (int n = 0; n < kAnswerCount; ++n) given += item.HasAnswer(n);
      if (item.multiple == multiple && given >= answers &&
          (!withExhibits || (!item.pict1.isEmpty() && !item.pict2.isEmpty())))
        return;
      ASSERT_TRUE(Ui().NextButton->isEnabled()) << "no such item in the bank";
      Ui().NextButton->click();
    }
  }
  TAnswerFlags Checked(bool multiple) {
    TAnswerFlags f{};
    for (size_t i = 0; i < f.size(); ++i)
      f[i] = multiple ? Pane().CheckBox[i]->isChecked() : Pane().RadioButton[i]->isChecked();
    return f;
  }
  void ClickText(int n) { QTest::mouseClick(Pane().ALabel[static_cast<size_t>(n)], Qt::LeftButton); }
  static TAnswerFlags Flags(std::initializer_list<int> set) {
    TAnswerFlags f{};
    for (int n : set) f[static_cast<size_t>(n)] = true;
    return f;
  }
  bool Aqua(int n) {
    return Pane().ALabel[static_cast<size_t>(n)]->palette().color(QPalette::Window) == TItemPane::kKeyColor;
  }
};

TEST_F(ItemWindowTest, SingleResponseItemOnScreen) {
  StartAllQuestions();
  GoToItem(false, 4);
  const TItemContent item = ReadItemContent(Set());
  const int pane = Ui().ScrollBox1->width();
  for (int n = 0; n < kAnswerCount; ++n) {
    const auto i = static_cast<size_t>(n);
    SCOPED_TRACE(n);
    EXPECT_EQ(Pane().RadioButton[i]->isVisible(), item.HasAnswer(n));
    EXPECT_FALSE(Pane().CheckBox[i]->isVisible());
    EXPECT_EQ(Pane().ALabel[i]->isVisible(), item.HasAnswer(n));
    if (!item.HasAnswer(n)) continue;
    EXPECT_EQ(Pane().ALabel[i]->text(), item.answers[i]);
    EXPECT_EQ(Pane().ALabel[i]->geometry(), QRect(80, Pane().RadioButton[i]->y(), pane - 110,
                                                  Pane().ALabel[i]->height()));
    EXPECT_EQ(Pane().RadioButton[i]->geometry(), QRect(40, Pane().ALabel[i]->y(), 38, 17));
    EXPECT_EQ(Pane().RadioButton[i]->text(), QString("&%1.").arg(QChar(u'a' + n)));
  }
  EXPECT_EQ(Pane().QText->text(), item.text);
  EXPECT_EQ(Pane().ALabel[0]->y(), Pane().QPanel->height() + 42);
  EXPECT_EQ(Pane().Shape1->y(), Pane().QPanel->height());
  EXPECT_FALSE(Pane().ExpText->isVisible());
  EXPECT_EQ(Ui().ScrollBox1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

  // Clicking an answer text is clicking its radio button.
  ClickText(2);
  EXPECT_EQ(Checked(false), Flags({2}));
  EXPECT_EQ(Response().Choice, Flags({2}));
  EXPECT_EQ(Response().Correct, item.key == Flags({2}));
  ClickText(2);
  EXPECT_EQ(Response().Choice, Flags({2}));
  Pane().RadioButton[0]->click();
  EXPECT_EQ(Checked(false), Flags({0}));
  EXPECT_EQ(Response().Choice, Flags({0}));
  EXPECT_EQ(Response().Correct, item.key == Flags({0}));
}

TEST_F(ItemWindowTest, MultipleResponseAnswerIsKeptAcrossNavigation) {
  StartAllQuestions();
  GoToItem(true, 4);
  const TItemContent item = ReadItemContent(Set());
  for (size_t i = 0; i < 6; ++i) EXPECT_FALSE(Pane().RadioButton[i]->isVisible());
  Pane().CheckBox[1]->click();
  ClickText(3);
  EXPECT_EQ(Response().Choice, Flags({1, 3}));
  const bool correct = Response().Correct;
  EXPECT_EQ(correct, item.key == Flags({1, 3}));
  // The text of b twice: off and on again, display and answer agreeing.
  ClickText(1);
  EXPECT_EQ(Response().Choice, Flags({3}));
  EXPECT_EQ(Checked(true), Flags({3}));
  ClickText(1);
  EXPECT_EQ(Checked(true), Flags({1, 3}));

  const int record = Set().RecordNumber();
  Ui().NextButton->click();
  EXPECT_EQ(Checked(true), TAnswerFlags{});
  EXPECT_EQ(Checked(false), TAnswerFlags{});
  Ui().PrevButton->click();
  ASSERT_EQ(Set().RecordNumber(), record);
  EXPECT_EQ(Checked(true), Flags({1, 3}));
  EXPECT_EQ(Response().Choice, Flags({1, 3}));
  EXPECT_EQ(Response().Correct, correct);
}

TEST_F(ItemWindowTest, ExhibitButtonsAskThroughTheirHooks) {
  StartAllQuestions();
  GoToItem(false, 2, true);  // the bank's one item with two exhibits
  EXPECT_TRUE(Pane().ExhBtnA->isVisible() && Pane().ExhBtnB->isVisible());
  EXPECT_EQ(Pane().ExhBtnA->geometry(), QRect(1, Pane().QPanel->height() + 2, 93, 25));
  EXPECT_EQ(Pane().ExhBtnB->geometry(), QRect(96, Pane().QPanel->height() + 2, 93, 25));
  int asked1 = 0, asked2 = 0;
  Form().Handlers().Pict1ButtonClick = [&] { ++asked1; };
  Form().Handlers().Pict2ButtonClick = [&] { ++asked2; };
  QTest::keyClick(&Form(), Qt::Key_2, Qt::AltModifier);
  Pane().ExhBtnA->click();
  EXPECT_EQ(asked1, 1);
  EXPECT_EQ(asked2, 1);
}

TEST_F(ItemWindowTest, LearnNowShowsTheKeyUntilTheItemChanges) {
  settings.SetValue("ShowLearnBtn", "1");
  StartAllQuestions();
  EXPECT_TRUE(Ui().LearnButton->isVisible());
  GoToItem(false, 3);
  const TItemContent item = ReadItemContent(Set());
  ClickText(0);
  const ItemResponse before = Response();
  Ui().LearnButton->click();
  EXPECT_TRUE(Pane().ExpText->isVisible());
  EXPECT_EQ(Pane().ExpText->text(), item.expl);
  for (int n = 0; n < kAnswerCount; ++n) EXPECT_EQ(Aqua(n), item.key[static_cast<size_t>(n)]) << n;
  EXPECT_EQ(Response().Choice, before.Choice);
  EXPECT_EQ(Response().Correct, before.Correct);
  // Still answerable while the key shows.
  ClickText(1);
  EXPECT_EQ(Response().Choice, Flags({1}));
  // Resizing re-wraps but keeps the key on screen.
  Form().showNormal();
  Form().resize(1100, 700);
  QCoreApplication::processEvents();
  EXPECT_TRUE(Pane().ExpText->isVisible());

  Ui().NextButton->click();
  EXPECT_FALSE(Pane().ExpText->isVisible());
  for (int n = 0; n < kAnswerCount; ++n) EXPECT_FALSE(Aqua(n));
  Ui().PrevButton->click();
  EXPECT_FALSE(Pane().ExpText->isVisible());
}

TEST_F(ItemWindowTest, LearnButtonIsHiddenByDefault) {
  StartAllQuestions();
  EXPECT_FALSE(Ui().LearnButton->isVisible());
}

TEST_F(ItemWindowTest, ReviewingShowsTheKeyAndUndoesEveryClick) {
  StartAllQuestions();
  GoToItem(false, 3);
  const TItemContent item = ReadItemContent(Set());
  // Answer this item right and the next one wrong.
  int right = 0;
  while (!item.key[static_cast<size_t>(right)]) ++right;
  ClickText(right);
  const int record = Set().RecordNumber();
  Ui().NextButton->click();
  Session().MutableView().correctLabelVisible = true;
  Session().SetExamMode(Reviewing);
  EXPECT_TRUE(Ui().CorrectLabel->isVisible());
  EXPECT_EQ(Ui().CorrectLabel->text(), "Incorrect");
  EXPECT_EQ(Ui().CorrectLabel->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
  EXPECT_TRUE(Pane().ExpText->isVisible());

  Ui().PrevButton->click();
  ASSERT_EQ(Set().RecordNumber(), record);
  EXPECT_EQ(Ui().CorrectLabel->text(), "Correct");
  EXPECT_EQ(Ui().CorrectLabel->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
  for (int n = 0; n < kAnswerCount; ++n) EXPECT_EQ(Aqua(n), item.key[static_cast<size_t>(n)]) << n;
  EXPECT_FALSE(Pane().ALabel[static_cast<size_t>(right)]->accessibleDescription().isEmpty());

  const int other = right == 0 ? 1 : 0;
  const TAnswerFlags stored = Response().Choice;
  ClickText(other);
  Pane().RadioButton[static_cast<size_t>(other)]->click();
  EXPECT_EQ(Checked(false), stored);
  EXPECT_EQ(Response().Choice, stored);
  EXPECT_TRUE(Response().Correct);
}

TEST_F(ItemWindowTest, AccessKeysOfTheContentWinOverTheMenuBar) {
  // "&F" of the selection view against "&File".
  Start([this] { QTest::keyClick(&Form(), Qt::Key_F, Qt::AltModifier); });
  EXPECT_EQ(dialogCaption, "Begin Practice Exam F");
  ASSERT_EQ(Session().ExamMode(), Answering);
  // "&Mark this item" against "Exa&ms"; "&a." picks an answer.
  QTest::keyClick(&Form(), Qt::Key_M, Qt::AltModifier);
  EXPECT_TRUE(Ui().MarkBox->isChecked());
  EXPECT_TRUE(Response().Marked);
  QTest::keyClick(&Form(), Qt::Key_A, Qt::AltModifier);
  EXPECT_TRUE(Response().Choice[0]);
  // The menu bar stays reachable by F10.
  QTest::keyClick(&Form(), Qt::Key_F10);
  EXPECT_EQ(Form().menuBar()->activeAction(), Ui().File1->menuAction());
  Ui().File1->hide();
}

TEST_F(ItemWindowTest, WideningRewrapsAndReturnsToTheTop) {
  Form().showNormal();
  Form().resize(724, 505);
  QCoreApplication::processEvents();
  StartAllQuestions();
  GoToItem(false, 4);
  Ui().ScrollBox1->verticalScrollBar()->setValue(Ui().ScrollBox1->verticalScrollBar()->maximum());
  const int narrowPane = Ui().ScrollBox1->width();
  EXPECT_EQ(narrowPane, 722);
  EXPECT_EQ(Pane().ALabel[0]->width(), 612);
  EXPECT_EQ(Ui().ScrollBox1->Geometry().explanationWidth, 684);
  const int narrowText = Pane().QText->height();
  Form().resize(1600, 505);
  QCoreApplication::processEvents();
  EXPECT_EQ(Pane().ALabel[0]->width(), Ui().ScrollBox1->width() - 110);
  EXPECT_LE(Pane().QText->height(), narrowText);
  EXPECT_EQ(Ui().ScrollBox1->verticalScrollBar()->value(), 0);
}

TEST_F(ItemWindowTest, ItemFontsTakeEffectOnTheItemShown) {
  StartAllQuestions();
  GoToItem(false, 4);
  const int before = Pane().ALabel[0]->height();
  TItemFonts fonts = TItemFonts::Defaults();
  fonts.answer.setPointSize(20);
  fonts.explanation.setItalic(true);
  fonts.questionColor = Qt::darkGreen;
  Form().SetItemFonts(fonts);
  EXPECT_EQ(Pane().ALabel[0]->font().pointSize(), 20);
  EXPECT_EQ(Pane().RadioButton[0]->font().pointSize(), 20);
  EXPECT_EQ(Pane().ExhBtnA->font().pointSize(), 20);
  EXPECT_TRUE(Pane().ExpText->font().italic());
  EXPECT_EQ(Pane().QText->palette().color(QPalette::WindowText), QColor(Qt::darkGreen));
  EXPECT_GT(Pane().ALabel[0]->height(), before);
  EXPECT_EQ(Pane().ALabel[1]->y(), Pane().ALabel[0]->y() + Pane().ALabel[0]->height() + 15);
}

}  // namespace
}  // namespace marvessa
