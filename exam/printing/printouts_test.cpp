#include "exam/printing/printouts.h"

#include <gtest/gtest.h>

#include <QPdfWriter>

#include "exam/printing/pdf_text.h"
#include "exam/printing/report_printer.h"
#include "exam/printing/test_records.h"
#include "testing/temp_dir.h"

namespace marvessa {
namespace {

using testing::TPdfRun;
using testing::TPdfText;
using testing::TTestRecords;

constexpr double kTolerance = 0.5;      // mm
constexpr double kBodyHeight = 266.7;   // Letter less two 6.35 mm margins
const QString kTick = QString(QChar(0x2714));

TItemPrintData Item(std::array<QString, 6> answers) {
  TItemPrintData item;
  item.examTitle = "Practice Exam A";
  item.itemNumber = 1;
  item.questionText = "Which command lists the block devices?";
  item.answers = answers;
  item.explanation = "lsblk lists them.";
  return item;
}

// Every answer present takes its line and an empty line, every one left out
// only the empty line: the explanation moves up by a line per missing answer.
TEST(ItemAnswerLinesTest, ListsThePresentAnswersThenTheExplanation) {
  struct Case {
    const char* name;
    std::array<QString, 6> answers;
    QStringList lines;
  } cases[] = {
      {"four answers", {"w", "x", "y", "z", "", ""},
       {"a.  w", "", "b.  x", "", "c.  y", "", "d.  z", "", "", "", "", "", "lsblk lists them."}},
      {"two answers", {"yes", "no", "", "", "", ""},
       {"a.  yes", "", "b.  no", "", "", "", "", "", "", "", "lsblk lists them."}},
      {"empty a and a gap at c", {"", "x", "", "z", "", "f"},
       {"a.  ", "", "b.  x", "", "", "d.  z", "", "", "f.  f", "", "", "", "lsblk lists them."}},
  };
  for (const Case& c : cases) {
    const QStringList lines = ItemAnswerLines(Item(c.answers));
    EXPECT_EQ(lines, c.lines) << c.name;
  }
}

class PrintoutTest : public ::testing::Test {
 protected:
  TPdfText Print(TReport report) {
    TPdfReportPrinter printer(QString::fromStdString(dir.File("out.pdf")));
    EXPECT_TRUE(printer.Print(report));
    outcome = printer.LastOutcome();
    return TPdfText(printer.Path());
  }
  static TPdfRun One(const TPdfText& pdf, const QString& text) {
    std::vector<TPdfRun> found = pdf.Find(text);
    EXPECT_EQ(found.size(), 1u) << text.toStdString();
    return found.empty() ? TPdfRun{} : found[0];
  }

  testing_support::TempDir dir;
  TPrintOutcome outcome;
};

TEST_F(PrintoutTest, ItemReportPlacesTheItemAsLaidOut) {
  for (const auto& answers : {std::array<QString, 6>{"Alpha", "Beta", "Gamma", "Delta", "", ""},
                              std::array<QString, 6>{"Alpha", "Beta", "", "", "", ""}}) {
    TPdfText pdf = Print(ItemReport(Item(answers)));
    ASSERT_EQ(pdf.Pages(), 1);
    const TPdfRun heading = One(pdf, "Marvessa, Practice Exam A");
    EXPECT_NEAR(heading.right, 180.98, kTolerance);
    EXPECT_NEAR(heading.top, 14.02, kTolerance);
    const TPdfRun number = One(pdf, "Item Number: 1");
    EXPECT_NEAR(number.right, 180.98, kTolerance);
    EXPECT_NEAR(number.top, 19.84, kTolerance);
    EXPECT_NEAR(One(pdf, "Plindor").top, 14.02, kTolerance);
    const TPdfRun question = One(pdf, "Which command lists the block devices?");
    EXPECT_NEAR(question.left, 12.70, kTolerance);
    EXPECT_NEAR(question.top, 29.10, kTolerance);

    // The answers under the question, each line at 12.70, the explanation
    // 12 lines below "a." after four answers, 10 after two.
    QStringList column = pdf.Column(1, 12.70);
    const int count = answers[2].isEmpty() ? 2 : 4;
    QStringList expected{"Which command lists the block devices?", "a.", "b.", "c.", "d."};
    expected = expected.mid(0, 1 + count);
    expected << "lsblk lists them.";
    EXPECT_EQ(column, expected);
    const TPdfRun a = pdf.Find("a.")[0];
    const double line = (pdf.Find("b.")[0].top - a.top) / 2;  // the line pitch
    EXPECT_NEAR(line, 4.06, 0.1);  // 10 point Liberation Sans
    EXPECT_GT(a.top, question.bottom + 1.32);
    EXPECT_NEAR(One(pdf, "lsblk lists them.").top - a.top, (count == 4 ? 12 : 10) * line, kTolerance);
    EXPECT_EQ(pdf.Find("e.").size(), 0u);
    EXPECT_NEAR(One(pdf, "Alpha").left, 12.70 + 3.9, 1.0);  // after "a." and two blanks

    const TPdfRun product = One(pdf, "Marvessa");
    EXPECT_NEAR(product.left, 10.05, kTolerance);
    EXPECT_NEAR(product.top, kBodyHeight - 32.02 + 1.85, kTolerance);
    EXPECT_NEAR(One(pdf, kFooterNotice).left, 123.03, kTolerance);
  }
}

// An item too long for one page continues on the next instead of being cut.
TEST_F(PrintoutTest, LongItemContinuesOnASecondPage) {
  TItemPrintData item = Item({"Alpha", "Beta", "", "", "", ""});
  QStringList paragraphs;
  for (int i = 1; i <= 40; ++i) paragraphs << QString("Paragraph %1 of a long scenario.").arg(i);
  item.questionText = paragraphs.join('\n');
  item.explanation = paragraphs.join('\n').replace("scenario", "explanation");
  TPdfText pdf = Print(ItemReport(item));
  ASSERT_EQ(pdf.Pages(), 2);
  EXPECT_FALSE(outcome.truncated);
  QStringList printed = pdf.Column(1, 12.70) + pdf.Column(2, 12.70);
  QStringList expected = paragraphs;
  expected << "a." << "b." << item.explanation.split('\n');
  EXPECT_EQ(printed, expected);
  EXPECT_EQ(pdf.Find("Item Number: 1").size(), 1u);
  for (const TPdfRun& r : pdf.Find("Marvessa")) EXPECT_NEAR(r.top, kBodyHeight - 32.02 + 1.85, kTolerance);
  EXPECT_EQ(pdf.Find("Marvessa").size(), 2u);
  for (const TPdfRun& r : pdf.Runs()) {
    if (r.text.startsWith("Paragraph")) {
      EXPECT_LT(r.bottom, kBodyHeight - 32.02 + kTolerance);
    }
  }
}

TEST_F(PrintoutTest, AllItemsReportTicksTheKeyAndLeavesOutEmptyRows) {
  TTestRecords records({
      {{"Q_OR_NUMBER", "17"}, {"Q_TEXT", "Four answers?"}, {"Q_EXPL", "Because b and d."},
       {"Q1", "one"}, {"Q2", "two"}, {"Q3", "three"}, {"Q4", "four"},
       {"A1", "False"}, {"A2", "True"}, {"A3", "False"}, {"A4", "True"}, {"A5", "False"}, {"A6", "False"}},
      {{"Q_OR_NUMBER", "3"}, {"Q_TEXT", "Two answers, the first empty?"}, {"Q_EXPL", "Because a."},
       {"Q1", ""}, {"Q2", "no"}, {"A1", "True"}, {"A2", "False"}},
  });
  TPdfText pdf = Print(AllItemsReport("Practice Exam A", records));
  ASSERT_EQ(pdf.Pages(), 1);
  EXPECT_NEAR(One(pdf, "Marvessa, Practice Exam A").right, 191.29, kTolerance);
  const TPdfRun sub = One(pdf, "All Items in Practice Exam A");
  EXPECT_NEAR(sub.right, 191.03, kTolerance);
  EXPECT_NEAR(sub.top, 12.70, kTolerance);
  const TPdfRun first = One(pdf, "Item ID: 17");
  EXPECT_NEAR(first.left, 8.47, kTolerance);
  EXPECT_NEAR(first.top, 20.37 + 0.79, kTolerance);  // under the title band
  const TPdfRun question = One(pdf, "Four answers?");
  EXPECT_NEAR(question.left, 10.58, kTolerance);
  EXPECT_NEAR(question.top, 20.37 + 6.88, kTolerance);
  EXPECT_EQ(pdf.Find("Item ID: 3").size(), 1u);

  // Rows a .. d, then a and b: letters at 20.11, texts at 25.40, each row
  // under the one before; e and f nowhere.
  EXPECT_EQ(pdf.Column(1, 20.11), QStringList({"a.", "b.", "c.", "d.", "a.", "b."}));
  EXPECT_EQ(pdf.Column(1, 25.40), QStringList({"one", "two", "three", "four", "no"}));
  const TPdfRun a = pdf.Find("a.")[0];
  const double line = a.bottom - a.top;
  EXPECT_NEAR(a.top, question.bottom + 3.81, kTolerance);
  const TPdfRun d = pdf.Find("d.")[0];
  EXPECT_NEAR(d.top - a.top, 3 * (line + 2.54), kTolerance);
  const TPdfRun explanation = One(pdf, "Because b and d.");
  EXPECT_NEAR(explanation.left, 12.70, kTolerance);
  EXPECT_NEAR(explanation.top, d.bottom + 2.54, kTolerance);  // right under row d
  EXPECT_NEAR(pdf.Find("Item ID: 3")[0].top, explanation.bottom + 5.08 + 0.79, kTolerance);

  // Ticks inside the boxes of b and d, then of a.
  QStringList ticked;
  for (const TPdfRun& tick : pdf.Find(kTick)) {
    EXPECT_GT(tick.left, 14.82);
    EXPECT_LT(tick.right, 14.82 + 4.76);
    for (const TPdfRun& letter : pdf.Runs())
      if (std::abs(letter.left - 20.11) < kTolerance && std::abs(letter.top - tick.top) < 2) ticked << letter.text;
  }
  EXPECT_EQ(ticked, QStringList({"b.", "d.", "a."}));

  const TPdfRun page = One(pdf, "Page: 1");
  EXPECT_NEAR(page.right, 189.44, kTolerance);
  EXPECT_NEAR(page.top, kBodyHeight - 19.58 + 1.59, kTolerance);
  EXPECT_NEAR(One(pdf, kFooterNotice).left, 8.47, kTolerance);
}

}  // namespace
}  // namespace marvessa
