// printbench: the answer key of the shipped bank's "All Questions" exam
// printed to PDF, as "Print all items in this exam" prints it, timed over
// several runs. Build in Release; it prints figures only.
//   build/rel/bin/printbench [runs]
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "exam/printing/print_actions.h"
#include "exam/printing/report_printer.h"
#include "exam/printing/sample_exam.h"
#include "testing/bank_copy.h"

int main(int argc, char** argv) {
  using namespace marvessa;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  TBankCopy copy(QCoreApplication::applicationDirPath());
  TQuestionTables tables;
  const int items = BuildAllQuestionsExam(tables);
  TPdfReportPrinter printer(copy.Path() + "/answer-key.pdf");

  std::vector<double> ms;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer timer;
    timer.start();
    PrintAllItems(tables.dtCurrentSet, "All Questions", printer);
    ms.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("answer key to PDF: items=%d pages=%d bytes=%lld runs=%d min=%.0fms median=%.0fms max=%.0fms "
              "target<2000ms\n",
              items, printer.LastOutcome().pagesPrinted,
              static_cast<long long>(QFileInfo(printer.Path()).size()), runs, ms.front(), ms[ms.size() / 2],
              ms.back());
  return 0;
}
