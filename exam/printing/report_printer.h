#pragma once
// How a printout reaches paper. The exam window hands its reports to an
// IReportPrinter: on screen that is TQtReportPrinter (qt_report_printer.h),
// with the print dialog, preview and a cancel window; tests, the benchmark
// and the documentation print to a PDF file without asking.
#include <QString>

#include "exam/printing/report_model.h"
#include "exam/printing/report_writer.h"

namespace marvessa {

class IReportPrinter {
 public:
  virtual ~IReportPrinter() = default;
  // False when nothing was printed: the print dialog was cancelled, or the
  // print was cancelled before its last page.
  virtual bool Print(TReport& report) = 0;
};

// Each print overwrites the file at `path`.
class TPdfReportPrinter : public IReportPrinter {
 public:
  explicit TPdfReportPrinter(QString path) : path_(std::move(path)) {}
  bool Print(TReport& report) override;

  const QString& Path() const { return path_; }
  int Prints() const { return prints_; }
  const TPrintOutcome& LastOutcome() const { return last_; }
  // The document name of the last print.
  const QString& LastDocumentName() const { return lastName_; }

 private:
  QString path_;
  int prints_ = 0;
  TPrintOutcome last_;
  QString lastName_;
};

}  // namespace marvessa
