#pragma once
// TScoreForm: the score report window. It shows one grading (the two bar
// charts and the pass/fail line) and is left through "&View Answers" or a
// confirmed "E&xit Exam" only; what those do to the exam is told to it by
// the exam window.
#include <QDialog>
#include <functional>

#include "exam/session/grading.h"
#include "exam/session/grading_views.h"

class QChart;
class QChartView;
class QLabel;
class QPushButton;

namespace marvessa {

class IMessageBox;

class TScoreForm : public QDialog, public IScoreReport {
  Q_OBJECT

 public:
  explicit TScoreForm(IMessageBox& messages, QWidget* parent = nullptr);
  ~TScoreForm() override;

  // FillTotalChart and FillSectionChart: the charts and TotalLabel show this
  // grading until the next one.
  void ShowGrading(const TGradeResult& result, const QString& reportTitle) override;
  const TGradeResult& Result() const { return result_; }
  const QString& ReportTitle() const { return reportTitle_; }
  // Shows the window modally until it is left.
  void Execute() override;

  // "&View Answers": the exam goes on in its review mode (the window then closes).
  std::function<void()> OnViewAnswers;
  // "&Print Report": prints the score report; the window stays. The button
  // is disabled while nothing is set here.
  std::function<void()> OnPrintReport;
  // "E&xit Exam" confirmed: the exam is closed (the window then closes).
  std::function<void()> OnExitExam;

  struct Controls {
    QLabel* Heading;
    QChartView* TotalChart;
    QLabel* TotalLabel;
    QLabel* SectionsTitle;
    QChartView* Chart1;
    QPushButton* BitBtn1;  // "&View Answers"
    QPushButton* BitBtn2;  // "&Print Report"
    QPushButton* BitBtn3;  // "E&xit Exam"
  };
  const Controls& Ui() const { return ui_; }
  QChart& TotalChart() const;
  QChart& SectionChart() const;

  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();

 public slots:
  // Escape does not leave the report.
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Leave();

  IMessageBox& messages_;
  TGradeResult result_;
  QString reportTitle_;
  bool leaving_ = false;
  Controls ui_{};
};

}  // namespace marvessa
