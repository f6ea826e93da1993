#pragma once
// TTestForm: the exam window. Its logic is TExamSession; this class holds
// the widgets, forwards the candidate's clicks (each inside the top-level
// error guard) and shows the state the session hands it.
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "exam/data/question_tables.h"
#include "exam/data/response_table.h"
#include "exam/session/exam_session.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace marvessa {

class IClock;
class IMessageBox;
class ISettingsStore;
class TItemPane;
class TNameForm;
class TProgressForm;
class TReviewForm;
class TScoreForm;
struct TItemFonts;

class TTestForm : public QMainWindow, public IExamView {
  Q_OBJECT

 public:
  struct Services {
    IMessageBox& messages;
    const IClock& clock;
    const ISettingsStore& settings;
  };
  // FormCreate: registers the table password (the tables are created here),
  // loads the options and starts in the selection view, Idle.
  TTestForm(Services services, QWidget* parent = nullptr);
  ~TTestForm() override;
  // The progress window and the start dialog are created after the exam
  // window; no exam starts before they are given.
  void SetDialogs(TProgressForm& progress, TNameForm& startDialog);
  // The score report and review windows, created after the start dialog:
  // the grade and review buttons work once they are set.
  void SetGradingWindows(TScoreForm& score, TReviewForm& review);

  TExamSession& Session() { return *session_; }
  TQuestionTables& Tables() { return tables_; }
  TResponseTable& Responses() { return responses_; }
  // The options dialog hands its values here (the session holds them).
  void SetOptions(const TExamOptions& options) { session_->SetOptions(options); }
  // The fonts of the item area (question, answers, explanation).
  void SetItemFonts(const TItemFonts& fonts);
  // Called when the window has closed (the start window comes back).
  std::function<void()> OnClosed;

  // What the candidate asks for from the windows that other parts of the
  // program fill in; an empty hook does nothing. "&Grade Now" is the
  // session's OnGradeButtonClick (the timer runs it too).
  struct Hooks {
    std::function<void()> Pict1ButtonClick, Pict2ButtonClick;  // "Exhibit &1", "Exhibit &2"
    std::function<void()> NoteButtonClick;                     // "&Note"
    std::function<void()> Button1Click;                        // "Items &Review"
    std::function<void()> CalcButtonClick;                     // the calculator button
    std::function<void()> Print1Click, Print2Click;            // this item, all items
    std::function<void()> Preferences1Click;                   // "&Options..."
    std::function<void()> About1Click;                         // "Ab&out"
  };
  Hooks& Handlers() { return hooks_; }

  struct Controls {
    QWidget* Panel4;          // selection view
    TItemPane* ScrollBox1;    // item view
    QLabel* QText;            // the question text
    QWidget* Panel2;          // button bar
    QLabel* TitleLabel;       // the large title
    QLabel *Label1, *Label2, *Label3, *TimeLabel, *CorrectLabel, *ReviewLabel;
    QCheckBox* MarkBox;
    QPushButton *PrevButton, *NextButton, *LearnButton, *Button1, *NoteButton, *GradeButton, *Button3;
    QLabel *ExamNumberLabel, *ExamNameLabel, *PromptLabel;
    std::array<QPushButton*, 7> RoundButtons;  // "&A" .. "&G"
    std::array<QPushButton*, 3> LargeButtons;  // "All &Questions", "&Random Exam", "&User Exam"
    QMenu *File1, *Exams1, *Help1;
    QAction *Preferences1, *Print2, *Print1, *Exit1, *About1;
    std::array<QAction*, 10> ExamItems;  // the "Exa&ms" items, in action order
  };
  const Controls& Ui() const { return ui_; }

  void Apply(const TExamViewState& state) override;
  void ArrangeChoiceButtons();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void BuildHeader(QWidget* parent);
  void BuildSelectionView(QWidget* parent);
  QWidget* BuildItemView(QWidget* parent);
  void BuildButtonBar(QWidget* parent);
  void BuildMenus();
  void ConnectItemView();
  void RunAction(int action);
  void RunHook(const std::function<void()>& hook);
  // The shown control of the window's content whose access key a key
  // press with Alt is, if any (test_form_keys.cpp).
  QAbstractButton* AccessKeyTarget(const QKeyEvent& event) const;
  // F10 and Alt alone: the first menu of the menu bar opens.
  void OpenMenuBar();

  Services services_;
  TQuestionTables tables_;
  TResponseTable responses_;
  std::unique_ptr<TExamSession> session_;
  Hooks hooks_;
  Controls ui_{};
  int laidOut_ = -1;  // the layoutSerial last laid out
  bool altAlone_ = false;  // Alt is down and no other key came with it
};

}  // namespace marvessa
