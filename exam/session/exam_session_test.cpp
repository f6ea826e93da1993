// The exam session's state machine without any window: a scripted start
// dialog, a recording view, the scripted message box.
#include <filesystem>

#include "exam/session/exam_session_doubles.h"

namespace marvessa {
namespace {

using testing::ExamSessionTest;

TEST_F(ExamSessionTest, AllQuestionsFromStartToExit) {
  session.Execute(FindExamAction("AllQAct"));
  EXPECT_EQ(dialog.caption, "Take All Questions");
  EXPECT_EQ(dialog.minutes, 90);  // the default time
  EXPECT_FALSE(dialog.countEnabled);
  ASSERT_EQ(session.ExamMode(), Answering);
  EXPECT_EQ(session.ItemCount(), 210);
  EXPECT_EQ(session.FirstRecNo(), 1);
  EXPECT_EQ(responses.Count(), 210);
  EXPECT_EQ(view.last.label1, "Item 1 of 210");
  EXPECT_TRUE(view.last.label2.startsWith("Item ID: "));
  EXPECT_FALSE(view.last.selectionVisible);
  EXPECT_FALSE(view.last.learnVisible);  // ShowLearnBtn is off by default

  // Moving to the last item by record number updates the view as well.
  tables.dtCurrentSet.SetRecordNumber(210);
  EXPECT_EQ(view.last.label1, "Item 210 of 210");
  EXPECT_TRUE(view.last.prevEnabled);
  EXPECT_FALSE(view.last.nextEnabled);

  EXPECT_TRUE(session.FormCloseQuery());  // the scripted box answers OK
  box.Answer(mbYes);
  session.Button3Click();
  EXPECT_EQ(session.ExamMode(), Idle);
  EXPECT_TRUE(view.last.selectionVisible);
  // In Idle, moves of the (closed) set show nothing; closing asks nothing.
  int applied = view.applied;
  box.Clear();
  EXPECT_TRUE(session.FormCloseQuery());
  EXPECT_TRUE(box.Messages().empty());
  EXPECT_EQ(view.applied, applied);
}

TEST_F(ExamSessionTest, PracticeExamWithoutQuestionsShowsNothing) {
  // Exam G's items moved out of every practice exam.
  tables.dtQSet.Open();
  tables.dtQSet.SetFilter("Q_EXAM_N=7");
  tables.dtQSet.SetFiltered(true);
  while (!tables.dtQSet.IsTableEmpty()) {
    tables.dtQSet.MoveFirst();
    tables.dtQSet.BeginEdit();
    tables.dtQSet.FieldNamed("Q_EXAM_N").SetIntegerValue(0);
    tables.dtQSet.PostRecord();
  }
  tables.dtQSet.Close();
  session.Execute(FindExamAction("Action7"));
  EXPECT_EQ(dialog.maximum, 180);
  EXPECT_EQ(session.ExamMode(), Answering);
  EXPECT_EQ(session.ItemCount(), 0);
  EXPECT_EQ(view.last.label1, "Item 0 of 0");
  EXPECT_FALSE(view.last.prevEnabled || view.last.nextEnabled);
  session.MarkBoxClick(true);  // nothing to mark
  EXPECT_EQ(responses.Count(), 0);
}

TEST_F(ExamSessionTest, RandomExamStartsFromTheDefaultTimeAndThenKeepsItsLast) {
  TExamOptions o;
  o.DefaultTime = 45;
  TExamSession fresh{{tables, responses, box, clock, view}, o};
  testing::TScriptedStartDialog first;
  first.ok = false;
  fresh.SetDialogs(first, progress);
  fresh.Execute(FindExamAction("RandAct"));
  EXPECT_EQ(first.shown, 1);
  EXPECT_EQ(first.minutes, 45);
  first.minutes = 12;  // typed by the candidate
  fresh.Execute(FindExamAction("RandAct"));
  EXPECT_EQ(first.minutes, 12);
}

TEST_F(ExamSessionTest, AFailedPreparationLeavesTheWindowReadyForTheNextExam) {
  // A damaged bank: Q_ID 5 is gone, so All Questions fails part-way.
  isam::TIsamTable& bank = tables.dtQSet;
  bank.Open();
  bank.BeginKeySearch();
  bank.FieldNamed("Q_ID").SetIntegerValue(5);
  ASSERT_TRUE(bank.SeekKey());
  bank.DeleteRecord();
  bank.Close();

  EXPECT_THROW(session.Execute(FindExamAction("AllQAct")), std::exception);
  EXPECT_EQ(session.ExamMode(), Idle);
  EXPECT_TRUE(view.last.selectionVisible);
  EXPECT_FALSE(view.last.buttonBarVisible);
  EXPECT_FALSE(bank.Active() || tables.dtCurrentSet.Active() || tables.dtUserSet.Active());

  // With the bank mended, the next start goes through (before, every later
  // start failed on the current exam set left open).
  for (const char* ext : {".DAT", ".IDX", ".BLB"})
    std::filesystem::copy_file(std::string(MARVESSA_RUNTIME_DIR) + "/qvault" + ext, std::string("qvault") + ext,
                               std::filesystem::copy_options::overwrite_existing);
  session.Execute(FindExamAction("AllQAct"));
  EXPECT_EQ(session.ExamMode(), Answering);
  EXPECT_EQ(session.ItemCount(), 210);
}

}  // namespace
}  // namespace marvessa
