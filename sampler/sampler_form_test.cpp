// The test sampler driven as a candidate drives it: writing, saving,
// cancelling, deleting and emptying items, the texts that follow the user
// set's state, leaving the window, and a User Exam of what was written.
#include <gtest/gtest.h>

#include "sampler/sampler_fixture.h"

namespace marvessa::testing {
namespace {

TEST_F(SamplerTest, AnEmptySetShowsSoAndOffersOnlyAdding) {
  EXPECT_EQ(Sampler().windowTitle(), "Plindor Test Sampler");
  EXPECT_EQ(Sampler().size(), QSize(646, 481));
  EXPECT_EQ(Sampler().minimumSize(), QSize(646, 462));
  EXPECT_EQ(S().PageControl1->currentIndex(), 0);
  EXPECT_EQ(Header(), "The question set is empty");
  EXPECT_EQ(Panel(1), " Empty");
  EXPECT_EQ(Panel(2), " Items: 0");
  EXPECT_EQ(Panel(3), "  Browsing");
  EXPECT_TRUE(S().AddAct->isEnabled());
  EXPECT_FALSE(S().EditAct->isEnabled());
  EXPECT_FALSE(S().DelAct->isEnabled());
  EXPECT_FALSE(S().BitBtn1->isEnabled());
  EXPECT_FALSE(S().BitBtn2->isEnabled());
  EXPECT_TRUE(ListEntries().empty());
  EXPECT_EQ(S().ComboBox1->currentText(), "Single responce");
  ASSERT_EQ(S().ListBox1->count(), 7);
  EXPECT_EQ(S().ListBox1->item(2)->text(), "Managing Resources");
}

TEST_F(SamplerTest, TheFirstItemIsSavedWithItsTypeSectionAndCorrectChoices) {
  Trigger(S().AddAct);
  EXPECT_EQ(Header(), "Add new item");
  EXPECT_EQ(Panel(3), " Add new item");
  EXPECT_EQ(Panel(4), " Modified");
  EXPECT_TRUE(S().BitBtn1->isEnabled());
  for (QAction* a : {S().AddAct, S().EditAct, S().DelAct}) EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
  EXPECT_FALSE(S().ItemList->isEnabled());
  EXPECT_FALSE(S().DBNavigator1->isEnabled());
  EXPECT_EQ(Sampler().focusWidget(), S().QuestionMemo);

  Type(S().QuestionMemo, "Which command lists the files?");
  ChooseType(1);
  ChooseSection(2);
  S().PageControl1->setCurrentIndex(2);
  Type(Answer(1), "ls");
  Type(Answer(3), "dir");
  S().AnswerBoxes[2]->click();  // "c."
  S().PageControl1->setCurrentIndex(3);
  Type(S().ExplanationMemo, "Both list files.");
  Click(S().BitBtn1);

  EXPECT_EQ(Panel(4), " Saved") << Shown();
  EXPECT_EQ(Panel(3), "  Browsing");
  isam::TIsamTable& t = UserSet();
  const int id = t.FieldNamed("Q_ID").IntegerValue();
  EXPECT_GT(id, 0);
  EXPECT_EQ(Header(), QString("Item ID: %1").arg(id));
  EXPECT_EQ(Panel(1), QString(" Item ID: %1").arg(id));
  EXPECT_EQ(Panel(2), " Items: 1");
  EXPECT_TRUE(t.FieldNamed("Q_TYPE").BooleanValue());
  EXPECT_EQ(t.FieldNamed("Q_SECT").IntegerValue(), 3);
  EXPECT_EQ(t.FieldNamed("Q_TEXT").StringValue(), "Which command lists the files?");
  EXPECT_EQ(t.FieldNamed("Q_EXPL").StringValue(), "Both list files.");
  EXPECT_EQ(t.FieldNamed("Q1").StringValue(), "ls");
  EXPECT_EQ(t.FieldNamed("Q3").StringValue(), "dir");
  EXPECT_TRUE(t.FieldNamed("A3").BooleanValue());
  for (const char* unchecked : {"A1", "A2", "A4", "A5", "A6"}) EXPECT_FALSE(t.FieldNamed(unchecked).BooleanValue());
  for (QAction* a : {S().AddAct, S().EditAct, S().DelAct}) EXPECT_TRUE(a->isEnabled());
  EXPECT_TRUE(S().ItemList->isEnabled());
  EXPECT_FALSE(S().BitBtn1->isEnabled());
  EXPECT_EQ(ListEntries(), std::vector<QString>{QString::number(id)});

  // A new item starts with the type and section on show.
  Trigger(S().AddAct);
  EXPECT_EQ(S().ComboBox1->currentIndex(), 1);
  EXPECT_EQ(S().ListBox1->currentRow(), 2);
  EXPECT_FALSE(AnswerBox(3)->isChecked());
  EXPECT_TRUE(Answer(1)->text().isEmpty());
}

TEST_F(SamplerTest, CancellingTheFirstAdditionReturnsToTheEmptyDisplay) {
  Trigger(S().AddAct);
  Type(S().QuestionMemo, "Never kept");
  Click(S().BitBtn2);
  EXPECT_EQ(Header(), "The question set is empty");
  EXPECT_EQ(Panel(1), " Empty");
  EXPECT_EQ(Panel(4), "");
  EXPECT_TRUE(S().AddAct->isEnabled());
  EXPECT_FALSE(S().EditAct->isEnabled());
  EXPECT_FALSE(S().DelAct->isEnabled());
  EXPECT_TRUE(S().QuestionMemo->toPlainText().isEmpty());
  EXPECT_TRUE(UserSet().IsTableEmpty());
}

TEST_F(SamplerTest, DeletingAsksAndTheLastDeletionShowsTheEmptySet) {
  AddItem("First");
  AddItem("Second");
  ASSERT_EQ(ListEntries().size(), 2u);

  box.Answer(mbCancel);
  Trigger(S().DelAct);
  EXPECT_EQ(box.Last().kind, TMsgKind::Confirmation);
  EXPECT_EQ(box.Last().text, "Are you sure to delete this item?");
  EXPECT_EQ(box.Last().buttons, mbOK | mbCancel);
  EXPECT_EQ(UserSet().CountRecords(), 2);

  box.Answer(mbOK);
  Trigger(S().DelAct);
  EXPECT_EQ(Panel(2), " Items: 1");
  EXPECT_EQ(ListEntries().size(), 1u);
  box.Answer(mbOK);
  Trigger(S().DelAct);
  EXPECT_EQ(Header(), "The question set is empty");
  EXPECT_EQ(Panel(1), " Empty");
  EXPECT_FALSE(S().EditAct->isEnabled());
  EXPECT_FALSE(S().DelAct->isEnabled());
  EXPECT_TRUE(ListEntries().empty());
}

TEST_F(SamplerTest, EmptyingTheSetAsksAndRemovesEveryItemOnlyWhenConfirmed) {
  AddItem("First");
  AddItem("Second");

  box.Answer(mbCancel);
  Trigger(S().Emptyquestionset1);
  EXPECT_EQ(box.Last().kind, TMsgKind::Warning);
  EXPECT_EQ(box.Last().text, "This action will erase all items in this question set!\rAre you sure?");
  EXPECT_EQ(UserSet().CountRecords(), 2);
  EXPECT_TRUE(UserSet().Active());

  box.Answer(mbOK);
  Trigger(S().Emptyquestionset1);
  EXPECT_TRUE(UserSet().Active());
  EXPECT_TRUE(UserSet().IsTableEmpty());
  EXPECT_EQ(Header(), "The question set is empty");
  EXPECT_TRUE(ListEntries().empty());
  EXPECT_FALSE(S().DelAct->isEnabled());

  // Emptying during an addition drops it and gives the actions back.
  Trigger(S().AddAct);
  box.Answer(mbOK);
  Trigger(S().Emptyquestionset1);
  EXPECT_TRUE(S().AddAct->isEnabled());
  EXPECT_TRUE(S().ItemList->isEnabled());
  EXPECT_FALSE(S().BitBtn1->isEnabled());
  AddItem("After emptying");
  EXPECT_EQ(UserSet().CountRecords(), 1);
}

TEST_F(SamplerTest, LeavingAsksAndDropsAnItemBeingAdded) {
  AddItem("Kept");
  Trigger(S().AddAct);
  Type(S().QuestionMemo, "Dropped");

  box.Answer(mbCancel);
  EXPECT_FALSE(Sampler().close());
  EXPECT_EQ(box.Last().text, "Are you sure to exit?");
  EXPECT_EQ(box.Last().kind, TMsgKind::Confirmation);
  EXPECT_EQ(closedCount, 0);
  EXPECT_EQ(UserSet().State(), isam::TDataSetState::dsInsert);

  box.Answer(mbOK);
  Trigger(S().Exit1);
  EXPECT_FALSE(Sampler().isVisible());
  EXPECT_EQ(closedCount, 1);
  EXPECT_FALSE(UserSet().Active());

  Open();
  EXPECT_EQ(UserSet().CountRecords(), 1);
  EXPECT_EQ(UserSet().FieldNamed("Q_TEXT").StringValue(), "Kept");
  EXPECT_EQ(S().QuestionMemo->toPlainText(), "Kept");
  EXPECT_TRUE(S().AddAct->isEnabled());
  EXPECT_TRUE(S().EditAct->isEnabled());
  EXPECT_EQ(Panel(4), "");
}

TEST_F(SamplerTest, TypingStartsAnEditThatKeepsTheActionsAndIsWrittenOnAMove) {
  AddItem("One", 0);
  AddItem("Two", 4);
  S().DBNavigator1->Button(TNavigatorLink::nbFirst)->click();
  Settle();
  EXPECT_EQ(S().QuestionMemo->toPlainText(), "One");
  EXPECT_EQ(S().ListBox1->currentRow(), 0);
  EXPECT_EQ(S().ItemList->currentRow(), 0);
  EXPECT_FALSE(S().DBNavigator1->Button(TNavigatorLink::nbPrior)->isEnabled());
  EXPECT_TRUE(S().DBNavigator1->Button(TNavigatorLink::nbLast)->isEnabled());

  Type(Answer(2), "typed");
  EXPECT_EQ(Header(), "Edit Item");
  EXPECT_EQ(Panel(3), " Edit Item");
  EXPECT_EQ(Panel(4), " Modified");
  EXPECT_TRUE(S().BitBtn1->isEnabled());
  for (QAction* a : {S().AddAct, S().EditAct, S().DelAct}) EXPECT_TRUE(a->isEnabled());
  EXPECT_TRUE(S().ItemList->isEnabled());
  EXPECT_TRUE(S().DBNavigator1->isEnabled());

  // Moving writes the typed answer; the type chosen meanwhile is no field
  // and is lost without "Save".
  ChooseType(1);
  S().ItemList->setCurrentRow(1);
  Settle();
  EXPECT_EQ(S().QuestionMemo->toPlainText(), "Two");
  EXPECT_EQ(S().ListBox1->currentRow(), 4);
  EXPECT_EQ(Panel(3), "  Browsing");
  S().ItemList->setCurrentRow(0);
  Settle();
  EXPECT_EQ(UserSet().FieldNamed("Q2").StringValue(), "typed");
  EXPECT_FALSE(UserSet().FieldNamed("Q_TYPE").BooleanValue());
  EXPECT_EQ(S().ComboBox1->currentIndex(), 0);
  EXPECT_EQ(Answer(2)->text(), "typed");

  // Choosing a section alone starts an edit too.
  ChooseSection(6);
  EXPECT_EQ(UserSet().State(), isam::TDataSetState::dsEdit);
  Click(S().BitBtn1);
  EXPECT_EQ(UserSet().FieldNamed("Q_SECT").IntegerValue(), 7);
}

TEST_F(SamplerTest, AnAnswerLongerThanItsFieldIsRefusedNotCut) {
  Trigger(S().AddAct);
  const QString full(250, 'x');
  Type(Answer(1), full);
  EXPECT_TRUE(box.Messages().empty());
  Type(Answer(1), "y");
  EXPECT_EQ(Answer(1)->text(), full);
  ASSERT_FALSE(box.Messages().empty());
  EXPECT_EQ(box.Last().kind, TMsgKind::Warning);
  EXPECT_TRUE(box.Last().text.contains("250")) << box.Last().text.toStdString();

  // A paste that would not fit changes nothing at all.
  box.Clear();
  Answer(2)->setFocus();
  Answer(2)->insert(QString(300, 'p'));
  EXPECT_TRUE(Answer(2)->text().isEmpty());
  EXPECT_EQ(box.Messages().size(), 1u);
  Click(S().BitBtn1);
  EXPECT_EQ(UserSet().FieldNamed("Q1").StringValue(), std::string(250, 'x'));
  EXPECT_EQ(UserSet().FieldNamed("Q2").StringValue(), "");
}

TEST_F(SamplerTest, AnswerFieldsKeepTheirMarginWhenTheWindowResizes) {
  S().PageControl1->setCurrentIndex(2);
  for (QSize size : {QSize(646, 481), QSize(900, 600)}) {
    Sampler().resize(size);
    QCoreApplication::processEvents();
    const int expected = S().TabSheets[2]->width() - 44 - 10;
    for (int n = 1; n <= 6; ++n) {
      EXPECT_EQ(Answer(n)->x(), 44);
      EXPECT_EQ(Answer(n)->width(), expected) << size.width();
    }
    EXPECT_EQ(AnswerBox(1)->x(), 12);
  }
}

TEST_F(SamplerTest, TheTypeTabPutsTheFocusInTheSectionListAndAboutOpensTheAboutWindow) {
  Sampler().activateWindow();
  S().PageControl1->setCurrentIndex(1);
  EXPECT_EQ(Sampler().focusWidget(), S().ListBox1);
  Trigger(S().About1);
  EXPECT_EQ(aboutCount, 1);
}

TEST_F(SamplerTest, AUserExamAsksTheItemsWritten) {
  AddItem("Sampler question one", 1);
  AddItem("Sampler question two", 5);
  std::vector<int> written;
  for (UserSet().MoveFirst(); !UserSet().AtEnd(); UserSet().MoveNext())
    written.push_back(UserSet().FieldNamed("Q_ID").IntegerValue());
  box.Answer(mbOK);
  Trigger(S().Exit1);

  StartWith(Ui().LargeButtons[2]);
  EXPECT_EQ(Session().ExamMode(), Answering);
  EXPECT_EQ(Session().ItemCount(), 2);
  std::set<QString> texts{Ui().QText->text()};
  std::vector<int> asked = WalkForward();
  texts.insert(Ui().QText->text());
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, written);
  EXPECT_EQ(texts, (std::set<QString>{"Sampler question one", "Sampler question two"}));
}

}  // namespace
}  // namespace marvessa::testing
