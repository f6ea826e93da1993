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

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QWidget;

namespace marvessa {

class IClock;
class IMessageBox;
class ISettingsStore;
class TNameForm;
class TProgressForm;
class TReviewForm;
class TScoreForm;

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
  // window; the exam session starts when they exist.
  void SetDialogs(TProgressForm& progress, TNameForm& startDialog);
  // The score report and review windows, created after the start dialog:
  // the grade and review buttons work once they are set.
  void SetGradingWindows(TScoreForm& score, TReviewForm& review);

  TExamSession& Session() { return *session_; }
  TQuestionTables& Tables() { return tables_; }
  TResponseTable& Responses() { return responses_; }
  // Called when the window has closed (the start window comes back).
  std::function<void()> OnClosed;

  struct Controls {
    QWidget* Panel4;        // selection view
    QScrollArea* ScrollBox1;  // item view
    QLabel* QText;          // the question text
    QWidget* Panel2;        // button bar
    QLabel* TitleLabel;     // the large title
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

 private:
  void BuildHeader(QWidget* parent);
  void BuildSelectionView(QWidget* parent);
  void BuildItemView(QWidget* parent);
  void BuildButtonBar(QWidget* parent);
  void BuildMenus();
  void RunAction(int action);

  Services services_;
  TExamOptions options_;
  TQuestionTables tables_;
  TResponseTable responses_;
  std::unique_ptr<TExamSession> session_;
  Controls ui_{};
};

}  // namespace marvessa
