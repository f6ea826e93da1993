#include "app/app_windows.h"

#include "app/main_form.h"
#include "exam/data/progress_form.h"
#include "exam/session/name_form.h"
#include "exam/session/exam_window_options.h"
#include "exam/session/test_form.h"
#include "prefs/about_form.h"

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
  aboutForm_ = std::make_unique<TAboutForm>();
  testForm_->Handlers().About1Click = [this] { aboutForm_->exec(); };

  // Start Testing shows the exam window in its selection view; it brings
  // the start window back when it closes.
  mainForm_->OnStartTesting = [this] { testForm_->showMaximized(); };
  testForm_->OnClosed = [this] { mainForm_->show(); };
}

TApplicationWindows::~TApplicationWindows() {
  // In the reverse order of creation.
  aboutForm_.reset();
  nameForm_.reset();
  progressForm_.reset();
  examOptions_.reset();
  testForm_.reset();
  mainForm_.reset();
}

}  // namespace marvessa
