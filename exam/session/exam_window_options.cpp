#include "exam/session/exam_window_options.h"

#include "exam/presentation/item_fonts.h"
#include "exam/presentation/item_pane.h"
#include "exam/session/test_form.h"
#include "prefs/display_font.h"
#include "prefs/error_display.h"
#include "prefs/options_form.h"
#include "prefs/run_button.h"
#include "prefs/settings_store.h"

namespace marvessa {

TItemFonts ItemFontsOf(const TSettings& s) {
  TItemFonts fonts;
  fonts.question = DisplayFont(s.QuestionFont);
  fonts.answer = DisplayFont(s.AnswerFont);
  fonts.explanation = DisplayFont(s.ExplanationFont);
  fonts.questionColor = DisplayColor(s.QuestionFont.Color);
  fonts.answerColor = DisplayColor(s.AnswerFont.Color);
  fonts.explanationColor = DisplayColor(s.ExplanationFont.Color);
  return fonts;
}

TExamWindowOptions::TExamWindowOptions(TTestForm& window, Services services, QString defaultCalcPath)
    : window_(window), services_(services), defaultCalcPath_(std::move(defaultCalcPath)) {
  form_ = new TOptionsForm(services_.fonts, services_.files, &window_);
  calculator_ = std::make_unique<TRunCommand>(services_.starter, *window_.Ui().ScrollBox1->Ui().CalcButton);
  window_.Handlers().Preferences1Click = [this] { Preferences1Click(); };
  window_.Handlers().CalcButtonClick = [this] { calculator_->Run(); };
}

TExamWindowOptions::~TExamWindowOptions() {
  delete form_.data();
  window_.Handlers().Preferences1Click = nullptr;
  window_.Handlers().CalcButtonClick = nullptr;
}

TOptionsForm& TExamWindowOptions::OptionsForm() { return *form_; }

void TExamWindowOptions::LoadSettings() {
  settings_ = ReadSettings(services_.store, defaultCalcPath_);
  ApplyStartupSettings(settings_, *this);
}

void TExamWindowOptions::Preferences1Click() {
  if (!form_->Execute(settings_, *this)) return;
  SyncExamOptions();  // the default time
  WriteSettings(services_.store, settings_);
}

void TExamWindowOptions::FontChanged(TFontSlot) { window_.SetItemFonts(ItemFontsOf(settings_)); }

void TExamWindowOptions::SetLearnButtonVisible(bool) { SyncExamOptions(); }

void TExamWindowOptions::SetCalcButtonVisible(bool) { SyncExamOptions(); }

void TExamWindowOptions::StartTimer() { SyncExamOptions(); }

bool TExamWindowOptions::AssignCalcPath(const QString& path) {
  try {
    calculator_->SetCommandLine(path);
    return true;
  } catch (const ERunButtonError& error) {
    ShowError(error);
  }
  return false;
}

void TExamWindowOptions::SyncExamOptions() { window_.SetOptions(ExamOptionsOf(settings_)); }

}  // namespace marvessa
