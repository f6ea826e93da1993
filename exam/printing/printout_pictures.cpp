// Page images of the printouts for the documentation:
//   build/<flavour>/bin/marvessa_printouts docs
// The printouts of an "All Questions" exam over a copy of the tables beside
// the program, printed to PDF and turned into PNG pages by pdftoppm.
#include <QDir>
#include <QApplication>
#include <QProcess>
#include <cstdio>

#include "exam/data/qt_text.h"
#include "exam/data/response_table.h"
#include "exam/printing/print_actions.h"
#include "exam/printing/report_printer.h"
#include "exam/printing/sample_exam.h"
#include "exam/printing/score_printout.h"
#include "testing/bank_copy.h"
#include "testing/window_pictures.h"

namespace {

// Page `page` of the PDF as `png` (pdftoppm adds no suffix with -singlefile).
void Picture(const QString& pdf, int page, const QString& png) {
  QString base = png;
  base.chop(4);
  const int rc = QProcess::execute("pdftoppm", {"-png", "-r", "80", "-f", QString::number(page), "-l",
                                                 QString::number(page), "-singlefile", pdf, base});
  if (rc != 0) std::fprintf(stderr, "pdftoppm failed for %s\n", qPrintable(png));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace marvessa;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString out = PictureFolder(argc, argv);
  TBankCopy copy(QCoreApplication::applicationDirPath());
  TQuestionTables tables;
  BuildAllQuestionsExam(tables);

  TPdfReportPrinter item(copy.Path() + "/item.pdf");
  const QString question = ToQString(tables.dtCurrentSet.FieldNamed("Q_TEXT").StringValue());
  PrintCurrentItem(tables.dtCurrentSet, question, "All Questions", item);
  Picture(item.Path(), 1, out + "/printout-item.png");

  TPdfReportPrinter all(copy.Path() + "/all.pdf");
  PrintAllItems(tables.dtCurrentSet, "All Questions", all);
  Picture(all.Path(), 1, out + "/printout-all-items.png");

  // A candidate who answered every item but each seventh by the key.
  TResponseTable responses;
  ResetResponses(tables.dtCurrentSet, responses);
  for (int i = 0; i < responses.Count(); ++i) responses[i].Correct = i % 7 != 0;
  TPdfReportPrinter score(copy.Path() + "/score.pdf");
  PrintScoreReport(GradeResponses(responses), ReportTitle("Ada Lovelace", "All Questions"), QDate(2026, 12, 11),
                   score);
  Picture(score.Path(), 1, out + "/printout-score-report.png");
  return 0;
}
