#pragma once
// Printing on screen: Qt's print dialog (printer or "Print to File (PDF)",
// page range, copies, plus a "Pre&view" button that shows the pages first),
// then a window with which a long print can be cancelled. The printer and
// its settings are kept, so the next print of this run starts from them.
#include <memory>

#include "exam/printing/report_printer.h"

class QPrinter;
class QWidget;

namespace marvessa {

class TQtReportPrinter : public IReportPrinter {
 public:
  explicit TQtReportPrinter(QWidget* parent = nullptr);
  ~TQtReportPrinter() override;
  bool Print(TReport& report) override;

 private:
  QWidget* parent_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace marvessa
