// Grading and the items review in the exam session without windows: the
// score report and review list are doubles that record what they were given.
#include "exam/session/exam_session_doubles.h"
#include "exam/session/grading_views.h"

namespace marvessa {
namespace {

struct TRecordingReport : IScoreReport {
  int filled = 0, shown = 0;
  TGradeResult result;
  QString title;
  std::function<void()> whileShown;
  void ShowGrading(const TGradeResult& r, const QString& t) override {
    ++filled;
    result = r;
    title = t;
  }
  void Execute() override {
    ++shown;
    if (whileShown) whileShown();
  }
};

struct TRecordingReview : IReviewList {
  int shown = 0;
  TReviewVariant variant{};
  int entries = -1;
  void FillReviewList(const TResponseTable& r, TReviewVariant v) override {
    entries = r.Count();
    variant = v;
  }
  void Execute() override { ++shown; }
};

class ExamGradingTest : public testing::ExamSessionTest {
 protected:
  ExamGradingTest() { session.SetGradingViews(report, review); }
  TRecordingReport report;
  TRecordingReview review;
};

TEST_F(ExamGradingTest, AnExamWithoutItemsHasNothingToGrade) {
  // Exam G's items moved out of every practice exam.
  isam::TIsamTable& bank = tables.dtQSet;
  bank.Open();
  bank.SetFilter("Q_EXAM_N=7");
  bank.SetFiltered(true);
  while (!bank.IsTableEmpty()) {
    bank.MoveFirst();
    bank.BeginEdit();
    bank.FieldNamed("Q_EXAM_N").SetIntegerValue(0);
    bank.PostRecord();
  }
  bank.Close();
  session.Execute(FindExamAction("Action7"));
  ASSERT_EQ(session.ItemCount(), 0);

  box.Answer(mbOK);
  report.whileShown = [&] { session.ViewAnswers(); };
  session.GradeButtonClick();
  EXPECT_EQ(report.shown, 1);
  EXPECT_TRUE(report.result.NothingToGrade());
  EXPECT_EQ(report.title, "Kim,  Marvessa,  Practice Exam G");
  EXPECT_EQ(session.ExamMode(), Reviewing);
  EXPECT_EQ(view.last.label1, "Item 0 of 0");
  session.Button1Click();
  EXPECT_EQ(review.entries, 0);
  EXPECT_EQ(review.variant, TReviewVariant::Graded);
}

TEST_F(ExamGradingTest, GradedOnceShownAgainInReview) {
  session.Execute(FindExamAction("Action1"));
  ASSERT_EQ(session.ItemCount(), 30);
  session.Button1Click();
  EXPECT_EQ(review.variant, TReviewVariant::Answering);
  EXPECT_EQ(review.entries, 30);

  for (int i = 0; i < 30; ++i) responses[i].Correct = i % 2 == 0;
  box.Answer(mbOK);
  session.GradeButtonClick();  // left open: still answering, nothing else counts anew
  EXPECT_EQ(report.filled, 1);
  EXPECT_EQ(report.result.correctCount, 15);
  EXPECT_EQ(view.last.gradeCaption, "Score Report");
  EXPECT_FALSE(view.last.itemViewVisible);
  EXPECT_FALSE(view.last.timeVisible);

  session.ViewAnswers();
  EXPECT_EQ(session.ExamMode(), Reviewing);
  EXPECT_TRUE(view.last.itemViewVisible);
  EXPECT_FALSE(view.last.markBoxVisible);
  EXPECT_TRUE(view.last.correctLabelVisible && view.last.reviewLabelVisible);
  EXPECT_FALSE(view.last.learnEnabled);
  EXPECT_EQ(view.last.label1, "Item 1 of 30");

  for (int i = 0; i < 30; ++i) responses[i].Correct = true;
  box.Clear();
  session.GradeButtonClick();
  EXPECT_TRUE(box.Messages().empty());
  EXPECT_EQ(report.shown, 2);
  EXPECT_EQ(report.filled, 1);
  EXPECT_EQ(session.Grading().correctCount, 15);

  session.GoToItem(12);
  EXPECT_EQ(view.last.label1, "Item 12 of 30");
  // In Idle the buttons do nothing.
  box.Answer(mbYes);
  session.Button3Click();
  session.GradeButtonClick();
  session.Button1Click();
  EXPECT_EQ(report.shown, 2);
  EXPECT_EQ(review.shown, 1);
}

}  // namespace
}  // namespace marvessa
