#pragma once
// TExamSession: the logic of the exam window. It runs one exam at a time:
// the candidate picks one of the ten exam actions, confirms the start dialog,
// the current exam set is built, the items are walked, and closing the exam
// returns the window to its selection view.
//
// The window's look is described by TExamViewState; the session changes it
// and hands it to its IExamView, so the whole state machine can be driven
// and checked without a window.
#include <QString>
#include <functional>

#include "exam/data/exam_mode.h"
#include "exam/data/exam_set_builder.h"
#include "exam/data/random_generator.h"
#include "exam/session/grading.h"

namespace isam {
class TIsamField;
}

namespace marvessa {

class IClock;
class IMessageBox;
class IReviewList;
class IScoreReport;
class ISettingsStore;
class TQuestionTables;
class TResponseTable;

// The start dialog TNameForm as the session uses it.
class IStartDialog {
 public:
  virtual ~IStartDialog() = default;
  virtual void SetCaption(const QString& caption) = 0;
  // The question-count field: its maximum and value, and whether it (and its
  // label) can be used.
  virtual void SetQuestionCount(int maximum, int value, bool enabled) = 0;
  // The time field keeps the value within its range.
  virtual void SetTimeMinutes(int minutes) = 0;
  // Shows the dialog modally; true when it was closed with OK.
  virtual bool Execute() = 0;
  virtual QString CandidateName() const = 0;
  virtual int TimeMinutes() const = 0;
  virtual int QuestionCount() const = 0;
};

struct TExamViewState {
  bool selectionVisible = true;  // Panel4
  bool itemViewVisible = false;  // ScrollBox1
  bool buttonBarVisible = false; // Panel2
  bool titleVisible = true;      // the large title
  bool itemLabelsVisible = false;  // Label1, Label2, MarkBox, Label3
  bool markVisible = true;       // MarkBox, while the item labels show
  bool timeVisible = false;      // TimeLabel
  bool reviewLabelsVisible = false;  // ReviewLabel, CorrectLabel
  bool examsMenuEnabled = true;
  bool printEnabled = false;
  bool learnEnabled = true;
  bool learnVisible = false;
  bool noteVisible = true;
  QString gradeCaption = "&Grade Now";
  QString label1, label2, label3;
  bool prevEnabled = false, nextEnabled = false;
  bool marked = false;
  QString itemText;  // the question text of the current item
};

class IExamView {
 public:
  virtual ~IExamView() = default;
  virtual void Apply(const TExamViewState& state) = 0;
  // Whether the note window is open (item changes are not shown meanwhile).
  virtual bool NoteWindowVisible() const { return false; }
};

struct TExamOptions {
  bool ShowLearnBtn = false;
  bool TimerOn = true;
  bool ShowCalcBtn = true;
  int DefaultTime = 90;
};
TExamOptions LoadExamOptions(const ISettingsStore& store);

class TExamSession {
 public:
  struct Services {
    TQuestionTables& tables;
    TResponseTable& responses;
    IStartDialog& startDialog;
    IProgress& progress;
    IMessageBox& messages;
    const IClock& clock;
    IExamView& view;
  };
  TExamSession(Services services, TExamOptions options);
  ~TExamSession();
  TExamSession(const TExamSession&) = delete;
  TExamSession& operator=(const TExamSession&) = delete;

  // ---- Actions ----
  // One of the ten exam actions by its index in kExamActions.
  void Execute(int action);
  void PrevButtonClick();
  void NextButtonClick();
  void MarkBoxClick(bool checked);
  // "E&xit Exam": asks, and closes the exam on Yes.
  void Button3Click();
  void CloseCurrentExam();
  // Whether the window may close now (asks while answering).
  bool FormCloseQuery();
  void FormClose() { CloseCurrentExam(); }

  // ---- Steps, for the actions above and the windows that join later ----
  void PrepareStartDialog(bool enableCount);
  void StartExam();
  void StartUserExam();
  void ExamControls();
  void dsCurrentSetDataChange(isam::TIsamField* field);

  // ---- State ----
  TExamMode ExamMode() const { return mode_; }
  void SetExamMode(TExamMode mode) { mode_ = mode; }
  const QString& ExamTitle() const { return examTitle_; }
  const QString& CandidateName() const { return candidateName_; }
  int ItemCount() const { return itemCount_; }
  int FirstRecNo() const { return firstRecNo_; }
  double TimeLimit() const { return timeLimit_; }
  const TExamOptions& Options() const { return options_; }
  const TExamViewState& View() const { return state_; }
  TRandomGenerator& Random() { return random_; }
  // Called where the exam timer starts and stops.
  std::function<void()> OnStartTimer, OnStopTimer;

  // ---- Grading and the items review (exam_session_grading.cpp) ----
  // The score report and review windows are created after the exam window.
  void SetGradingViews(IScoreReport& report, IReviewList& review);
  // The grade button: asks while answering, shows the report again in review.
  void GradeButtonClick();
  // Grades on the first call while answering; shows the report every time.
  void ShowScoreReport();
  // "&View Answers" of the score report: the review mode from the first item.
  void ViewAnswers();
  void ReviewControls();
  // "Items &Review": the list in the variant of the mode.
  void Button1Click();
  // The item chosen in the review list.
  void GoToItem(int recordNumber);
  // The last grading (what the score report shows).
  const TGradeResult& Grading() const { return grading_; }

 private:
  void StartBankExam(int action);
  void RunRandomExam(int action);
  void RunUserExam(int action);
  bool ConfirmStart();
  void BeginAnswering();
  void Show() { services_.view.Apply(state_); }

  Services services_;
  TExamOptions options_;
  TExamViewState state_;
  TExamMode mode_ = Idle;
  QString examTitle_, candidateName_;
  int itemCount_ = 0, firstRecNo_ = 0;
  double timeLimit_ = 0;
  TRandomGenerator random_;
  IScoreReport* scoreReport_ = nullptr;
  IReviewList* reviewList_ = nullptr;
  TGradeResult grading_;
};

}  // namespace marvessa
