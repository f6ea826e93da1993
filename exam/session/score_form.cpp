#include "exam/session/score_form.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "exam/session/fixed_dialog.h"
#include "exam/session/score_charts.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"

namespace marvessa {

namespace {

QChartView* NewChartView(const char* name, QWidget* parent) {
  auto* view = new QChartView(new QChart, parent);
  view->setObjectName(name);
  view->setRenderHint(QPainter::Antialiasing);
  view->chart()->legend()->hide();
  return view;
}

QPushButton* NewButton(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

// The bars in words, for screen readers: the chart itself has no text.
QString BarsInWords(const std::vector<TChartBar>& bars, const QString& unit) {
  QStringList parts;
  for (auto it = bars.rbegin(); it != bars.rend(); ++it)  // top to bottom, as read
    parts << QString("%1: %2%3").arg(it->label.trimmed()).arg(qRound(it->length)).arg(unit);
  return parts.join("; ");
}

}  // namespace

TScoreForm::TScoreForm(IMessageBox& messages, QWidget* parent)
    : QDialog(parent, FixedDialogFlags()), messages_(messages) {
  setObjectName("TScoreForm");
  setWindowTitle("Plindor");
  setModal(true);

  ui_.Heading = new QLabel("Examination Score Report", this);
  ui_.Heading->setObjectName("Heading");
  ui_.Heading->setAlignment(Qt::AlignCenter);
  QFont big = ui_.Heading->font();
  big.setPointSize(big.pointSize() + 5);
  big.setBold(true);
  ui_.Heading->setFont(big);

  ui_.TotalChart = NewChartView("TotalChart", this);
  ui_.TotalChart->setAccessibleName("Total score chart");
  ui_.TotalChart->setFixedHeight(200);
  ui_.TotalLabel = new QLabel(this);
  ui_.TotalLabel->setObjectName("TotalLabel");
  ui_.TotalLabel->setAlignment(Qt::AlignCenter);
  QFont bold = ui_.TotalLabel->font();
  bold.setBold(true);
  ui_.TotalLabel->setFont(bold);
  ui_.SectionsTitle = new QLabel(" Sections ", this);
  ui_.SectionsTitle->setObjectName("SectionsTitle");
  ui_.SectionsTitle->setFont(bold);
  ui_.Chart1 = NewChartView("Chart1", this);
  ui_.Chart1->setAccessibleName("Sections chart");
  ui_.Chart1->setMinimumHeight(360);

  ui_.BitBtn1 = NewButton("BitBtn1", "&View Answers", this);
  ui_.BitBtn1->setDefault(true);
  ui_.BitBtn2 = NewButton("BitBtn2", "&Print Report", this);
  ui_.BitBtn3 = NewButton("BitBtn3", "E&xit Exam", this);

  auto* column = new QVBoxLayout(this);
  column->addWidget(ui_.Heading);
  column->addWidget(ui_.TotalChart);
  column->addWidget(ui_.TotalLabel);
  column->addSpacing(6);
  column->addWidget(ui_.SectionsTitle);
  column->addWidget(ui_.Chart1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {ui_.BitBtn1, ui_.BitBtn2, ui_.BitBtn3}) buttons->addWidget(b);
  buttons->addStretch();
  column->addLayout(buttons);
  setFixedSize(660, 760);
  // The buttons first; the charts can take the focus too, so that a screen
  // reader reads their bars.
  for (QChartView* chart : {ui_.TotalChart, ui_.Chart1}) chart->setFocusPolicy(Qt::TabFocus);
  setTabOrder(ui_.BitBtn1, ui_.BitBtn2);
  setTabOrder(ui_.BitBtn2, ui_.BitBtn3);
  setTabOrder(ui_.BitBtn3, ui_.TotalChart);
  setTabOrder(ui_.TotalChart, ui_.Chart1);

  connect(ui_.BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(ui_.BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(ui_.BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  ShowGrading(TGradeResult{}, QString());
}

TScoreForm::~TScoreForm() = default;

QChart& TScoreForm::TotalChart() const { return *ui_.TotalChart->chart(); }
QChart& TScoreForm::SectionChart() const { return *ui_.Chart1->chart(); }

void TScoreForm::ShowGrading(const TGradeResult& result, const QString& reportTitle) {
  result_ = result;
  reportTitle_ = reportTitle;
  FillTotalChart(TotalChart(), result, reportTitle);
  ui_.TotalLabel->setText(PassFailLine(result));
  FillSectionChart(SectionChart(), result, QString());
  ui_.TotalChart->setAccessibleDescription(reportTitle + ". " + BarsInWords(TotalBars(result), QString()));
  ui_.Chart1->setAccessibleDescription(BarsInWords(SectionBars(result), "%"));
}

void TScoreForm::Execute() {
  leaving_ = false;
  ui_.BitBtn2->setEnabled(bool(OnPrintReport));
  ui_.BitBtn1->setFocus();
  exec();
}

void TScoreForm::BitBtn1Click() {
  if (!Guard([this] {
        if (OnViewAnswers) OnViewAnswers();
      }))
    return;
  Leave();
}

void TScoreForm::BitBtn2Click() {
  Guard([this] {
    if (OnPrintReport) OnPrintReport();
  });
}

void TScoreForm::BitBtn3Click() {
  if (messages_.Ask(TMsgKind::Confirmation, kApplicationTitle, "Are you sure you wish to end this exam?",
                    mbYes | mbNo) != mbYes)
    return;
  // The report closes even when closing a table fails: the exam is over.
  Guard([this] {
    if (OnExitExam) OnExitExam();
  });
  Leave();
}

void TScoreForm::Leave() {
  leaving_ = true;
  done(QDialog::Accepted);
}

void TScoreForm::closeEvent(QCloseEvent* event) {
  if (leaving_)
    event->accept();
  else
    event->ignore();
}

void TScoreForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
}

}  // namespace marvessa
