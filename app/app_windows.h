#pragma once
// The program's windows, each created once at start-up in a fixed order and
// kept until the process ends: the start window first (it sets the working
// directory), then the exam window (it registers the table password), then
// the progress window and the start dialog, the score report and the items
// review, the note and exhibit windows, the printouts, the sampler's data
// module, the about window and the sampler.
#include <QString>
#include <memory>

#include "prefs/pickers.h"
#include "prefs/program_starter.h"

namespace marvessa {

class IClock;
class IMessageBox;
class ISettingsStore;
class TAboutForm;
class TDM;
class TExamPrinting;
class TExamWindowOptions;
class TMainForm;
class TNameForm;
class TNoteForm;
class TPict1Form;
class TPict2Form;
class TProgressForm;
class TQtReportPrinter;
class TReviewForm;
class TSamplerForm;
class TScoreForm;
class TTestForm;

class TApplicationWindows {
 public:
  struct Services {
    IMessageBox& messages;
    const IClock& clock;
    ISettingsStore& settings;  // written by the options dialog
  };
  TApplicationWindows(Services services, const QString& programDir);
  ~TApplicationWindows();
  TApplicationWindows(const TApplicationWindows&) = delete;
  TApplicationWindows& operator=(const TApplicationWindows&) = delete;

  TMainForm& MainForm() { return *mainForm_; }
  TTestForm& TestForm() { return *testForm_; }
  TProgressForm& ProgressForm() { return *progressForm_; }
  TNameForm& NameForm() { return *nameForm_; }
  TExamWindowOptions& ExamOptions() { return *examOptions_; }
  TScoreForm& ScoreForm() { return *scoreForm_; }
  TReviewForm& ReviewForm() { return *reviewForm_; }
  TDM& DM() { return *dm_; }
  // The one about window of the exam window's and the sampler's Help menus.
  TAboutForm& AboutForm() { return *aboutForm_; }
  TSamplerForm& SamplerForm() { return *samplerForm_; }
  TNoteForm& NoteForm() { return *noteForm_; }
  TPict1Form& Pict1Form() { return *pict1Form_; }
  TPict2Form& Pict2Form() { return *pict2Form_; }

 private:
  std::unique_ptr<TMainForm> mainForm_;
  std::unique_ptr<TTestForm> testForm_;
  std::unique_ptr<TProgressForm> progressForm_;
  std::unique_ptr<TNameForm> nameForm_;
  // The options: the platform's font and file dialogs, starting programs.
  TQtFontPicker fontPicker_;
  TQtFilePicker filePicker_;
  TPosixProgramStarter starter_;
  std::unique_ptr<TExamWindowOptions> examOptions_;
  // The printer of the whole run (its dialog's settings carry over) and the
  // print commands of the exam window.
  std::unique_ptr<TQtReportPrinter> printer_;
  std::unique_ptr<TExamPrinting> printing_;
  std::unique_ptr<TScoreForm> scoreForm_;
  std::unique_ptr<TReviewForm> reviewForm_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<TAboutForm> aboutForm_;
  std::unique_ptr<TSamplerForm> samplerForm_;
  std::unique_ptr<TNoteForm> noteForm_;
  std::unique_ptr<TPict1Form> pict1Form_;
  std::unique_ptr<TPict2Form> pict2Form_;
};

}  // namespace marvessa
