#include "app/app_windows.h"

#include "app/main_form.h"
#include "exam/data/progress_form.h"
#include "exam/presentation/note_form.h"
#include "exam/presentation/pict_form.h"
#include "exam/session/item_windows.h"
#include "exam/session/name_form.h"
#include "exam/session/test_form.h"

namespace marvessa {

TApplicationWindows::TApplicationWindows(Services services, const QString& programDir) {
  mainForm_ = std::make_unique<TMainForm>(programDir);
  testForm_ = std::make_unique<TTestForm>(TTestForm::Services{services.messages, services.clock, services.settings});
  progressForm_ = std::make_unique<TProgressForm>();
  nameForm_ = std::make_unique<TNameForm>(services.clock);
  testForm_->SetDialogs(*progressForm_, *nameForm_);
  // The note window edits the exam window's tables; the two exhibit
  // windows come last.
  noteForm_ = std::make_unique<TNoteForm>(testForm_->Tables().dtCurrentSet, testForm_->Tables().dtQSet);
  pict1Form_ = std::make_unique<TPict1Form>();
  pict2Form_ = std::make_unique<TPict2Form>();
  ConnectItemWindows(*testForm_, *noteForm_, *pict1Form_, *pict2Form_);

  // Start Testing shows the exam window in its selection view; it brings
  // the start window back when it closes.
  mainForm_->OnStartTesting = [this] { testForm_->showMaximized(); };
  testForm_->OnClosed = [this] { mainForm_->show(); };
}

TApplicationWindows::~TApplicationWindows() {
  // In the reverse order of creation.
  DisconnectItemWindows(*testForm_);
  pict2Form_.reset();
  pict1Form_.reset();
  noteForm_.reset();
  nameForm_.reset();
  progressForm_.reset();
  testForm_.reset();
  mainForm_.reset();
}

}  // namespace marvessa
