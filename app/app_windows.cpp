#include "app/app_windows.h"

#include "app/main_form.h"
#include "exam/data/progress_form.h"
#include "exam/presentation/note_form.h"
#include "exam/presentation/pict_form.h"
#include "exam/session/item_windows.h"
#include "exam/session/exam_window_options.h"
#include "exam/printing/exam_printing.h"
#include "exam/printing/qt_report_printer.h"
#include "exam/session/name_form.h"
#include "exam/session/review_form.h"
#include "exam/session/score_form.h"
#include "exam/session/test_form.h"
#include "prefs/about_form.h"
#include "sampler/data_module.h"
#include "sampler/sampler_form.h"

namespace marvessa {

TApplicationWindows::TApplicationWindows(Services services, const QString& programDir) {
  mainForm_ = std::make_unique<TMainForm>(programDir);
  testForm_ = std::make_unique<TTestForm>(TTestForm::Services{services.messages, services.clock, services.settings});
  // The exam window reads its settings as it is created.
  examOptions_ = std::make_unique<TExamWindowOptions>(
      *testForm_, TExamWindowOptions::Services{services.settings, starter_, fontPicker_, filePicker_},
      DefaultCalcPath());
  examOptions_->LoadSettings();
  progressForm_ = std::make_unique<TProgressForm>();
  nameForm_ = std::make_unique<TNameForm>(services.clock);
  testForm_->SetDialogs(*progressForm_, *nameForm_);
  scoreForm_ = std::make_unique<TScoreForm>(services.messages);
  reviewForm_ = std::make_unique<TReviewForm>();
  testForm_->SetGradingWindows(*scoreForm_, *reviewForm_);
  // The note window edits the exam window's tables; the two exhibit
  // windows show the current item's pictures.
  noteForm_ = std::make_unique<TNoteForm>(testForm_->Tables().dtCurrentSet, testForm_->Tables().dtQSet);
  pict1Form_ = std::make_unique<TPict1Form>();
  pict2Form_ = std::make_unique<TPict2Form>();
  ConnectItemWindows(*testForm_, *noteForm_, *pict1Form_, *pict2Form_);

  printer_ = std::make_unique<TQtReportPrinter>(testForm_.get());
  printing_ = std::make_unique<TExamPrinting>(*testForm_, *printer_, services.clock);
  printing_->BindExamWindow();
  printing_->BindScoreForm(*scoreForm_);

  // Start Testing shows the exam window in its selection view; it brings
  // the start window back when it closes.
  mainForm_->OnStartTesting = [this] { testForm_->showMaximized(); };
  testForm_->OnClosed = [this] { mainForm_->show(); };

  // The sampler's data module, the about window, then the sampler. "Test
  // &Sampler" opens it; closing it brings the start window back.
  dm_ = std::make_unique<TDM>();
  aboutForm_ = std::make_unique<TAboutForm>();
  testForm_->Handlers().About1Click = [this] { aboutForm_->exec(); };
  samplerForm_ = std::make_unique<TSamplerForm>(TSamplerForm::Services{*dm_, services.messages});
  samplerForm_->OnAbout = [this] { aboutForm_->exec(); };
  mainForm_->OnSampler = [this] { samplerForm_->Execute(); };
  samplerForm_->OnClosed = [this] { mainForm_->show(); };
}

TApplicationWindows::~TApplicationWindows() {
  // In the reverse order of creation.
  samplerForm_.reset();
  aboutForm_.reset();
  dm_.reset();
  printing_.reset();
  printer_.reset();
  DisconnectItemWindows(*testForm_);
  pict2Form_.reset();
  pict1Form_.reset();
  noteForm_.reset();
  reviewForm_.reset();
  scoreForm_.reset();
  nameForm_.reset();
  progressForm_.reset();
  examOptions_.reset();
  testForm_.reset();
  mainForm_.reset();
}

}  // namespace marvessa
