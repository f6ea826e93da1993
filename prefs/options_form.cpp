#include "prefs/options_form.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "prefs/display_font.h"
#include "prefs/error_display.h"
#include "prefs/pickers.h"

namespace marvessa {

namespace {

// A radio group of two entries; the first stands for true.
QGroupBox* RadioGroup(const char* name, const QString& caption, const QString& first, const QString& second,
                      std::array<QRadioButton*, 2>& items, QWidget* parent) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(name);
  auto* column = new QVBoxLayout(group);
  int i = 0;
  for (const QString& text : {first, second}) {
    auto* item = new QRadioButton(text, group);
    item->setObjectName(QString("%1Item%2").arg(name).arg(i));
    column->addWidget(item);
    items[static_cast<size_t>(i++)] = item;
  }
  return group;
}

void Select(const std::array<QRadioButton*, 2>& items, bool first) { items[first ? 0 : 1]->setChecked(true); }

QWidget* Page(QWidget* group, QWidget* below = nullptr) {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  column->addWidget(group);
  if (below) column->addWidget(below);
  column->addStretch();
  return page;
}

}  // namespace

TOptionsForm::TOptionsForm(IFontPicker& fonts, IFilePicker& files, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      fonts_(fonts),
      files_(files) {
  setObjectName("TOptionsForm");
  setWindowTitle("Options");
  setModal(true);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(5, 5, 5, 5);
  column->addWidget(BuildFonts());
  column->addWidget(BuildTabs(), 1);
  ui_.BitBtn1 = new QPushButton("OK", this);
  ui_.BitBtn1->setObjectName("BitBtn1");
  ui_.BitBtn1->setFixedSize(83, 29);
  ui_.BitBtn1->setDefault(true);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(ui_.BitBtn1);
  column->addLayout(bottom);
  setMinimumSize(333, 354);
  column->setSizeConstraint(QLayout::SetFixedSize);

  connect(ui_.ListBox1, &QListWidget::currentRowChanged, this, Guarded([this](int) { ListBox1Click(); }));
  connect(ui_.BitBtn3, &QPushButton::clicked, this, Guarded([this](bool) { BitBtn3Click(); }));
  connect(ui_.SpeedButton1, &QToolButton::clicked, this, Guarded([this](bool) { SpeedButton1Click(); }));
  connect(ui_.BitBtn1, &QPushButton::clicked, this, Guarded([this](bool) { BitBtn1Click(); }));
}

QWidget* TOptionsForm::BuildFonts() {
  ui_.GroupBox1 = new QGroupBox("Fonts", this);
  ui_.GroupBox1->setObjectName("GroupBox1");
  ui_.GroupBox1->setFixedHeight(121);
  ui_.ListBox1 = new QListWidget(ui_.GroupBox1);
  ui_.ListBox1->setObjectName("ListBox1");
  ui_.ListBox1->addItems({"Question", "Answers", "Explanation"});
  ui_.ListBox1->setFixedSize(149, 85);
  ui_.ListBox1->setAccessibleName("Fonts");
  ui_.Panel1 = new QLabel("Example", ui_.GroupBox1);
  ui_.Panel1->setObjectName("Panel1");
  ui_.Panel1->setFixedSize(157, 53);
  ui_.Panel1->setAlignment(Qt::AlignCenter);
  ui_.Panel1->setFrameShape(QFrame::StyledPanel);
  ui_.Panel1->setAutoFillBackground(true);
  ui_.Panel1->setAccessibleName("Example");
  ui_.BitBtn3 = new QPushButton("Change Font", ui_.GroupBox1);
  ui_.BitBtn3->setObjectName("BitBtn3");
  ui_.BitBtn3->setFixedSize(157, 29);

  auto* row = new QHBoxLayout(ui_.GroupBox1);
  row->addWidget(ui_.ListBox1, 0, Qt::AlignTop);
  auto* right = new QVBoxLayout;
  right->addWidget(ui_.Panel1);
  right->addWidget(ui_.BitBtn3);
  row->addLayout(right);
  return ui_.GroupBox1;
}

QWidget* TOptionsForm::BuildTabs() {
  ui_.PageControl1 = new QTabWidget(this);
  ui_.PageControl1->setObjectName("PageControl1");

  ui_.LearnBtnGroup = RadioGroup("LearnBtnGroup", "Learn Now Button", "Show 'Learn Now' button (not recomended)",
                                 "Do not show 'Learn Now' button", ui_.LearnBtnItems, nullptr);
  ui_.PageControl1->addTab(Page(ui_.LearnBtnGroup), "'Learn Now' button");

  ui_.CalcBtnGroup = RadioGroup("CalcBtnGroup", "Calculator Button", "Show calculator button",
                                "Do not show calculator button", ui_.CalcBtnItems, nullptr);
  auto* pathArea = new QWidget;
  auto* pathColumn = new QVBoxLayout(pathArea);
  pathColumn->setContentsMargins(0, 0, 0, 0);
  auto* pathLabel = new QLabel("Calculator path:", pathArea);
  ui_.Edit1 = new QLineEdit(pathArea);
  ui_.Edit1->setObjectName("Edit1");
  ui_.Edit1->setFixedWidth(277);
  pathLabel->setBuddy(ui_.Edit1);
  ui_.SpeedButton1 = new QToolButton(pathArea);
  ui_.SpeedButton1->setObjectName("SpeedButton1");
  ui_.SpeedButton1->setText("...");
  ui_.SpeedButton1->setAccessibleName("Browse for the calculator");
  ui_.SpeedButton1->setToolTip("Browse for the calculator");
  ui_.SpeedButton1->setFocusPolicy(Qt::TabFocus);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(ui_.Edit1);
  pathRow->addWidget(ui_.SpeedButton1);
  pathRow->addStretch();
  pathColumn->addWidget(pathLabel);
  pathColumn->addLayout(pathRow);
  ui_.PageControl1->addTab(Page(ui_.CalcBtnGroup, pathArea), "Calculator");

  ui_.TimerGroup = RadioGroup("TimerGroup", "Timer", "Timer On", "Timer Off", ui_.TimerItems, nullptr);
  auto* timeArea = new QWidget;
  auto* timeRow = new QHBoxLayout(timeArea);
  timeRow->setContentsMargins(0, 0, 0, 0);
  auto* timeLabel = new QLabel("Deafault Time (min):", timeArea);
  ui_.SpinEdit1 = new QSpinBox(timeArea);
  ui_.SpinEdit1->setObjectName("SpinEdit1");
  ui_.SpinEdit1->setRange(1, 9000);
  ui_.SpinEdit1->setValue(90);
  timeLabel->setBuddy(ui_.SpinEdit1);
  timeRow->addWidget(timeLabel);
  timeRow->addWidget(ui_.SpinEdit1);
  timeRow->addStretch();
  ui_.PageControl1->addTab(Page(ui_.TimerGroup, timeArea), "Timer");
  return ui_.PageControl1;
}

bool TOptionsForm::Execute(TSettings& settings, IOptionsTarget& target) {
  settings_ = &settings;
  target_ = &target;
  ui_.PageControl1->setCurrentIndex(0);
  ui_.SpinEdit1->setValue(settings.DefaultTime);
  ui_.Edit1->setText(settings.CalcPath);
  Select(ui_.LearnBtnItems, settings.ShowLearnBtn);
  Select(ui_.TimerItems, settings.TimerOn);
  Select(ui_.CalcBtnItems, settings.ShowCalcBtn);
  const bool ok = exec() == QDialog::Accepted;
  settings_ = nullptr;
  target_ = nullptr;
  return ok;
}

TOptionChoices TOptionsForm::Pending() const {
  return TOptionChoices{ui_.LearnBtnItems[0]->isChecked(), ui_.TimerItems[0]->isChecked(),
                        ui_.CalcBtnItems[0]->isChecked(), ui_.SpinEdit1->value(), ui_.Edit1->text()};
}

void TOptionsForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ui_.ListBox1->setCurrentRow(0);
  ListBox1Click();
}

TFontSlot TOptionsForm::SelectedSlot() const {
  switch (ui_.ListBox1->currentRow()) {
    case 1: return TFontSlot::Answer;
    case 2: return TFontSlot::Explanation;
    default: return TFontSlot::Question;
  }
}

void TOptionsForm::ListBox1Click() {
  if (!settings_) return;
  const QListWidgetItem* entry = ui_.ListBox1->currentItem();
  if (entry) ui_.Panel1->setText(entry->text());
  const TFontSetting& font = settings_->Font(SelectedSlot());
  ui_.Panel1->setFont(DisplayFont(font));
  QPalette palette = ui_.Panel1->palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, DisplayColor(font.Color));
  ui_.Panel1->setPalette(palette);
}

void TOptionsForm::BitBtn3Click() {
  if (!settings_) return;
  std::optional<QFont> chosen = fonts_.PickFont(ui_.Panel1->font(), this);
  if (!chosen) return;
  const TFontSlot slot = SelectedSlot();
  TFontSetting& font = settings_->Font(slot);
  const QScreen* screen = this->screen();
  font = FontSettingOf(*chosen, font.Color, screen ? static_cast<int>(screen->logicalDotsPerInchY()) : 96);
  target_->FontChanged(slot);
  ListBox1Click();
}

void TOptionsForm::SpeedButton1Click() {
  const QString path = files_.PickExecutable(ui_.Edit1->text(), this);
  if (!path.isEmpty()) ui_.Edit1->setText(path);
}

void TOptionsForm::BitBtn1Click() {
  if (!settings_) return;
  ApplyChoices(*settings_, Pending(), *target_);
  accept();
}

}  // namespace marvessa
