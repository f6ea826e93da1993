#include "app/app_windows.h"

#include "app/main_form.h"
#include "exam/data/progress_form.h"
#include "exam/printing/exam_printing.h"
#include "exam/printing/qt_report_printer.h"
#include "exam/session/name_form.h"
#include "exam/session/review_form.h"
#include "exam/session/score_form.h"
#include "exam/session/test_form.h"

namespace marvessa {

TApplicationWindows::TApplicationWindows(Services services, const QString& programDir) {
  mainForm_ = std::make_unique<TMainForm>(programDir);
  testForm_ = std::make_unique<TTestForm>(TTestForm::Services{services.messages, services.clock, services.settings});
  progressForm_ = std::make_unique<TProgressForm>();
  nameForm_ = std::make_unique<TNameForm>(services.clock);
  testForm_->SetDialogs(*progressForm_, *nameForm_);
  scoreForm_ = std::make_unique<TScoreForm>(services.messages);
  reviewForm_ = std::make_unique<TReviewForm>();
  testForm_->SetGradingWindows(*scoreForm_, *reviewForm_);

  printer_ = std::make_unique<TQtReportPrinter>(testForm_.get());
  printing_ = std::make_unique<TExamPrinting>(*testForm_, *printer_, services.clock);
  printing_->BindExamWindow();
  printing_->BindScoreForm(*scoreForm_);

  // Start Testing shows the exam window in its selection view; it brings
  // the start window back when it closes.
  mainForm_->OnStartTesting = [this] { testForm_->showMaximized(); };
  testForm_->OnClosed = [this] { mainForm_->show(); };
}

TApplicationWindows::~TApplicationWindows() {
  // In the reverse order of creation.
  printing_.reset();
  printer_.reset();
  reviewForm_.reset();
  scoreForm_.reset();
  nameForm_.reset();
  progressForm_.reset();
  testForm_.reset();
  mainForm_.reset();
}

}  // namespace marvessa
