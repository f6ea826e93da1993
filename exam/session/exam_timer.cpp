// The exam session's timer: the remaining time in TimeLabel, counted down
// once a second from the wall clock, and the question when it runs out.
#include "exam/session/exam_session.h"
#include "exam/session/time_counter.h"
#include "prefs/message_box.h"

namespace marvessa {

void TExamSession::SetTimeFormat(const TTimeText& format) { timer1_->SetTimeFormat(format); }

void TExamSession::StartTimer() {
  const bool on = options_.TimerOn && mode_ == Answering;
  state_.timeVisible = on;
  state_.timeText = timer1_->TimeFormat().Format(timeLimit_);
  timer1_->SetEnabled(on);
  timer1_->Restart();
  Show();
}

void TExamSession::Timer1Timer() {
  timeUsed_ = timer1_->TimeFormat().Parse(timer1_->Elapsed());
  // Compared in whole seconds: the limit is minutes / 1440, the count whole
  // seconds / 86400, which need not meet exactly as fractions.
  const bool reached = WholeSeconds(timeUsed_) >= WholeSeconds(timeLimit_);
  state_.timeText = timer1_->TimeFormat().Format(reached ? 0.0 : timeLimit_ - timeUsed_);
  Show();
  if (!reached) return;
  timer1_->Restart();
  timer1_->SetEnabled(false);
  TimeExpired();
}

void TExamSession::TimeExpired() {
  const TMsgButton answer = services_.messages.Ask(
      TMsgKind::Information, "Marvessa", "Your time has expired.\rDo you want continue the exam anyway?",
      mbNo | mbOK);
  if (answer == mbNo) {
    GradeButtonClick();
    return;
  }
  state_.timeVisible = false;
  Show();
}

void TExamSession::StopTimer() {
  state_.timeVisible = false;
  timer1_->SetEnabled(false);
  Show();
}

}  // namespace marvessa
