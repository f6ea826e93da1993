// The exam session's state machine without any window: a scripted start
// dialog, a recording view, the scripted message box.
#include "exam/session/exam_session.h"

#include <gtest/gtest.h>

#include "exam/data/question_tables.h"
#include "exam/data/response_table.h"
#include "exam/data/test_bank.h"
#include "exam/session/exam_actions.h"
#include "prefs/clock.h"
#include "prefs/message_box.h"

namespace marvessa {
namespace {

struct TScriptedStartDialog : IStartDialog {
  QString caption;
  int maximum = 0, count = 0, minutes = 0;
  bool countEnabled = false, ok = true;
  int shown = 0;
  void SetCaption(const QString& c) override { caption = c; }
  void SetQuestionCount(int m, int v, bool e) override {
    maximum = m;
    count = v;
    countEnabled = e;
  }
  void SetTimeMinutes(int m) override { minutes = std::clamp(m, 1, 600); }
  bool Execute() override {
    ++shown;
    return ok;
  }
  QString CandidateName() const override { return "Kim"; }
  int TimeMinutes() const override { return minutes; }
  int QuestionCount() const override { return count; }
};

struct TRecordingView : IExamView {
  int applied = 0;
  TExamViewState last;
  void Apply(const TExamViewState& s) override {
    ++applied;
    last = s;
  }
};

struct TNoProgress : IProgress {
  void Show() override {}
  void SetMaximum(int) override {}
  void SetPosition(int) override {}
  void Close() override {}
};

class ExamSessionTest : public ::testing::Test {
 protected:
  ExamSessionTest() { session.SetDialogs(dialog, progress); }
  testing::TBankFolder folder;
  TQuestionTables tables;
  TResponseTable responses;
  TScriptedStartDialog dialog;
  TNoProgress progress;
  TScriptedMessageBox box;
  TFixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(9, 0), Qt::UTC)};
  TRecordingView view;
  TExamSession session{{tables, responses, box, clock, view}, TExamOptions{}};
};

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

}  // namespace
}  // namespace marvessa
