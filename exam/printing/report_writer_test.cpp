#include "exam/printing/report_writer.h"

#include <gtest/gtest.h>

#include <QPdfWriter>

#include "exam/printing/pdf_text.h"
#include "exam/printing/test_records.h"
#include "testing/temp_dir.h"

namespace marvessa {
namespace {

using testing::TPdfText;
using testing::TTestRecords;

constexpr double kTolerance = 0.5;  // mm

class ReportWriterTest : public ::testing::Test {
 protected:
  TPrintOutcome Print(TReport& report, IPrintProgress* progress = nullptr, int from = 0, int to = 0) {
    QPdfWriter pdf(Pdf());
    pdf.setResolution(1200);
    return TReportWriter(report).Print(pdf, progress, from, to);
  }
  QString Pdf() const { return QString::fromStdString(dir.File("report.pdf")); }

  testing_support::TempDir dir;
};

TReportElement Field(TReportElement e, const char* field) {
  e.field = field;
  return e;
}

TEST_F(ReportWriterTest, PlacesElementsUnderTheOnePrintedBeforeAndLeavesOutHidden) {
  TTestRecords records({{{"id", "7"}, {"text", "one\ntwo"}, {"extra", "shown"}, {"after", "below"}},
                        {{"id", "8"}, {"text", "three"}, {"extra", ""}, {"after", "below"}}});
  TReport report;
  report.source = &records;
  TReportElement id = Field(Label(10, 1, {}), "id");
  id.format = "No. # ";
  TReportElement text = Field(TextBlock(20, 6, 100, {}), "text");
  text.spaceBelow = 3;
  TReportElement extra = Field(TextBlock(30, 0, 100, {}), "extra");
  extra.underPrevious = true;
  extra.spaceBelow = 10;
  extra.beforePrint = [&records] { return !records.Text("extra").isEmpty(); };
  TReportElement after = Field(TextBlock(40, 0, 100, {}), "after");
  after.underPrevious = true;
  report.detail.elements = {id, text, extra, after};
  ASSERT_EQ(Print(report).pagesPrinted, 1);

  TPdfText pdf(Pdf());
  const double line = pdf.Find("one")[0].bottom - pdf.Find("one")[0].top;
  std::vector<testing::TPdfRun> below = pdf.Find("below");
  ASSERT_EQ(below.size(), 2u);
  EXPECT_NEAR(pdf.Find("No. 7")[0].left, 10, kTolerance);
  EXPECT_NEAR(pdf.Find("two")[0].top - pdf.Find("one")[0].top, line, kTolerance);
  // Record 1: "shown" 3 mm under the text's two lines, "below" 10 mm under it.
  EXPECT_NEAR(pdf.Find("shown")[0].top, pdf.Find("two")[0].bottom + 3, kTolerance);
  EXPECT_NEAR(below[0].top, pdf.Find("shown")[0].bottom + 10, kTolerance);
  // Record 2: "extra" left out, so "below" goes 3 mm under the text.
  EXPECT_NEAR(below[1].top, pdf.Find("three")[0].bottom + 3, kTolerance);
  EXPECT_NEAR(below[1].left, 40, kTolerance);
  EXPECT_EQ(pdf.Find("No. 8").size(), 1u);
}

// A text block longer than a page breaks between lines and continues under
// the page header; footers with the page number are on every page.
TEST_F(ReportWriterTest, LongTextBreaksAcrossPagesWithHeaderAndFooterOnEach) {
  QStringList lines;
  for (int i = 1; i <= 150; ++i) lines << QString("line%1").arg(i);
  TReport report;
  report.pageHeader.height = 12;
  report.pageHeader.elements = {Label(0, 2, "Header")};
  report.title.elements = {Label(0, 0, "Title")};
  report.detail.elements = {TextBlock(5, 0, 150, lines.join('\n'))};
  report.pageFooter.height = 10;
  TReportElement page = RightLabel(190, 2, {});
  page.kind = TElementKind::PageNumber;
  page.format = "Page: #";
  report.pageFooter.elements = {page};
  const TPrintOutcome outcome = Print(report);
  ASSERT_GE(outcome.pagesLaidOut, 3);

  TPdfText pdf(Pdf());
  EXPECT_EQ(pdf.Pages(), outcome.pagesLaidOut);
  ASSERT_EQ(pdf.Find("Title").size(), 1u);
  EXPECT_EQ(pdf.Find("Title")[0].page, 1);
  EXPECT_GE(pdf.Find("Title")[0].top, 12 - kTolerance);  // under the header
  for (int p = 1; p <= pdf.Pages(); ++p) {
    std::vector<testing::TPdfRun> footer = pdf.Find(QString("Page: %1").arg(p));
    ASSERT_EQ(footer.size(), 1u) << p;
    EXPECT_EQ(footer[0].page, p);
    EXPECT_NEAR(footer[0].right, 190, kTolerance);
    EXPECT_NEAR(footer[0].top, 266.7 - 10 + 2, kTolerance);
    QStringList column = pdf.Column(p, 0);
    EXPECT_TRUE(column.contains("Header")) << p;
  }
  // Every line once, in order, none over the footer.
  QStringList printed;
  for (int p = 1; p <= pdf.Pages(); ++p) printed << pdf.Column(p, 5);
  EXPECT_EQ(printed, lines);
  for (const testing::TPdfRun& r : pdf.Runs())
    if (r.text.startsWith("line")) {
      EXPECT_LE(r.bottom, 266.7 - 10 + kTolerance) << r.text.toStdString();
      EXPECT_GE(r.top, 12 - kTolerance) << r.text.toStdString();
    }
}

// Detail bands that fit a page are never cut: a band that does not fit the
// rest of a page starts the next one. The page limit stops the report.
TEST_F(ReportWriterTest, KeepsBandsWholeAndStopsAtThePageLimit) {
  std::vector<TTestRecords::Record> rows;
  // Bands of 2 to 5 lines, so that page ends fall inside some of them.
  for (int i = 1; i <= 60; ++i)
    rows.push_back({{"a", QString("first%1").arg(i) + QString("\nmore").repeated(i % 4)},
                    {"b", QString("last%1").arg(i)}});
  TTestRecords records(rows);
  TReport report;
  report.source = &records;
  TReportElement last = Field(TextBlock(0, 0, 100, {}), "b");
  last.underPrevious = true;
  last.spaceBelow = 2;
  report.detail.elements = {Field(TextBlock(0, 0, 100, {}), "a"), last};
  const TPrintOutcome all = Print(report);
  ASSERT_GE(all.pagesLaidOut, 2);
  EXPECT_FALSE(all.truncated);
  {
    TPdfText pdf(Pdf());
    for (int i = 1; i <= 60; ++i) {
      std::vector<testing::TPdfRun> first = pdf.Find(QString("first%1").arg(i));
      std::vector<testing::TPdfRun> lastRun = pdf.Find(QString("last%1").arg(i));
      ASSERT_EQ(first.size(), 1u);
      ASSERT_EQ(lastRun.size(), 1u);
      EXPECT_EQ(first[0].page, lastRun[0].page) << i;
    }
  }
  report.pageLimit = 1;
  const TPrintOutcome limited = Print(report);
  EXPECT_EQ(limited.pagesLaidOut, 1);
  EXPECT_TRUE(limited.truncated);
  EXPECT_EQ(TPdfText(Pdf()).Pages(), 1);
}

struct TCountingProgress : IPrintProgress {
  int cancelAfter = 0, begun = -1, printed = 0;
  bool ended = false;
  void Begin(int pages) override { begun = pages; }
  bool PagePrinted(int) override { return ++printed != cancelAfter; }
  void End() override { ended = true; }
};

TEST_F(ReportWriterTest, PrintsThePageRangeAndStopsWhenCancelled) {
  TReport report;
  QStringList lines;
  for (int i = 1; i <= 300; ++i) lines << QString("row%1").arg(i);
  report.detail.elements = {TextBlock(0, 0, 100, lines.join('\n'))};
  TReportElement page;
  page.kind = TElementKind::PageNumber;
  page.format = "Page: #";
  report.pageFooter.height = 8;
  report.pageFooter.elements = {page};

  TCountingProgress progress;
  TPrintOutcome outcome = Print(report, &progress, 2, 3);
  ASSERT_GE(outcome.pagesLaidOut, 4);
  EXPECT_EQ(outcome.pagesPrinted, 2);
  EXPECT_EQ(progress.begun, 2);
  EXPECT_TRUE(progress.ended);
  TPdfText range(Pdf());
  ASSERT_EQ(range.Pages(), 2);
  EXPECT_EQ(range.Find("Page: 2")[0].page, 1);
  EXPECT_EQ(range.Find("Page: 3")[0].page, 2);

  TCountingProgress cancelling;
  cancelling.cancelAfter = 1;
  outcome = Print(report, &cancelling);
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_EQ(outcome.pagesPrinted, 1);
  EXPECT_TRUE(cancelling.ended);
}

}  // namespace
}  // namespace marvessa
