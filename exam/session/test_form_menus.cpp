// The exam window's selection view, its menus and the placing of the exam
// choice buttons.
#include <QAction>
#include <algorithm>
#include <utility>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "exam/session/choice_layout.h"
#include "exam/session/exam_actions.h"
#include "exam/session/test_form.h"
#include "prefs/error_display.h"

#ifndef MARVESSA_EXAM_NUMBER
#define MARVESSA_EXAM_NUMBER ""
#define MARVESSA_EXAM_TITLE ""
#endif

namespace marvessa {

namespace {

constexpr int kRoundSize = 41;
constexpr int kLargeWidth = 150, kLargeHeight = 41;
constexpr int kRoundTop = 150, kLargeTop = 215;
constexpr int kNumberTop = 24, kNameTop = 56, kPromptTop = 104;
constexpr int kTextMargin = 8, kTextGap = 4, kRoundGap = 16;

}  // namespace

void TTestForm::BuildSelectionView(QWidget* parent) {
  ui_.Panel4 = new QWidget(parent);
  ui_.Panel4->setObjectName("Panel4");
  auto label = [this](const char* name, const QString& text, int top, int points, bool bold) {
    auto* l = new QLabel(text, ui_.Panel4);
    l->setObjectName(name);
    QFont f = l->font();
    f.setPointSize(points);
    f.setBold(bold);
    l->setFont(f);
    l->setAlignment(Qt::AlignHCenter);
    l->setWordWrap(true);  // within the window, however narrow
    l->move(0, top);
    return l;
  };
  ui_.ExamNumberLabel = label("ExamNumberLabel", MARVESSA_EXAM_NUMBER, kNumberTop, 14, true);
  ui_.ExamNameLabel = label("ExamNameLabel", MARVESSA_EXAM_TITLE, kNameTop, 14, true);
  ui_.PromptLabel = label("PromptLabel", "Please select the practice exam you want to begin.", kPromptTop, 10, false);

  const QString round =
      "QPushButton { border: 2px solid navy; border-radius: 20px; background: #3a5fcd; color: white;"
      " font-weight: bold; } QPushButton:hover { background: #4f74e0; }";
  for (int i = 0; i < 7; ++i) {
    const char letter = static_cast<char>('A' + i);
    auto* b = new QPushButton(QString("&%1").arg(letter), ui_.Panel4);
    b->setObjectName(QString("ExamButton%1").arg(letter));
    b->setFixedSize(kRoundSize, kRoundSize);
    b->setStyleSheet(round);
    b->setToolTip(kExamActions[static_cast<size_t>(i)].examTitle);
    connect(b, &QPushButton::clicked, this, [this, i] { RunAction(i); });
    ui_.RoundButtons[static_cast<size_t>(i)] = b;
  }
  const char* large[3][2] = {{"AllQButton", "All &Questions"}, {"RandButton", "&Random Exam"}, {"UserButton", "&User Exam"}};
  for (int i = 0; i < 3; ++i) {
    auto* b = new QPushButton(large[i][1], ui_.Panel4);
    b->setObjectName(large[i][0]);
    b->setFixedSize(kLargeWidth, kLargeHeight);
    connect(b, &QPushButton::clicked, this, [this, i] { RunAction(7 + i); });
    ui_.LargeButtons[static_cast<size_t>(i)] = b;
  }
}

void TTestForm::ArrangeChoiceButtons() {
  const int w = frameGeometry().width();
  // The text lines wrap within the view; a line that needs more height
  // pushes what follows down, the buttons included.
  const int width = std::max(1, ui_.Panel4->width() - 2 * kTextMargin);
  int bottom = 0;
  for (auto [label, top] : {std::pair{ui_.ExamNumberLabel, kNumberTop}, std::pair{ui_.ExamNameLabel, kNameTop},
                            std::pair{ui_.PromptLabel, kPromptTop}}) {
    const int y = std::max(top, bottom + kTextGap);
    label->setGeometry(kTextMargin, y, width, label->heightForWidth(width));
    bottom = label->geometry().bottom() + 1;
  }
  const int shift = std::max(0, bottom + kRoundGap - kRoundTop);
  std::vector<int> lefts = ChoiceButtonLefts(w, kRoundSize, 7, 42);
  for (size_t i = 0; i < 7; ++i) ui_.RoundButtons[i]->move(lefts[i], kRoundTop + shift);
  lefts = ChoiceButtonLefts(w, kLargeWidth, 3, 12);
  for (size_t i = 0; i < 3; ++i) ui_.LargeButtons[i]->move(lefts[i], kLargeTop + shift);
}

void TTestForm::BuildMenus() {
  QMenuBar* bar = menuBar();
  ui_.File1 = bar->addMenu("&File");
  ui_.File1->setObjectName("File1");
  ui_.Preferences1 = ui_.File1->addAction("&Options...");
  ui_.Preferences1->setObjectName("Preferences1");
  ui_.Print2 = ui_.File1->addAction("Print all items in this exam");
  ui_.Print2->setObjectName("Print2");
  ui_.Print1 = ui_.File1->addAction("&Print this item");
  ui_.Print1->setObjectName("Print1");
  ui_.File1->addSeparator();
  ui_.Exit1 = ui_.File1->addAction("E&xit");
  ui_.Exit1->setObjectName("Exit1");
  connect(ui_.Exit1, &QAction::triggered, this, [this] { close(); });

  ui_.Exams1 = bar->addMenu("Exa&ms");
  ui_.Exams1->setObjectName("Exams1");
  for (int i = 0; i < kExamActionCount; ++i) {
    if (i == 7) ui_.Exams1->addSeparator();
    const TExamAction& a = kExamActions[static_cast<size_t>(i)];
    QAction* item = ui_.Exams1->addAction(a.menuCaption);
    item->setObjectName(a.name);
    connect(item, &QAction::triggered, this, [this, i] { RunAction(i); });
    ui_.ExamItems[static_cast<size_t>(i)] = item;
  }

  ui_.Help1 = bar->addMenu("&Help");
  ui_.Help1->setObjectName("Help1");
  ui_.About1 = ui_.Help1->addAction("Ab&out");
  ui_.About1->setObjectName("About1");
}

}  // namespace marvessa
