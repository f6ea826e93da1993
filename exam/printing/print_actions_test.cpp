#include "exam/printing/print_actions.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "exam/data/test_bank.h"
#include "exam/printing/pdf_text.h"
#include "exam/printing/printouts.h"
#include "exam/printing/report_printer.h"
#include "exam/printing/sample_exam.h"

namespace marvessa {
namespace {

using testing::TPdfRun;
using testing::TPdfText;

// Prints to PDF, fails, or declines as a cancelled dialog does, and notes
// what the table's listeners heard while it printed.
class TWatchingPrinter : public IReportPrinter {
 public:
  enum Behaviour { Prints, Cancels, Throws };
  TWatchingPrinter(QString pdf, const int& heard, isam::TIsamTable& table)
      : pdf_(std::move(pdf)), heard_(heard), table_(table) {}
  bool Print(TReport& report) override {
    suspended = table_.NotificationsSuspended();
    const int before = heard_;
    bool printed = false;
    if (behaviour == Throws) throw std::runtime_error("printer on fire");
    if (behaviour == Prints) printed = pdf_.Print(report);
    heardWhilePrinting = heard_ - before;
    return printed;
  }
  Behaviour behaviour = Prints;
  bool suspended = false;
  int heardWhilePrinting = -1;
  TPdfReportPrinter pdf_;

 private:
  const int& heard_;
  isam::TIsamTable& table_;
};

class PrintActionsTest : public ::testing::Test {
 protected:
  PrintActionsTest() {
    items = BuildAllQuestionsExam(tables);
    tables.dsCurrentSet.AddListener({[this](isam::TIsamField*) { ++heard; }, {}, {}});
  }
  // Q_OR_NUMBER and the key of every record, in table order.
  std::vector<std::string> Records() {
    std::vector<std::string> rows;
    isam::TIsamTable& ces = tables.dtCurrentSet;
    const isam::TBookmark mark = ces.SaveBookmark();
    for (ces.MoveFirst(); !ces.AtEnd(); ces.MoveNext()) {
      std::string row = ces.FieldNamed("Q_OR_NUMBER").StringValue();
      for (const char* f : {"A1", "A2", "A3", "A4", "A5", "A6", "Q1", "Q_TEXT"})
        row += "|" + ces.FieldNamed(f).StringValue();
      rows.push_back(row);
    }
    ces.ReturnToBookmark(mark);
    return rows;
  }
  QString Pdf() const { return QString::fromStdString(folder.Path() + "/key.pdf"); }

  testing::TBankFolder folder;
  TQuestionTables tables;
  int items = 0;
  int heard = 0;
};

// The answer key of all items of the shipped bank: every item once, no band
// cut by a page end, "Page: n" on every page.
TEST_F(PrintActionsTest, AnswerKeyOfAllQuestionsKeepsEveryItemWhole) {
  ASSERT_EQ(items, 210);
  TWatchingPrinter printer(Pdf(), heard, tables.dtCurrentSet);
  ASSERT_TRUE(PrintAllItems(tables.dtCurrentSet, "All Questions", printer));
  TPdfText pdf(Pdf());
  ASSERT_GT(pdf.Pages(), 20);
  for (int p = 1; p <= pdf.Pages(); ++p) {
    std::vector<TPdfRun> number = pdf.Find(QString("Page: %1").arg(p));
    ASSERT_EQ(number.size(), 1u) << p;
    EXPECT_EQ(number[0].page, p);
  }
  std::multiset<int> printedIds, tableIds;
  for (const std::string& row : Records()) tableIds.insert(std::stoi(row));
  // Everything between one "Item ID" and the next (footers aside) lies on
  // the page of the first.
  int itemPage = 0;
  const double footerTop = 266.7 - 19.58;
  for (const TPdfRun& run : pdf.Runs()) {
    if (run.text.startsWith("Item ID: ")) {
      printedIds.insert(run.text.mid(9).toInt());
      itemPage = run.page;
    } else if (itemPage > 0 && run.top < footerTop) {
      EXPECT_EQ(run.page, itemPage) << run.text.toStdString();
      EXPECT_LT(run.bottom, footerTop + 0.5) << run.text.toStdString();
    }
  }
  EXPECT_EQ(printedIds, tableIds);
  EXPECT_EQ(printer.pdf_.LastDocumentName(), "ppReport1");
}

// Whatever the print does, the window stays on its item and hears nothing
// while the report walks the set; the tables are as they were.
TEST_F(PrintActionsTest, AllItemsPrintReturnsToTheItemShownBefore) {
  const std::vector<std::string> before = Records();
  tables.dtCurrentSet.SetRecordNumber(5);
  for (TWatchingPrinter::Behaviour behaviour :
       {TWatchingPrinter::Prints, TWatchingPrinter::Cancels, TWatchingPrinter::Throws}) {
    SCOPED_TRACE(behaviour);
    TWatchingPrinter printer(Pdf(), heard, tables.dtCurrentSet);
    printer.behaviour = behaviour;
    const std::string shown = tables.dtCurrentSet.FieldNamed("Q_OR_NUMBER").StringValue();
    heard = 0;
    if (behaviour == TWatchingPrinter::Throws) {
      EXPECT_THROW(PrintAllItems(tables.dtCurrentSet, "All Questions", printer), std::runtime_error);
    } else {
      EXPECT_EQ(PrintAllItems(tables.dtCurrentSet, "All Questions", printer), behaviour == TWatchingPrinter::Prints);
      EXPECT_EQ(printer.heardWhilePrinting, 0);
    }
    EXPECT_TRUE(printer.suspended);
    EXPECT_FALSE(tables.dtCurrentSet.NotificationsSuspended());
    EXPECT_EQ(tables.dtCurrentSet.RecordNumber(), 5);
    EXPECT_EQ(tables.dtCurrentSet.FieldNamed("Q_OR_NUMBER").StringValue(), shown);
  }
  EXPECT_EQ(Records(), before);
}

TEST_F(PrintActionsTest, AllItemsPrintOfAClosedSetFailsWithNotificationsResumed) {
  tables.dtCurrentSet.Close();
  TWatchingPrinter printer(Pdf(), heard, tables.dtCurrentSet);
  EXPECT_ANY_THROW(PrintAllItems(tables.dtCurrentSet, "All Questions", printer));
  EXPECT_FALSE(tables.dtCurrentSet.NotificationsSuspended());
  EXPECT_EQ(printer.pdf_.Prints(), 0);
}

TEST_F(PrintActionsTest, ItemPrintNumbersTheItemByItsPositionInTheExam) {
  tables.dtCurrentSet.SetRecordNumber(3);
  heard = 0;
  const std::string id = tables.dtCurrentSet.FieldNamed("Q_OR_NUMBER").StringValue();
  TPdfReportPrinter printer(Pdf());
  ASSERT_TRUE(PrintCurrentItem(tables.dtCurrentSet, "The question as shown", "All Questions", printer));
  TPdfText pdf(Pdf());
  EXPECT_EQ(pdf.Find("Item Number: 3").size(), 1u);
  EXPECT_EQ(pdf.Find("The question as shown").size(), 1u);
  EXPECT_EQ(pdf.Find(QString::fromStdString("Item ID: " + id)).size(), 0u);
  EXPECT_EQ(tables.dtCurrentSet.RecordNumber(), 3);
  EXPECT_EQ(heard, 0);
}

}  // namespace
}  // namespace marvessa
