#include "exam/printing/report_printer.h"

#include <QPdfWriter>

namespace marvessa {

bool TPdfReportPrinter::Print(TReport& report) {
  QPdfWriter pdf(path_);
  pdf.setTitle(report.documentName);
  pdf.setCreator(QStringLiteral("Marvessa"));
  pdf.setResolution(1200);
  last_ = TReportWriter(report).Print(pdf);
  lastName_ = report.documentName;
  ++prints_;
  return !last_.cancelled && last_.pagesPrinted > 0;
}

}  // namespace marvessa
