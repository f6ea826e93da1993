// The score report window: its charts read back from the chart objects, the
// pass/fail line, and the ways out of it.
#include "exam/session/score_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLegend>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>

#include "exam/data/response_table.h"
#include "exam/session/score_charts.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"

namespace marvessa {
namespace {

QValueAxis* ValueAxis(const QChart& chart) {
  auto axes = chart.axes(Qt::Horizontal);
  return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
}

QStringList Categories(const QChart& chart) {
  auto axes = chart.axes(Qt::Vertical);
  auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QBarCategoryAxis*>(axes.front());
  return axis ? axis->categories() : QStringList();
}

class ScoreFormTest : public ::testing::Test {
 protected:
  ScoreFormTest() { SetErrorMessageBox(&box); }
  ~ScoreFormTest() override { SetErrorMessageBox(nullptr); }

  // 51 of 60 right: section 3 has 3 of 8 right, section 6 holds 1 of 1,
  // section 1 holds the other 51 with 47 right; sections 2, 4, 5, 7 are empty.
  TGradeResult Graded() {
    TResponseTable t;
    t.Resize(60);
    for (int i = 0; i < 60; ++i) t[i].Section = i < 8 ? 3 : i == 8 ? 6 : 1;
    for (int i : {0, 1, 2, 8}) t[i].Correct = true;
    for (int i = 9; i < 56; ++i) t[i].Correct = true;
    return GradeResponses(t);
  }

  TScriptedMessageBox box;
  TScoreForm form{box};
};

TEST_F(ScoreFormTest, TotalChartAndPassFailLine) {
  form.ShowGrading(Graded(), "Robin,  Marvessa,  Practice Exam C");
  const QChart& chart = form.TotalChart();
  EXPECT_EQ(chart.title(), "Robin,  Marvessa,  Practice Exam C");
  EXPECT_FALSE(chart.legend()->isVisible());
  ASSERT_NE(ValueAxis(chart), nullptr);
  EXPECT_EQ(ValueAxis(chart)->min(), 0);
  EXPECT_EQ(ValueAxis(chart)->max(), 1000);
  EXPECT_EQ(ValueAxis(chart)->tickCount(), 11);  // steps of 100
  std::vector<TChartBar> bars = ChartBars(chart);
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(bars[0].label, "Your score");
  EXPECT_DOUBLE_EQ(bars[0].length, 850);
  EXPECT_EQ(bars[0].colour, QColor(0x00, 0x80, 0x00));
  EXPECT_EQ(bars[1].label, "Required score");
  EXPECT_DOUBLE_EQ(bars[1].length, 850);
  EXPECT_EQ(bars[1].colour, QColor(0x00, 0x00, 0xFF));
  EXPECT_EQ(Categories(chart), QStringList({"Your score", "Required score"}));
  EXPECT_EQ(form.Ui().TotalLabel->text(), "Passing Score: 850   Your Score: 850   Grade: Pass");
  EXPECT_TRUE(form.Ui().TotalLabel->font().bold());

  // A new grading replaces the bars; the score's bar is not rounded.
  TResponseTable t;
  t.Resize(3);
  t[0].Correct = true;
  form.ShowGrading(GradeResponses(t), "x");
  bars = ChartBars(form.TotalChart());
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_DOUBLE_EQ(bars[0].length, 1000.0 / 3);
  EXPECT_EQ(form.Ui().TotalLabel->text(), "Passing Score: 850   Your Score: 333   Grade: Fail");
}

TEST_F(ScoreFormTest, SectionChartRunsFromSectionSevenUp) {
  form.ShowGrading(Graded(), "t");
  const QChart& chart = form.SectionChart();
  EXPECT_FALSE(chart.legend()->isVisible());
  ASSERT_NE(ValueAxis(chart), nullptr);
  EXPECT_EQ(ValueAxis(chart)->max(), 100);
  EXPECT_EQ(ValueAxis(chart)->tickCount(), 11);  // steps of 10
  EXPECT_EQ(form.Ui().SectionsTitle->text(), " Sections ");
  struct Bar {
    const char* label;
    double length;
  };
  const Bar expected[] = {{"Running Applications (0/0) ", 0},
                          {"Troubleshooting (1/1) ", 100},
                          {"Monitoring and Optimization (0/0) ", 0},
                          {"Connectivity (0/0) ", 0},
                          {"Managing Resources (3/8) ", 38},
                          {"Installation and Configuration (0/0) ", 0},
                          {"Planning (47/51) ", 92}};
  std::vector<TChartBar> bars = ChartBars(chart);
  ASSERT_EQ(bars.size(), 7u);
  for (size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(bars[i].label, expected[i].label) << i;
    EXPECT_DOUBLE_EQ(bars[i].length, expected[i].length) << i;
    EXPECT_EQ(bars[i].colour, QColor(0xFF, 0x00, 0x00)) << i;
  }
  // Long labels wrap onto a second line of the axis.
  const QStringList categories = Categories(chart);
  ASSERT_EQ(categories.size(), 7);
  EXPECT_EQ(categories[5], "Installation and<br>Configuration (0/0)");
  EXPECT_EQ(categories[6], "Planning (47/51)");
  EXPECT_TRUE(form.Ui().Chart1->accessibleDescription().startsWith("Planning (47/51): 92%"));
}

TEST_F(ScoreFormTest, AnExamWithoutItemsSaysSo) {
  form.ShowGrading(GradeResponses(TResponseTable{}), "t");
  EXPECT_EQ(form.Ui().TotalLabel->text(), "Passing Score: 850   This exam has no items: there is nothing to grade.");
  std::vector<TChartBar> bars = ChartBars(form.TotalChart());
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(bars[0].length, 0);
  for (const TChartBar& b : ChartBars(form.SectionChart())) EXPECT_EQ(b.length, 0);
}

TEST_F(ScoreFormTest, WindowAndButtons) {
  EXPECT_EQ(form.windowTitle(), "Plindor");
  EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(form.Ui().Heading->text(), "Examination Score Report");
  EXPECT_EQ(form.Ui().BitBtn1->text(), "&View Answers");
  EXPECT_TRUE(form.Ui().BitBtn1->isDefault());
  EXPECT_EQ(form.Ui().BitBtn2->text(), "&Print Report");
  EXPECT_EQ(form.Ui().BitBtn3->text(), "E&xit Exam");
}

TEST_F(ScoreFormTest, LeftOnlyByViewAnswersOrAConfirmedExit) {
  int viewed = 0, exited = 0, printed = 0;
  form.OnViewAnswers = [&] { ++viewed; };
  form.OnExitExam = [&] { ++exited; };
  form.OnPrintReport = [&] { ++printed; };
  // Runs `act` while the report is shown; returns whether it is still shown.
  auto whileShown = [&](const std::function<void()>& act) {
    bool stillShown = false;
    QTimer::singleShot(0, &form, [&] {
      act();
      QCoreApplication::processEvents();
      stillShown = form.isVisible();
      if (stillShown) form.Ui().BitBtn1->click();  // leave for the next case
    });
    form.Execute();
    return stillShown;
  };

  EXPECT_TRUE(whileShown([&] { form.reject(); }));  // Escape
  EXPECT_TRUE(whileShown([&] { form.close(); }));
  EXPECT_TRUE(whileShown([&] { form.Ui().BitBtn2->click(); }));
  EXPECT_EQ(printed, 1);
  box.Answer(mbNo);
  EXPECT_TRUE(whileShown([&] { form.Ui().BitBtn3->click(); }));
  EXPECT_EQ(box.Last().text, "Are you sure you wish to end this exam?");
  EXPECT_EQ(box.Last().buttons, TMsgButtons(mbYes | mbNo));
  EXPECT_EQ(exited, 0);
  viewed = 0;
  EXPECT_FALSE(whileShown([&] { form.Ui().BitBtn1->click(); }));
  EXPECT_EQ(viewed, 1);
  box.Answer(mbYes);
  EXPECT_FALSE(whileShown([&] { form.Ui().BitBtn3->click(); }));
  EXPECT_EQ(exited, 1);
  EXPECT_EQ(viewed, 1);

  // Closing the exam fails: the error is shown and the report still closes.
  form.OnExitExam = [] { throw std::runtime_error("Table is busy"); };
  box.Answer(mbYes);
  EXPECT_FALSE(whileShown([&] { form.Ui().BitBtn3->click(); }));
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
}

TEST_F(ScoreFormTest, PrintIsOfferedOnceAPrintoutIsConnected) {
  bool enabled = true;
  QTimer::singleShot(0, &form, [&] {
    enabled = form.Ui().BitBtn2->isEnabled();
    form.Ui().BitBtn1->click();
  });
  form.Execute();
  EXPECT_FALSE(enabled);
}

}  // namespace
}  // namespace marvessa
