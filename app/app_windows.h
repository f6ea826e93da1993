#pragma once
// The program's windows, each created once at start-up in a fixed order and
// kept until the process ends: the start window first (it sets the working
// directory), then the exam window (it registers the table password), then
// the progress window and the start dialog. The windows of the score report,
// review, notes, options, about, the sampler and the exhibits take their
// places in this order as they are added.
#include <QString>
#include <memory>

namespace marvessa {

class IClock;
class IMessageBox;
class ISettingsStore;
class TMainForm;
class TNameForm;
class TExamPrinting;
class TProgressForm;
class TQtReportPrinter;
class TReviewForm;
class TScoreForm;
class TTestForm;

class TApplicationWindows {
 public:
  struct Services {
    IMessageBox& messages;
    const IClock& clock;
    const ISettingsStore& settings;
  };
  TApplicationWindows(Services services, const QString& programDir);
  ~TApplicationWindows();
  TApplicationWindows(const TApplicationWindows&) = delete;
  TApplicationWindows& operator=(const TApplicationWindows&) = delete;

  TMainForm& MainForm() { return *mainForm_; }
  TTestForm& TestForm() { return *testForm_; }
  TProgressForm& ProgressForm() { return *progressForm_; }
  TNameForm& NameForm() { return *nameForm_; }
  TScoreForm& ScoreForm() { return *scoreForm_; }
  TReviewForm& ReviewForm() { return *reviewForm_; }

 private:
  std::unique_ptr<TMainForm> mainForm_;
  std::unique_ptr<TTestForm> testForm_;
  std::unique_ptr<TProgressForm> progressForm_;
  std::unique_ptr<TNameForm> nameForm_;
  // The printer of the whole run (its dialog's settings carry over) and the
  // print commands of the exam window.
  std::unique_ptr<TQtReportPrinter> printer_;
  std::unique_ptr<TExamPrinting> printing_;
  std::unique_ptr<TScoreForm> scoreForm_;
  std::unique_ptr<TReviewForm> reviewForm_;
};

}  // namespace marvessa
