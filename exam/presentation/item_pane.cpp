#include "exam/presentation/item_pane.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

namespace marvessa {

using namespace item_geometry;

const QColor TItemPane::kKeyColor = QColor(0x00, 0xFF, 0xFF);
const QColor TItemPane::kPlainColor = QColor(0xFF, 0xFF, 0xFF);

namespace {

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::ButtonText, colour);
  w->setPalette(p);
}

QLabel* WrappedLabel(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setWordWrap(true);
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  l->setMargin(0);
  l->setIndent(0);
  return l;
}

}  // namespace

TItemPane::TItemPane(QWidget* parent) : QScrollArea(parent) {
  setObjectName("ScrollBox1");
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWidgetResizable(false);
  SetBackground(viewport(), Qt::white);
  BuildControls();
  ApplyFonts();
  // A control reached by its access key scrolls into sight as by Tab.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now && ui_.Content->isAncestorOf(now)) ensureWidgetVisible(now);
  });
}

void TItemPane::BuildControls() {
  ui_.Content = new QWidget;
  ui_.Content->setObjectName("ItemContent");
  SetBackground(ui_.Content, Qt::white);
  QWidget* c = ui_.Content;

  ui_.QPanel = new QWidget(c);
  ui_.QPanel->setObjectName("QPanel");
  SetBackground(ui_.QPanel, Qt::white);
  ui_.QText = WrappedLabel("QText", ui_.QPanel);
  ui_.QText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  ui_.QText->setAccessibleName("Question");
  ui_.Shape1 = new QFrame(c);
  ui_.Shape1->setObjectName("Shape1");
  SetBackground(ui_.Shape1, Qt::blue);

  ui_.ExhBtnA = new QPushButton("Exhibit &1", c);
  ui_.ExhBtnA->setObjectName("ExhBtnA");
  ui_.ExhBtnB = new QPushButton("Exhibit &2", c);
  ui_.ExhBtnB->setObjectName("ExhBtnB");
  for (QPushButton* b : {ui_.ExhBtnA, ui_.ExhBtnB}) {
    b->setAutoDefault(false);
    b->resize(kExhibitWidth, kExhibitHeight);
  }
  ui_.ExhBtnA->move(kExhibitALeft, 0);
  ui_.ExhBtnB->move(kExhibitBLeft, 0);
  ui_.CalcButton = new QToolButton(c);
  ui_.CalcButton->setObjectName("CalcButton");
  ui_.CalcButton->setAutoRaise(true);
  ui_.CalcButton->setAccessibleName("Calculator");
  ui_.CalcButton->setToolTip("Calculator");
  ui_.CalcButton->setText("Calc");  // until the calculator setting gives its icon
  ui_.CalcButton->resize(kCalcWidth, kCalcHeight);
  ui_.CalcButton->hide();
  connect(ui_.ExhBtnA, &QPushButton::clicked, this, [this] { if (OnPict1ButtonClick) OnPict1ButtonClick(); });
  connect(ui_.ExhBtnB, &QPushButton::clicked, this, [this] { if (OnPict2ButtonClick) OnPict2ButtonClick(); });
  connect(ui_.CalcButton, &QToolButton::clicked, this, [this] { if (OnCalcButtonClick) OnCalcButtonClick(); });

  for (int n = 0; n < kAnswerCount; ++n) {
    const auto i = static_cast<size_t>(n);
    const QString caption = QString("&%1.").arg(QChar(u'a' + n));
    auto* radio = new QRadioButton(caption, c);
    radio->setObjectName(QString("RadioButton%1").arg(n + 1));
    auto* check = new QCheckBox(caption, c);
    check->setObjectName(QString("CheckBox%1").arg(n + 1));
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(radio), static_cast<QAbstractButton*>(check)}) {
      b->resize(kSelectorWidth, kSelectorHeight);
      b->hide();
    }
    ui_.RadioButton[i] = radio;
    ui_.CheckBox[i] = check;
    connect(radio, &QRadioButton::clicked, this, [this] {
      TAnswerFlags checked{};
      for (size_t k = 0; k < checked.size(); ++k) checked[k] = ui_.RadioButton[k]->isChecked();
      if (OnRadioButton1Click) OnRadioButton1Click(checked);
    });
    connect(check, &QCheckBox::clicked, this, [this, n](bool on) { if (OnCheckBoxClick) OnCheckBoxClick(n, on); });
    QLabel* label = WrappedLabel(qPrintable(QString("ALabel%1").arg(n + 1)), c);
    SetBackground(label, kPlainColor);
    label->installEventFilter(this);
    label->hide();
    ui_.ALabel[i] = label;
  }
  ui_.ExpText = WrappedLabel("ExpText", c);
  ui_.ExpText->setAccessibleName("Explanation");
  ui_.ExpText->hide();

  // Keyboard order: the selectors, the question, the exhibit buttons.
  QWidget* previous = nullptr;
  auto chain = [&previous](QWidget* w) {
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
  };
  for (QRadioButton* r : ui_.RadioButton) chain(r);
  for (QCheckBox* b : ui_.CheckBox) chain(b);
  chain(ui_.QText);
  chain(ui_.ExhBtnA);
  chain(ui_.ExhBtnB);
  chain(ui_.CalcButton);
  setWidget(ui_.Content);
}

void TItemPane::ApplyFonts() {
  ui_.QText->setFont(fonts_.question);
  SetTextColour(ui_.QText, fonts_.questionColor);
  // The answer font is the pane's own.
  ui_.Content->setFont(fonts_.answer);
  for (QWidget* w : std::initializer_list<QWidget*>{ui_.ExhBtnA, ui_.ExhBtnB}) w->setFont(fonts_.answer);
  for (int n = 0; n < kAnswerCount; ++n) {
    const auto i = static_cast<size_t>(n);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_.RadioButton[i], ui_.CheckBox[i], ui_.ALabel[i]}) {
      w->setFont(fonts_.answer);
      SetTextColour(w, fonts_.answerColor);
    }
  }
  ui_.ExpText->setFont(fonts_.explanation);
  SetTextColour(ui_.ExpText, fonts_.explanationColor);
}

void TItemPane::SetFonts(const TItemFonts& fonts) {
  fonts_ = fonts;
  ApplyFonts();
  Relayout();
}

void TItemPane::LayoutItem(const TItemContent& item) {
  item_ = item;
  hasItem_ = true;
  // The pane is out of sight while its controls move, so the candidate
  // never sees a half-placed item; the focus stays where it was.
  QWidget* focus = QApplication::focusWidget();
  const bool focusInside = focus && ui_.Content->isAncestorOf(focus);
  ui_.Content->hide();
  verticalScrollBar()->setValue(0);

  ui_.QText->setText(item_.text);
  TakeAnswerTexts(item_, labelTexts_);
  for (int n = 0; n < kAnswerCount; ++n) {
    const auto i = static_cast<size_t>(n);
    const bool shown = item_.HasAnswer(n);
    ui_.ALabel[i]->setText(labelTexts_[i]);
    ui_.ALabel[i]->setVisible(shown);
    ui_.RadioButton[i]->setVisible(shown && !item_.multiple);
    ui_.CheckBox[i]->setVisible(shown && item_.multiple);
    ui_.RadioButton[i]->setAccessibleDescription(labelTexts_[i]);
    ui_.CheckBox[i]->setAccessibleDescription(labelTexts_[i]);
  }
  ui_.ExhBtnA->setVisible(!item_.pict1.isEmpty());
  ui_.ExhBtnB->setVisible(!item_.pict2.isEmpty());
  ui_.ExpText->setText(item_.expl);

  // The width left for the content depends on whether the item needs the
  // vertical scroll bar, which depends on its height at that width.
  int contentWidth = width();
  Place(contentWidth);
  if (ContentHeight() > height()) {
    contentWidth = width() - verticalScrollBar()->sizeHint().width();
    Place(contentWidth);
  }
  ui_.Content->show();
  if (focusInside && focus->isVisible()) focus->setFocus();
}

void TItemPane::Place(int contentWidth) {
  const TQtTextMeasure measure(fonts_);
  geometry_ = LayoutItemGeometry(item_, labelTexts_, width(), contentWidth, measure);
  const TItemGeometry& g = geometry_;
  ui_.QPanel->setGeometry(0, 0, contentWidth, g.panelHeight);
  ui_.QText->setGeometry(kPanelBorder, kPanelBorder, g.textWidth, g.textHeight);
  ui_.Shape1->setGeometry(0, g.panelHeight, contentWidth, 1);
  ui_.ExhBtnA->move(kExhibitALeft, g.buttonTop);
  ui_.ExhBtnB->move(kExhibitBLeft, g.buttonTop);
  ui_.CalcButton->move(g.calcLeft, g.buttonTop);
  for (size_t i = 0; i < g.labelTop.size(); ++i) {
    ui_.ALabel[i]->setGeometry(kLabelLeft, g.labelTop[i], g.labelWidth, g.labelHeight[i]);
    ui_.RadioButton[i]->move(kSelectorLeft, g.labelTop[i]);
    ui_.CheckBox[i]->move(kSelectorLeft, g.labelTop[i]);
  }
  ui_.ExpText->setGeometry(kExplanationLeft, g.explanationTop, g.explanationWidth, g.explanationHeight);
  ui_.Content->resize(contentWidth, ContentHeight());
}

int TItemPane::ContentHeight() const { return geometry_.ScrollExtent(explanationVisible_, calcVisible_); }

void TItemPane::Relayout() {
  if (hasItem_) LayoutItem(item_);
}

void TItemPane::Clear() {
  hasItem_ = false;
  ui_.Content->hide();
}

void TItemPane::ShowChoices(const TAnswerFlags& shown) {
  // A checked radio button of a group cannot be unchecked while the group
  // is exclusive; none of this is reported as a click.
  for (QRadioButton* r : ui_.RadioButton) r->setAutoExclusive(false);
  for (size_t i = 0; i < shown.size(); ++i) {
    ui_.RadioButton[i]->setChecked(!item_.multiple && shown[i]);
    ui_.CheckBox[i]->setChecked(item_.multiple && shown[i]);
  }
  for (QRadioButton* r : ui_.RadioButton) r->setAutoExclusive(true);
}

void TItemPane::ApplyKeyDisplay(const TKeyDisplay& key) {
  for (size_t i = 0; i < key.highlighted.size(); ++i) {
    QLabel* label = ui_.ALabel[i];
    SetBackground(label, key.highlighted[i] ? kKeyColor : kPlainColor);
    label->setAccessibleDescription(key.highlighted[i] ? "Correct answer" : QString());
  }
  ui_.ExpText->setVisible(key.explanationVisible);
  if (explanationVisible_ != key.explanationVisible) {
    explanationVisible_ = key.explanationVisible;
    ui_.Content->resize(ui_.Content->width(), ContentHeight());
  }
}

void TItemPane::SetCalcVisible(bool visible) {
  calcVisible_ = visible;
  ui_.CalcButton->setVisible(visible);
  ui_.Content->resize(ui_.Content->width(), ContentHeight());
}

void TItemPane::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  Relayout();
}

bool TItemPane::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (int n = 0; n < kAnswerCount; ++n)
      if (watched == ui_.ALabel[static_cast<size_t>(n)]) {
        if (OnALabelClick) OnALabelClick(n);
        return true;
      }
  }
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace marvessa
