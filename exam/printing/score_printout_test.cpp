#include "exam/printing/score_printout.h"

#include <gtest/gtest.h>

#include "exam/data/section_names.h"
#include "exam/printing/pdf_text.h"
#include "exam/printing/report_printer.h"
#include "testing/temp_dir.h"

namespace marvessa {
namespace {

using testing::TPdfRun;
using testing::TPdfText;

TEST(ScorePrintoutTest, OnePageWithBothChartsAndThePassFailLine) {
  TGradeResult result;
  result.itemCount = 60;
  result.correctCount = 51;
  result.score = 850;
  result.shownScore = 850;
  result.passed = true;
  result.sections[0] = {3, 8, 38};
  result.sections[1] = {1, 8, 12};
  const QString title = "Ada Lovelace,  Marvessa,  Practice Exam C";
  testing_support::TempDir dir;
  TPdfReportPrinter printer(QString::fromStdString(dir.File("score.pdf")));
  ASSERT_TRUE(PrintScoreReport(result, title, QDate(2026, 12, 11), printer));
  EXPECT_EQ(printer.LastDocumentName(), "Score Report");
  TPdfText pdf(printer.Path());
  ASSERT_EQ(pdf.Pages(), 1);

  auto one = [&](const QString& text) {
    std::vector<TPdfRun> found = pdf.FindWords(text);
    EXPECT_EQ(found.size(), 1u) << text.toStdString();
    return found.empty() ? TPdfRun{} : found[0];
  };
  EXPECT_NEAR(one(title).right, 191.29, 0.5);  // the title once: the chart copy has none
  const TPdfRun heading = one("Examination Score Report");
  EXPECT_NEAR((heading.left + heading.right) / 2, 203.2 / 2, 0.5);
  const TPdfRun line = one(PassFailLine(result));
  EXPECT_NEAR((line.left + line.right) / 2, 203.2 / 2, 0.5);
  EXPECT_EQ(one("Sections").page, 1);
  EXPECT_EQ(one("Marvessa").page, 1);

  // The chart copies carry their bars' labels and value axes, each within
  // its own frame: the total chart above the pass/fail line, the sections below.
  QString total, sections;
  for (const TPdfRun& r : pdf.Runs()) {
    if (r.top > 35 && r.bottom < 97) total += r.text + " ";
    if (r.top > 121 && r.bottom < 240) sections += r.text + " ";
  }
  EXPECT_TRUE(total.contains("Your score")) << total.toStdString();
  EXPECT_TRUE(total.contains("Required score"));
  EXPECT_TRUE(total.contains("1000"));
  EXPECT_TRUE(sections.contains("(3/8)")) << sections.toStdString();
  EXPECT_TRUE(sections.contains("(1/8)"));
  EXPECT_TRUE(sections.contains("(0/0)"));
  EXPECT_TRUE(sections.contains("100"));
  EXPECT_FALSE(sections.contains("Your score"));
}

}  // namespace
}  // namespace marvessa
