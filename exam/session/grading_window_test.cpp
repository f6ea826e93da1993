// Grading a practice exam through the exam window: the grade confirmation,
// the score report, the review mode and the items review list.
#include <QChart>
#include <QCheckBox>
#include <QListWidget>
#include <QRadioButton>

#include "exam/presentation/item_content.h"
#include "exam/presentation/item_pane.h"

#include "exam/session/exam_window_fixture.h"
#include "exam/session/review_form.h"
#include "exam/session/score_form.h"
#include "exam/session/score_charts.h"
#include "exam/session/time_counter.h"

namespace marvessa {
namespace {

class GradingWindowTest : public testing::ExamWindowTest {
 protected:
  void SetUp() override {
    Form().SetGradingWindows(score, review);
    StartWith(Ui().RoundButtons[2], [](TNameForm& f) { f.Ui().NameEdit->setText("Robin"); });
    ASSERT_EQ(Session().ExamMode(), Answering);
    ASSERT_EQ(Form().Responses().Count(), 30);
  }

  // Clicks `button`; once `window` is shown, `inside` runs and then `leave`
  // is clicked. Returns whether the window was shown.
  template <typename Window>
  bool WhileShown(QPushButton* button, Window& window, const std::function<void()>& inside,
                  QPushButton* leave) {
    bool shown = false;
    QTimer::singleShot(0, &window, [&] {
      shown = window.isVisible();
      if (inside) inside();
      if (leave && window.isVisible()) leave->click();
    });
    button->click();
    QCoreApplication::processEvents();
    return shown;
  }
  bool Graded(const std::function<void()>& inside = {}) {
    box.Answer(mbOK);
    return WhileShown(Ui().GradeButton, score, inside, score.Ui().BitBtn1);
  }
  void SetCorrect(int count) {
    for (int i = 0; i < Form().Responses().Count(); ++i) Form().Responses()[i].Correct = i < count;
  }

  TScoreForm score{box};
  TReviewForm review;
};

TEST_F(GradingWindowTest, CancelKeepsTheExamOkGradesOnce) {
  SetCorrect(26);
  box.Answer(mbCancel);
  Ui().GradeButton->click();
  EXPECT_EQ(box.Last().kind, TMsgKind::Confirmation);
  EXPECT_EQ(box.Last().text, "This will end your practice exam.\rAre you sure to end this exam?");
  EXPECT_EQ(box.Last().buttons, TMsgButtons(mbOK | mbCancel));
  EXPECT_FALSE(score.isVisible());
  EXPECT_TRUE(Session().Timer1().Enabled());
  EXPECT_TRUE(Ui().TimeLabel->isVisible());
  EXPECT_TRUE(Ui().ScrollBox1->isVisible());

  bool inReport = false;
  EXPECT_TRUE(Graded([&] {
    inReport = true;
    EXPECT_EQ(Session().ExamMode(), Answering);
    EXPECT_FALSE(Ui().ScrollBox1->isVisible());
    EXPECT_FALSE(Ui().TimeLabel->isVisible());
    EXPECT_FALSE(Session().Timer1().Enabled());
    EXPECT_EQ(Ui().GradeButton->text(), "Score Report");
    EXPECT_EQ(score.TotalChart().title(), "Robin,  Marvessa,  Practice Exam C");
    EXPECT_EQ(score.Ui().TotalLabel->text(), "Passing Score: 850   Your Score: 867   Grade: Pass");
  }));
  EXPECT_TRUE(inReport);

  // View Answers: the review mode, from the first item.
  EXPECT_EQ(Session().ExamMode(), Reviewing);
  EXPECT_FALSE(score.isVisible());
  EXPECT_TRUE(Ui().ScrollBox1->isVisible());
  EXPECT_EQ(Ui().Label1->text(), "Item 1 of 30");
  EXPECT_FALSE(Ui().MarkBox->isVisible());
  EXPECT_FALSE(Ui().TimeLabel->isVisible());
  EXPECT_TRUE(Ui().ReviewLabel->isVisible());
  EXPECT_EQ(Ui().ReviewLabel->text(), "Review items");
  EXPECT_TRUE(Ui().CorrectLabel->isVisible());
  EXPECT_FALSE(Ui().LearnButton->isEnabled());

  // "Score Report" shows the same grading again without asking or counting.
  SetCorrect(0);
  box.Clear();
  const size_t before = box.Messages().size();
  std::vector<TChartBar> bars;
  EXPECT_TRUE(WhileShown(Ui().GradeButton, score, [&] { bars = ChartBars(score.TotalChart()); },
                         score.Ui().BitBtn1));
  EXPECT_EQ(box.Messages().size(), before);
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_NEAR(bars[0].length, 866.67, 0.01);
  EXPECT_EQ(Session().Grading().correctCount, 26);
  EXPECT_FALSE(Session().Timer1().Enabled());

  // The next exam starts with "Grade Now" and the mark box again.
  box.Answer(mbYes);
  Ui().Button3->click();
  StartWith(Ui().RoundButtons[0]);
  EXPECT_EQ(Ui().GradeButton->text(), "Grade Now");
  EXPECT_TRUE(Ui().MarkBox->isVisible());
  EXPECT_FALSE(Ui().ReviewLabel->isVisible());
}

TEST_F(GradingWindowTest, TimeRunningOutOffersGrading) {
  // No to going on, then Cancel in the grade confirmation: the exam goes on
  // untimed with 0:00:00 showing.
  box.Answer(mbNo);
  box.Answer(mbCancel);
  clock.Set(clock.NowUtc().addSecs(90 * 60));
  Session().Timer1().Tick();
  EXPECT_EQ(box.Last().text, "This will end your practice exam.\rAre you sure to end this exam?");
  EXPECT_EQ(Session().ExamMode(), Answering);
  EXPECT_FALSE(Session().Timer1().Enabled());
  EXPECT_TRUE(Ui().TimeLabel->isVisible());
  EXPECT_TRUE(QString(Ui().TimeLabel->text()).remove('0').remove(':').isEmpty()) << Ui().TimeLabel->text().toStdString();
  // The grade button then grades as usual.
  EXPECT_TRUE(Graded());
  EXPECT_EQ(Session().ExamMode(), Reviewing);
  EXPECT_FALSE(Ui().TimeLabel->isVisible());
}

TEST_F(GradingWindowTest, ExitFromTheReportAsks) {
  box.Answer(mbOK);
  box.Answer(mbNo);
  bool stayed = false;
  WhileShown(Ui().GradeButton, score, [&] {
    score.Ui().BitBtn3->click();
    stayed = score.isVisible();
    box.Answer(mbYes);
    score.Ui().BitBtn3->click();
  }, nullptr);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(box.Last().text, "Are you sure you wish to end this exam?");
  EXPECT_FALSE(score.isVisible());
  EXPECT_EQ(Session().ExamMode(), Idle);
  EXPECT_TRUE(Ui().Panel4->isVisible());
  EXPECT_FALSE(Form().Tables().dtCurrentSet.Active());
}

TEST_F(GradingWindowTest, ReviewListWhileAnsweringAndAfterGrading) {
  Form().Responses()[0].Choice[1] = true;
  Form().Responses()[1].Marked = true;
  Form().Responses()[2].Choice[0] = true;
  Form().Responses()[2].Correct = true;
  QListWidget& list = *review.Ui().ListView1;
  QStringList captions;
  std::vector<int> icons;
  auto readList = [&] {
    captions.clear();
    icons.clear();
    for (int i = 0; i < 3; ++i) {
      captions << list.item(i)->text();
      icons.push_back(list.item(i)->data(Qt::UserRole).toInt());
    }
  };
  // Choosing the twelfth entry shows item 12.
  EXPECT_TRUE(WhileShown(Ui().Button1, review, [&] {
    EXPECT_EQ(list.count(), 30);
    EXPECT_FALSE(review.Ui().BitBtn2->isEnabled());
    EXPECT_TRUE(review.Ui().AnsweringLegend->isVisible());
    readList();
    list.setCurrentRow(11);
  }, review.Ui().BitBtn2));
  EXPECT_EQ(captions, QStringList({"1  B", "2  ", "3  A"}));
  EXPECT_EQ(icons, (std::vector<int>{riComplete, riMarked, riComplete}));
  EXPECT_EQ(Ui().Label1->text(), "Item 12 of 30");
  EXPECT_EQ(Session().ExamMode(), Answering);

  ASSERT_TRUE(Graded());
  EXPECT_TRUE(WhileShown(Ui().Button1, review, [&] {
    EXPECT_TRUE(review.Ui().GradedLegend->isVisible());
    readList();
    list.setCurrentRow(29);
  }, review.Ui().BitBtn2));
  EXPECT_EQ(icons, (std::vector<int>{riIncorrect, riIncorrect, riComplete}));
  EXPECT_EQ(Ui().Label1->text(), "Item 30 of 30");
  EXPECT_EQ(Session().ExamMode(), Reviewing);
}

TEST_F(GradingWindowTest, ReviewShowsTheGradedAnswersAndKeepsThem) {
  // The first item answered right through its selectors, the second wrong.
  const TItemPane::Controls& pane = Ui().ScrollBox1->Ui();
  auto selector = [&](const TItemContent& item, size_t n) -> QAbstractButton* {
    return item.multiple ? static_cast<QAbstractButton*>(pane.CheckBox[n]) : pane.RadioButton[n];
  };
  isam::TIsamTable& set = Form().Tables().dtCurrentSet;
  const TItemContent first = ReadItemContent(set);
  for (size_t n = 0; n < first.key.size(); ++n)
    if (first.key[n]) selector(first, n)->click();
  ASSERT_TRUE(Form().Responses()[0].Correct);
  Ui().NextButton->click();
  const TItemContent second = ReadItemContent(set);
  size_t wrong = 0;
  while (second.key[wrong] || !second.HasAnswer(int(wrong))) ++wrong;
  selector(second, wrong)->click();
  ASSERT_FALSE(Form().Responses()[1].Correct);

  ASSERT_TRUE(Graded());
  EXPECT_EQ(set.RecordNumber(), 1);
  EXPECT_TRUE(Ui().CorrectLabel->isVisible());
  EXPECT_EQ(Ui().CorrectLabel->text(), "Correct");
  EXPECT_TRUE(pane.ExpText->isVisible());
  // A click in review puts the stored choice back.
  const TAnswerFlags stored = Form().Responses()[0].Choice;
  size_t other = 0;
  while (first.key[other] || !first.HasAnswer(int(other))) ++other;
  selector(first, other)->click();
  EXPECT_EQ(Form().Responses()[0].Choice, stored);
  EXPECT_FALSE(selector(first, other)->isChecked());
  EXPECT_TRUE(Form().Responses()[0].Correct);

  Ui().NextButton->click();
  EXPECT_EQ(Ui().CorrectLabel->text(), "Incorrect");
  EXPECT_TRUE(selector(second, wrong)->isChecked());
  // Exit Exam of the window: the verdict goes with the review mode.
  box.Answer(mbYes);
  Ui().Button3->click();
  EXPECT_FALSE(Ui().CorrectLabel->isVisible());
  EXPECT_FALSE(Ui().ReviewLabel->isVisible());
}

}  // namespace
}  // namespace marvessa
