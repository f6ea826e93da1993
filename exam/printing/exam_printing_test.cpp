#include "exam/printing/exam_printing.h"

#include "exam/printing/pdf_text.h"
#include "exam/printing/report_printer.h"
#include "exam/session/exam_window_fixture.h"
#include "exam/session/score_form.h"

namespace marvessa {
namespace {

using testing::TPdfText;

class ExamPrintingTest : public testing::ExamWindowTest {
 protected:
  ExamPrintingTest() {
    printing.BindExamWindow();
    StartWith(Ui().LargeButtons[0]);  // All Questions
  }
  TPdfReportPrinter printer{QString::fromStdString(folder.Path() + "/print.pdf")};
  TExamPrinting printing{Form(), printer, clock};
};

TEST_F(ExamPrintingTest, PrintThisItemPrintsTheItemShown) {
  ASSERT_TRUE(Ui().Print1->isEnabled());
  Ui().NextButton->click();
  Ui().Print1->trigger();
  ASSERT_EQ(printer.Prints(), 1);
  TPdfText pdf(printer.Path());
  EXPECT_EQ(pdf.FindWords("Item Number: 2").size(), 1u);
  EXPECT_EQ(pdf.FindWords("Marvessa, All Questions").size(), 1u);
  const QStringList shown = Ui().QText->text().split(' ', Qt::SkipEmptyParts);
  EXPECT_EQ(pdf.FindWords(shown.mid(0, 4).join(' ')).size(), 1u) << Ui().QText->text().toStdString();
}

// The answer key walks the whole set; the window stays on its item with
// its answers, and hears of the walk only once, afterwards.
TEST_F(ExamPrintingTest, PrintAllItemsLeavesTheWindowOnItsItem) {
  Ui().NextButton->click();
  Ui().NextButton->click();
  Ui().MarkBox->click();
  const QString counter = Ui().Label1->text(), id = Ui().Label2->text(), question = Ui().QText->text();
  const int32_t record = Form().Tables().dtCurrentSet.RecordNumber();
  std::vector<bool> marks;
  for (int i = 0; i < Form().Responses().Count(); ++i) marks.push_back(Form().Responses()[i].Marked);

  Ui().Print2->trigger();
  ASSERT_EQ(printer.Prints(), 1);
  EXPECT_EQ(printer.LastDocumentName(), "ppReport1");
  EXPECT_GT(printer.LastOutcome().pagesPrinted, 20);
  EXPECT_EQ(Ui().Label1->text(), counter);
  EXPECT_EQ(Ui().Label2->text(), id);
  EXPECT_EQ(Ui().QText->text(), question);
  EXPECT_TRUE(Ui().MarkBox->isChecked());
  EXPECT_EQ(Form().Tables().dtCurrentSet.RecordNumber(), record);
  for (int i = 0; i < Form().Responses().Count(); ++i) EXPECT_EQ(Form().Responses()[i].Marked, marks[size_t(i)]) << i;
  EXPECT_FALSE(Form().Tables().dtCurrentSet.NotificationsSuspended());
  // The next item still follows.
  Ui().NextButton->click();
  EXPECT_EQ(Form().Tables().dtCurrentSet.RecordNumber(), record + 1);
}

TEST_F(ExamPrintingTest, ScoreWindowPrintsTheGradingItShows) {
  TScoreForm score(box);
  printing.BindScoreForm(score);
  TGradeResult result;
  result.itemCount = 60;
  result.correctCount = 50;
  result.score = 833.3;
  result.shownScore = 833;
  score.ShowGrading(result, "Ada,  Marvessa,  All Questions");
  ASSERT_TRUE(score.Ui().BitBtn2->isEnabled());
  score.Ui().BitBtn2->click();
  ASSERT_EQ(printer.Prints(), 1);
  EXPECT_EQ(printer.LastDocumentName(), "Score Report");
  TPdfText pdf(printer.Path());
  EXPECT_EQ(pdf.FindWords(PassFailLine(result)).size(), 1u);
  EXPECT_EQ(pdf.FindWords("Ada, Marvessa, All Questions").size(), 1u);
}

}  // namespace
}  // namespace marvessa
