// The exam session's grading, score report and items review.
#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "exam/data/response_table.h"
#include "exam/session/exam_session.h"
#include "exam/session/grading_views.h"
#include "prefs/message_box.h"

namespace marvessa {

void TExamSession::SetGradingViews(IScoreReport& report, IReviewList& review) {
  scoreReport_ = &report;
  reviewList_ = &review;
  OnGradeButtonClick = [this] { AskAndGrade(); };
}

void TExamSession::AskAndGrade() {
  if (mode_ == Reviewing) {
    ShowScoreReport();
  } else if (mode_ == Answering) {
    if (services_.messages.Ask(TMsgKind::Confirmation, "Marvessa",
                               "This will end your practice exam.\rAre you sure to end this exam?",
                               mbOK | mbCancel) == mbOK)
      ShowScoreReport();
  }
}

void TExamSession::ShowScoreReport() {
  if (!scoreReport_) return;
  if (mode_ == Answering) {
    StopTimer();
    grading_ = GradeResponses(services_.responses);
    scoreReport_->ShowGrading(grading_, ReportTitle(candidateName_, examTitle_));
    state_.itemViewVisible = false;
    state_.gradeCaption = "Score Report";
    Show();
  }
  scoreReport_->Execute();
}

void TExamSession::ViewAnswers() {
  mode_ = Reviewing;
  state_.itemViewVisible = true;
  ReviewControls();
  services_.tables.dtCurrentSet.MoveFirst();
}

void TExamSession::ReviewControls() {
  state_.markBoxVisible = false;
  state_.timeVisible = false;
  state_.learnEnabled = false;
  state_.correctLabelVisible = true;
  state_.reviewLabelVisible = true;
  Show();
}

void TExamSession::Button1Click() {
  if (!reviewList_ || (mode_ != Answering && mode_ != Reviewing)) return;
  reviewList_->FillReviewList(services_.responses,
                              mode_ == Reviewing ? TReviewVariant::Graded : TReviewVariant::Answering);
  reviewList_->Execute();
}

void TExamSession::GoToItem(int recordNumber) {
  isam::TIsamTable& set = services_.tables.dtCurrentSet;
  if (mode_ == Idle || !set.Active()) return;
  set.SetRecordNumber(recordNumber);
}

}  // namespace marvessa
