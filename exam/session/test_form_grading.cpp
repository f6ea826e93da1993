// The exam window's grade and review buttons and the windows they open.
#include <QPushButton>

#include "exam/session/review_form.h"
#include "exam/session/score_form.h"
#include "exam/session/test_form.h"
#include "prefs/error_display.h"

namespace marvessa {

void TTestForm::SetGradingWindows(TScoreForm& score, TReviewForm& review) {
  session_->SetGradingViews(score, review);
  score.OnViewAnswers = [this] { session_->ViewAnswers(); };
  score.OnExitExam = [this] { session_->CloseCurrentExam(); };
  review.OnGoToRecord = [this](int recordNumber) { session_->GoToItem(recordNumber); };
  connect(ui_.GradeButton, &QPushButton::clicked, this, Guarded([this](bool) { session_->GradeButtonClick(); }));
  connect(ui_.Button1, &QPushButton::clicked, this, Guarded([this](bool) { session_->Button1Click(); }));
}

}  // namespace marvessa
