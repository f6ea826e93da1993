#pragma once
// TExamSession: the logic of the exam window. It runs one exam at a time:
// the candidate picks one of the ten exam actions, confirms the start dialog,
// the current exam set is built, the items are walked and answered against
// the clock, and closing the exam returns the window to its selection view.
//
// The window's look is described by TExamViewState; the session changes it
// and hands it to its IExamView, so the whole state machine can be driven
// and checked without a window.
#include <QString>
#include <functional>
#include <memory>

#include "exam/data/exam_mode.h"
#include "exam/data/exam_set_builder.h"
#include "exam/data/random_generator.h"
#include "exam/presentation/item_content.h"
#include "exam/presentation/key_display.h"
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
class TKZTimeCounter;
class TQuestionTables;
class TResponseTable;
class TTimeText;
struct ItemResponse;
struct TExamAction;
enum class TExamSource;

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
  bool itemLabelsVisible = false;  // Label1, Label2, Label3
  bool markBoxVisible = false;   // MarkBox
  bool timeVisible = false;      // TimeLabel
  QString timeText;              // its text, as formatted (designators are "\r")
  bool reviewLabelVisible = false;   // ReviewLabel
  bool correctLabelVisible = false;  // CorrectLabel, in the place of the mark box
  bool examsMenuEnabled = true;
  bool printEnabled = false;
  bool learnEnabled = true;
  bool learnVisible = false;
  bool noteVisible = true;
  bool calcVisible = true;       // CalcButton
  QString gradeCaption = "&Grade Now";
  QString label1, label2, label3;
  bool prevEnabled = false, nextEnabled = false;
  bool marked = false;

  // The item on screen (none in an exam without items).
  bool hasItem = false;
  TItemContent item;
  // Moves on each time the item is to be laid out afresh (a change of
  // item); other changes of the state leave the layout and scroll position.
  int layoutSerial = 0;
  TAnswerFlags shown{};  // the checked selectors
  TKeyDisplay key;       // explanation, aqua labels, verdict
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
  bool operator==(const TExamOptions&) const = default;
};
TExamOptions LoadExamOptions(const ISettingsStore& store);

class TExamSession {
 public:
  struct Services {
    TQuestionTables& tables;
    TResponseTable& responses;
    IMessageBox& messages;
    const IClock& clock;
    IExamView& view;
  };
  TExamSession(Services services, TExamOptions options);
  ~TExamSession();
  TExamSession(const TExamSession&) = delete;
  TExamSession& operator=(const TExamSession&) = delete;

  // The start dialog and the progress window are created after the exam
  // window; no exam starts before they are given. The time field starts at
  // DefaultTime.
  void SetDialogs(IStartDialog& startDialog, IProgress& progress);

  // ---- Options: the one copy; the options dialog sets them ----
  const TExamOptions& Options() const { return options_; }
  // Shows or hides the learn and calculator buttons; a change of TimerOn
  // runs StartTimer (a new count of the full limit, or no time shown).
  void SetOptions(const TExamOptions& options);

  // ---- Actions ----
  // One of the ten exam actions by its index in kExamActions.
  void Execute(int action);
  void PrevButtonClick();
  void NextButtonClick();
  void MarkBoxClick(bool checked);
  // Answer capture: the selectors' states after the click.
  void RadioButton1Click(const TAnswerFlags& checked);
  void CheckBoxClick(int n, bool checked);  // n = 0 .. 5
  void ALabelClick(int n);                   // n = 0 .. 5
  void LearnButtonClick();
  // "&Grade Now" (also after the time ran out): runs OnGradeButtonClick.
  void GradeButtonClick();
  // "E&xit Exam": asks, and closes the exam on Yes.
  void Button3Click();
  void CloseCurrentExam();
  // Whether the window may close now (asks while answering).
  bool FormCloseQuery();
  void FormClose() { CloseCurrentExam(); }

  // ---- Steps, for the actions above and the windows that join later ----
  void PrepareStartDialog(bool enableCount);
  // The one start path of every exam: start dialog, preparation of the
  // current exam set from its source, responses reset, answering begins.
  void StartExam(TExamSource source);
  void ExamControls();
  void dsCurrentSetDataChange(isam::TIsamField* field);
  void ShowAnswerKey();
  void HideAnswerKey();
  void UpdateKeyDisplay();

  // ---- Timer ----
  void StartTimer();
  void Timer1Timer();
  void TimeExpired();
  // Grading and closing the exam: no time shown, no ticks.
  void StopTimer();
  TKZTimeCounter& Timer1() { return *timer1_; }
  void SetTimeFormat(const TTimeText& format);
  double TimeUsed() const { return timeUsed_; }

  // ---- State ----
  TExamMode ExamMode() const { return mode_; }
  // Enters a mode and shows the current item as that mode shows it.
  void SetExamMode(TExamMode mode);
  const QString& ExamTitle() const { return examTitle_; }
  const QString& CandidateName() const { return candidateName_; }
  int ItemCount() const { return itemCount_; }
  int FirstRecNo() const { return firstRecNo_; }
  double TimeLimit() const { return timeLimit_; }
  const TExamViewState& View() const { return state_; }
  // For the windows that join: they change the look and hand it back.
  TExamViewState& MutableView() { return state_; }
  void Show() { services_.view.Apply(state_); }
  TRandomGenerator& Random() { return random_; }

  // Hooks the windows of grading and review fill in.
  std::function<void()> OnGradeButtonClick;

  // ---- Grading and the items review (exam_session_grading.cpp) ----
  // The score report and review windows are created after the exam window;
  // the grade button asks and grades once they are given.
  void SetGradingViews(IScoreReport& report, IReviewList& review);
  // What the grade button does then: asks while answering, shows the report
  // again in review.
  void AskAndGrade();
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
  bool PrepareStart(const TExamAction& action);
  bool ConfirmStart();
  void BuildSet(TExamSource source, int count);
  void BeginAnswering();
  // The current record's entry, or null with no item.
  ItemResponse* CurrentResponse();
  void AfterCapture(bool written);

  Services services_;
  IStartDialog* startDialog_ = nullptr;
  IProgress* progress_ = nullptr;
  TExamOptions options_;
  TExamViewState state_;
  TExamMode mode_ = Idle;
  QString examTitle_, candidateName_;
  int itemCount_ = 0, firstRecNo_ = 0;
  double timeLimit_ = 0, timeUsed_ = 0;
  TRandomGenerator random_;
  IScoreReport* scoreReport_ = nullptr;
  IReviewList* reviewList_ = nullptr;
  TGradeResult grading_;
  std::unique_ptr<TKZTimeCounter> timer1_;
};

}  // namespace marvessa
