// The exam window's grade and review buttons and the windows they open.
#include "exam/session/review_form.h"
#include "exam/session/score_form.h"
#include "exam/session/test_form.h"

namespace marvessa {

void TTestForm::SetGradingWindows(TScoreForm& score, TReviewForm& review) {
  session_->SetGradingViews(score, review);
  score.OnViewAnswers = [this] { session_->ViewAnswers(); };
  score.OnExitExam = [this] { session_->CloseCurrentExam(); };
  review.OnGoToRecord = [this](int recordNumber) { session_->GoToItem(recordNumber); };
  hooks_.Button1Click = [this] { session_->Button1Click(); };
}

}  // namespace marvessa
