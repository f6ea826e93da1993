#include "exam/printing/printouts.h"

namespace marvessa {

namespace {

TReportElement Named(TReportElement e, const char* name) {
  e.name = QString::fromLatin1(name);
  return e;
}

// Answer row n (0-based) of the answer key: its check box, letter and text.
TReportElement AnswerRow(int n) {
  const QString number = QString::number(n + 1);
  TReportElement box;
  box.kind = TElementKind::CheckBox;
  box.left = 14.82;
  box.width = 4.76;
  box.height = 5.29;
  box.field = "A" + number;
  TReportElement text = TextBlock(25.40, 0, 164.57, {}, ReportFont(10));
  text.field = "Q" + number;
  text.spaceBelow = 2.54;
  TReportElement row;
  row.kind = TElementKind::Region;
  row.name = QString("ppRegion%1").arg(n + 2);
  row.left = 6.35;
  row.width = 184.15;
  row.underPrevious = true;
  row.children = {box, Label(20.11, 0, QString(QChar('a' + n)) + '.', ReportFont(10)), text};
  return row;
}

}  // namespace

TReportFont BannerFont() {
  TReportFont font = ReportFont(16, true, true);
  font.color = QColor(0x00, 0x00, 0x80);
  return font;
}

std::vector<TReportElement> PageBanner() {
  return {Named(Frame(8.73, 5.29, 30.69, 8.73), "ppShape1"),
          Named(Label(10.58, 6.35, kPublisherBanner, BannerFont()), "ppLabel1"),
          Named(Rule(26.72, 11.91, 164.57), "ppLine1")};
}

QStringList ItemAnswerLines(const TItemPrintData& item) {
  QStringList lines;
  for (int n = 0; n < 6; ++n) {
    const QString& answer = item.answers[static_cast<size_t>(n)];
    if (n < 2 || !answer.isEmpty()) lines << QString(QChar('a' + n)) + ".  " + answer;
    lines << QString();
  }
  lines << QString() << QString() << item.explanation;
  return lines;
}

TReport ItemReport(const TItemPrintData& item) {
  TReport report;
  report.documentName = "ItemReport";
  TReportElement question = TextBlock(12.70, 29.10, 168.28, item.questionText, ReportFont(10));
  report.title.elements = {
      Named(Frame(10.05, 12.97, 30.69, 8.73), "ppShape1"),
      Named(Label(11.91, 14.02, kPublisherBanner, BannerFont()), "ppLabel1"),
      Named(Rule(28.05, 19.32, 152.93), "ppLine1"),
      Named(RightLabel(180.98, 14.02, QString(kProductName) + ", " + item.examTitle, ReportFont(12, true)), "ppLabel2"),
      Named(RightLabel(180.98, 19.84, "Item Number: " + QString::number(item.itemNumber), ReportFont(10, true)),
            "ppLabel3"),
      Named(question, "ppMemo1"),
  };
  // The answers follow the question once, in the band printed once, so that
  // an item continuing on a second page does not repeat them there.
  report.detail.height = 7.14;
  report.detail.elements = {
      Named(Rule(12.70, 1.32, 168.28), "ppLine2"),
      Named(TextBlock(12.70, 4.23, 168.28, ItemAnswerLines(item).join('\n'), ReportFont(10)), "ppMemo2"),
  };
  report.pageFooter.height = 32.02;
  report.pageFooter.elements = {
      Named(Rule(10.05, 1.32, 169.86), "ppLine3"),
      Named(Label(10.05, 1.85, kProductName, ReportFont(10)), "ppLabel4"),
      Named(Label(123.03, 1.85, kFooterNotice, ReportFont(10)), "ppLabel5"),
  };
  return report;
}

TReport AllItemsReport(const QString& examTitle, IRecordSource& source) {
  TReport report;
  report.documentName = "ppReport1";
  report.source = &source;
  report.title.height = 20.37;
  report.title.elements = PageBanner();
  report.title.elements.insert(report.title.elements.end(), {
      Named(RightLabel(191.29, 6.35, QString(kProductName) + ", " + examTitle, ReportFont(12, true)), "ppLabel2"),
      Named(RightLabel(191.03, 12.70, "All Items in " + examTitle, ReportFont(10, true)), "ppLabel3"),
  });
  TReportElement itemId = Label(8.47, 0.79, {}, ReportFont(10, true, true));
  itemId.field = "Q_OR_NUMBER";
  itemId.format = "Item ID: # ";
  TReportElement question = TextBlock(10.58, 6.88, 182.56, {}, ReportFont(10));
  question.field = "Q_TEXT";
  question.spaceBelow = 3.81;
  report.detail.elements = {Named(itemId, "ppDBText1"), Named(Rule(8.47, 3.70, 182.03), "ppLine2"),
                            Named(question, "ppDBMemo1")};
  for (int n = 0; n < 6; ++n) {
    TReportElement row = AnswerRow(n);
    // ppRegion4Print .. ppRegion7Print: rows c .. f only with an answer text.
    if (n >= 2) {
      const QString field = "Q" + QString::number(n + 1);
      row.beforePrint = [&source, field] { return !source.Text(field).isEmpty(); };
    }
    report.detail.elements.push_back(row);
  }
  TReportElement explanation = TextBlock(12.70, 0, 182.03, {}, ReportFont(10, false, true));
  explanation.field = "Q_EXPL";
  explanation.underPrevious = true;
  explanation.spaceBelow = 5.08;
  report.detail.elements.push_back(Named(explanation, "ppDBMemo2"));

  report.pageFooter.height = 19.58;
  TReportElement pageNumber = RightLabel(189.44, 1.59, {}, ReportFont(8));
  pageNumber.kind = TElementKind::PageNumber;
  pageNumber.format = "Page: #";
  report.pageFooter.elements = {
      Named(Rule(7.94, 0.79, 182.56), "ppLine3"),
      Named(pageNumber, "ppSystemVariable1"),
      Named(Label(8.47, 1.59, kFooterNotice, ReportFont(8)), "ppLabel4"),
  };
  return report;
}

}  // namespace marvessa
