#include "exam/session/test_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QFrame>
#include <QVBoxLayout>

#include "exam/data/progress_form.h"
#include "exam/presentation/item_pane.h"
#include "exam/session/name_form.h"
#include "prefs/error_display.h"

namespace marvessa {

namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

TTestForm::TTestForm(Services services, QWidget* parent) : QMainWindow(parent), services_(services) {
  setObjectName("TTestForm");
  setWindowTitle("Marvessa");
  // Designed at an outer width of 732 (client 724, the item pane 722), and
  // never narrower than that; Qt sizes the client area.
  setMinimumSize(724, 502);
  resize(724, 505);
  setWindowModality(Qt::ApplicationModal);

  auto* central = new QWidget(this);
  central->setObjectName("ExamContent");
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* header = new QWidget(central);
  header->setObjectName("Panel1");
  header->setFixedHeight(45);
  BuildHeader(header);
  column->addWidget(header);
  BuildSelectionView(central);
  column->addWidget(ui_.Panel4, 1);
  column->addWidget(BuildItemView(central), 1);
  BuildButtonBar(central);
  column->addWidget(ui_.Panel2);
  setCentralWidget(central);
  BuildMenus();

  session_ = std::make_unique<TExamSession>(
      TExamSession::Services{tables_, responses_, services_.messages, services_.clock, *this},
      LoadExamOptions(services_.settings));
  ConnectItemView();
  Apply(session_->View());
  setWindowState(Qt::WindowMaximized);
}

TTestForm::~TTestForm() = default;

void TTestForm::SetDialogs(TProgressForm& progress, TNameForm& startDialog) {
  session_->SetDialogs(startDialog, progress);
}

void TTestForm::SetItemFonts(const TItemFonts& fonts) { ui_.ScrollBox1->SetFonts(fonts); }

void TTestForm::RunHook(const std::function<void()>& hook) {
  if (hook) Guard(hook);
}

void TTestForm::BuildHeader(QWidget* header) {
  ui_.TitleLabel = NamedLabel("TitleLabel", "Marvessa", header);
  QFont big = ui_.TitleLabel->font();
  big.setPointSize(20);
  big.setBold(true);
  ui_.TitleLabel->setFont(big);
  ui_.Label1 = NamedLabel("Label1", "", header);
  ui_.Label2 = NamedLabel("Label2", "", header);
  ui_.MarkBox = new QCheckBox("&Mark this item", header);
  ui_.MarkBox->setObjectName("MarkBox");
  ui_.CorrectLabel = NamedLabel("CorrectLabel", "", header);
  ui_.Label3 = NamedLabel("Label3", "", header);
  ui_.TimeLabel = NamedLabel("TimeLabel", "", header);
  ui_.ReviewLabel = NamedLabel("ReviewLabel", "Review items", header);
  QFont bold = ui_.Label1->font();
  bold.setBold(true);
  for (QLabel* l : {ui_.Label1, ui_.Label3}) l->setFont(bold);
  QFont verdict("Verdana", 10);
  verdict.setBold(true);
  ui_.CorrectLabel->setFont(verdict);

  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(4, 2, 8, 2);
  auto* left = new QVBoxLayout;
  auto* counter = new QHBoxLayout;
  counter->addWidget(ui_.Label1);
  counter->addSpacing(16);
  counter->addWidget(ui_.Label2);
  counter->addStretch();
  left->addLayout(counter);
  left->addWidget(ui_.MarkBox);
  left->addWidget(ui_.CorrectLabel);
  row->addLayout(left, 1);
  row->addWidget(ui_.TitleLabel, 0, Qt::AlignCenter);
  auto* right = new QVBoxLayout;
  right->addWidget(ui_.Label3, 0, Qt::AlignRight);
  right->addWidget(ui_.TimeLabel, 0, Qt::AlignRight);
  right->addWidget(ui_.ReviewLabel, 0, Qt::AlignRight);
  row->addLayout(right, 1);
  connect(ui_.MarkBox, &QCheckBox::clicked, this, Guarded([this](bool checked) { session_->MarkBoxClick(checked); }));
}

QWidget* TTestForm::BuildItemView(QWidget* parent) {
  // The item area sits inside a 1-pixel lowered frame.
  auto* frame = new QFrame(parent);
  frame->setObjectName("ItemFrame");
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setLineWidth(1);
  auto* inside = new QVBoxLayout(frame);
  inside->setContentsMargins(0, 0, 0, 0);
  ui_.ScrollBox1 = new TItemPane(frame);
  inside->addWidget(ui_.ScrollBox1);
  ui_.QText = ui_.ScrollBox1->Ui().QText;
  frame->hide();
  return frame;
}

void TTestForm::ConnectItemView() {
  TItemPane& pane = *ui_.ScrollBox1;
  pane.OnRadioButton1Click = [this](const TAnswerFlags& checked) { Guard([&] { session_->RadioButton1Click(checked); }); };
  pane.OnCheckBoxClick = [this](int n, bool checked) { Guard([&] { session_->CheckBoxClick(n, checked); }); };
  pane.OnALabelClick = [this](int n) { Guard([&] { session_->ALabelClick(n); }); };
  pane.OnPict1ButtonClick = [this] { RunHook(hooks_.Pict1ButtonClick); };
  pane.OnPict2ButtonClick = [this] { RunHook(hooks_.Pict2ButtonClick); };
  pane.OnCalcButtonClick = [this] { RunHook(hooks_.CalcButtonClick); };
  connect(ui_.LearnButton, &QPushButton::clicked, this, Guarded([this](bool) { session_->LearnButtonClick(); }));
  connect(ui_.GradeButton, &QPushButton::clicked, this, Guarded([this](bool) { session_->GradeButtonClick(); }));
  connect(ui_.Button1, &QPushButton::clicked, this, [this] { RunHook(hooks_.Button1Click); });
  connect(ui_.NoteButton, &QPushButton::clicked, this, [this] { RunHook(hooks_.NoteButtonClick); });
  connect(ui_.Print1, &QAction::triggered, this, [this] { RunHook(hooks_.Print1Click); });
  connect(ui_.Print2, &QAction::triggered, this, [this] { RunHook(hooks_.Print2Click); });
  connect(ui_.Preferences1, &QAction::triggered, this, [this] { RunHook(hooks_.Preferences1Click); });
  connect(ui_.About1, &QAction::triggered, this, [this] { RunHook(hooks_.About1Click); });
  // The count goes on under modal windows: the counter ticks in their
  // event loops as in the window's own.
}

void TTestForm::BuildButtonBar(QWidget* parent) {
  ui_.Panel2 = new QWidget(parent);
  ui_.Panel2->setObjectName("Panel2");
  ui_.Panel2->setFixedHeight(41);
  auto* row = new QHBoxLayout(ui_.Panel2);
  row->setContentsMargins(4, 4, 4, 4);
  ui_.PrevButton = NamedButton("PrevButton", "&< Previous Item", ui_.Panel2);
  ui_.NextButton = NamedButton("NextButton", "Next Item &>", ui_.Panel2);
  ui_.LearnButton = NamedButton("LearnButton", "&Learn Now", ui_.Panel2);
  ui_.Button1 = NamedButton("Button1", "Items &Review", ui_.Panel2);
  ui_.NoteButton = NamedButton("NoteButton", "&Note", ui_.Panel2);
  ui_.GradeButton = NamedButton("GradeButton", "&Grade Now", ui_.Panel2);
  ui_.Button3 = NamedButton("Button3", "E&xit Exam", ui_.Panel2);
  for (QPushButton* b : {ui_.PrevButton, ui_.NextButton, ui_.LearnButton, ui_.Button1, ui_.NoteButton,
                         ui_.GradeButton}) {
    b->setAutoDefault(false);
    row->addWidget(b);
  }
  row->addStretch();
  row->addWidget(ui_.Button3);
  connect(ui_.PrevButton, &QPushButton::clicked, this, Guarded([this](bool) { session_->PrevButtonClick(); }));
  connect(ui_.NextButton, &QPushButton::clicked, this, Guarded([this](bool) { session_->NextButtonClick(); }));
  connect(ui_.Button3, &QPushButton::clicked, this, Guarded([this](bool) { session_->Button3Click(); }));
}

void TTestForm::RunAction(int action) {
  Guard([&] { session_->Execute(action); });
}

void TTestForm::Apply(const TExamViewState& s) {
  ui_.Panel4->setVisible(s.selectionVisible);
  ui_.ScrollBox1->parentWidget()->setVisible(s.itemViewVisible);
  ui_.ScrollBox1->setEnabled(s.itemViewVisible);
  ui_.Panel2->setVisible(s.buttonBarVisible);
  ui_.TitleLabel->setVisible(s.titleVisible);
  for (QWidget* w : std::initializer_list<QWidget*>{ui_.Label1, ui_.Label2, ui_.Label3})
    w->setVisible(s.itemLabelsVisible);
  ui_.MarkBox->setVisible(s.markBoxVisible);
  // Designators are carriage returns so that the text parses back; they
  // are not shown.
  ui_.TimeLabel->setText(QString(s.timeText).remove(QChar(u'\r')).trimmed());
  ui_.TimeLabel->setVisible(s.timeVisible);
  ui_.ReviewLabel->setVisible(s.reviewLabelVisible);
  ui_.CorrectLabel->setVisible(s.correctLabelVisible);
  ui_.CorrectLabel->setText(s.key.verdict);
  QPalette verdict = ui_.CorrectLabel->palette();
  verdict.setColor(QPalette::WindowText, s.key.verdictCorrect ? QColor(0, 0, 0xFF) : QColor(0xFF, 0, 0));
  ui_.CorrectLabel->setPalette(verdict);
  ui_.CorrectLabel->setAccessibleDescription(s.key.verdict.isEmpty() ? QString()
                                             : s.key.verdictCorrect ? "The item was answered correctly"
                                                                    : "The item was not answered correctly");
  ui_.Exams1->setEnabled(s.examsMenuEnabled);
  ui_.Exams1->menuAction()->setEnabled(s.examsMenuEnabled);
  ui_.Print1->setEnabled(s.printEnabled);
  ui_.Print2->setEnabled(s.printEnabled);
  ui_.LearnButton->setVisible(s.learnVisible);
  ui_.LearnButton->setEnabled(s.learnEnabled);
  ui_.NoteButton->setVisible(s.noteVisible);
  ui_.GradeButton->setText(s.gradeCaption);
  ui_.Label1->setText(s.label1);
  ui_.Label2->setText(s.label2);
  ui_.Label3->setText(s.label3);
  ui_.PrevButton->setEnabled(s.prevEnabled);
  ui_.NextButton->setEnabled(s.nextEnabled);
  ui_.MarkBox->setChecked(s.marked);

  // The item: laid out afresh only when it changed, so that ticks of the
  // timer or a click leave the scroll position alone.
  TItemPane& pane = *ui_.ScrollBox1;
  pane.SetCalcVisible(s.calcVisible);
  if (s.layoutSerial != laidOut_) {
    laidOut_ = s.layoutSerial;
    if (s.hasItem)
      pane.LayoutItem(s.item);
    else
      pane.Clear();
  }
  pane.ShowChoices(s.shown);
  pane.ApplyKeyDisplay(s.key);
  if (s.selectionVisible) ArrangeChoiceButtons();
}

void TTestForm::closeEvent(QCloseEvent* event) {
  if (!session_) return QMainWindow::closeEvent(event);
  bool close = true;
  Guard([&] { close = session_->FormCloseQuery(); });
  if (!close) {
    event->ignore();
    return;
  }
  // FormClose: the exam ends and the start window comes back, even when
  // closing a table fails.
  Guard([&] { session_->FormClose(); });
  event->accept();
  if (OnClosed) OnClosed();
}

// FormResize: the item pane re-wraps its item when its own size changes
// (TItemPane::resizeEvent); the selection view centres its buttons.
void TTestForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (ui_.Panel4 && ui_.Panel4->isVisible()) ArrangeChoiceButtons();
}

}  // namespace marvessa
