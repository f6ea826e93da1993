#pragma once
// The printouts as the windows offer them: the exam window's "&Print this
// item" and "Print all items in this exam", and the score window's
// "&Print Report". All go through one printer, kept for the whole run, so
// that the settings chosen in its dialog hold for the next print.
namespace marvessa {

class IClock;
class IReportPrinter;
class TScoreForm;
class TTestForm;

class TExamPrinting {
 public:
  TExamPrinting(TTestForm& form, IReportPrinter& printer, const IClock& clock);
  TExamPrinting(const TExamPrinting&) = delete;
  TExamPrinting& operator=(const TExamPrinting&) = delete;

  // Sets the exam window's two print hooks.
  void BindExamWindow();
  // Sets the score window's "&Print Report" to print the grading it shows.
  void BindScoreForm(TScoreForm& score);

  // Print1Click: the item shown, with the question as the item area shows it.
  void Print1Click();
  // Print2Click: the answer key of the exam; the window stays on its item.
  void Print2Click();

 private:
  TTestForm& form_;
  IReportPrinter& printer_;
  const IClock& clock_;
};

}  // namespace marvessa
