#include "exam/printing/qt_report_printer.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>

namespace marvessa {

namespace {

// The cancel window: shown while the pages go to the printer.
class TPrintProgressWindow : public IPrintProgress {
 public:
  TPrintProgressWindow(QWidget* parent, const QString& documentName)
      : dialog_(QString("Printing %1...").arg(documentName), "&Cancel", 0, 1, parent) {
    dialog_.setObjectName("PrintProgress");
    dialog_.setWindowTitle("Printing");
    dialog_.setAccessibleName("Printing progress");
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(300);
    dialog_.setAutoReset(false);
  }
  void Begin(int pageCount) override {
    dialog_.setMaximum(std::max(1, pageCount));
    dialog_.setValue(0);
  }
  bool PagePrinted(int page) override {
    dialog_.setValue(++done_);
    (void)page;
    QCoreApplication::processEvents();
    return !dialog_.wasCanceled();
  }
  void End() override { dialog_.close(); }

 private:
  QProgressDialog dialog_;
  int done_ = 0;
};

}  // namespace

TQtReportPrinter::TQtReportPrinter(QWidget* parent) : parent_(parent) {}

TQtReportPrinter::~TQtReportPrinter() = default;

bool TQtReportPrinter::Print(TReport& report) {
  // Made at the first print: looking up the printers takes a moment.
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrinter& printer = *printer_;
  printer.setDocName(report.documentName);
  printer.setPageLayout(report.pageLayout);
  printer.setFromTo(0, 0);
  printer.setPrintRange(QPrinter::AllPages);

  QPrintDialog dialog(&printer, parent_);
  dialog.setObjectName("PrintDialog");
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                    QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
  bool preview = false;
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
    QPushButton* previewButton = buttons->addButton("Pre&view", QDialogButtonBox::ActionRole);
    QObject::connect(previewButton, &QPushButton::clicked, &dialog, [&] {
      preview = true;
      dialog.accept();
    });
  }
  if (dialog.exec() != QDialog::Accepted) return false;

  if (preview) {
    QPrintPreviewDialog previewDialog(&printer, parent_);
    previewDialog.setObjectName("PrintPreview");
    previewDialog.setWindowTitle(report.documentName);
    bool printed = false;
    QObject::connect(&previewDialog, &QPrintPreviewDialog::paintRequested, &previewDialog, [&](QPrinter* target) {
      TReportWriter(report).Print(*target);
      printed = true;
    });
    return previewDialog.exec() == QDialog::Accepted && printed;
  }

  const bool range = printer.printRange() == QPrinter::PageRange;
  TPrintProgressWindow progress(parent_, report.documentName);
  const TPrintOutcome outcome =
      TReportWriter(report).Print(printer, &progress, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
  return !outcome.cancelled && outcome.pagesPrinted > 0;
}

}  // namespace marvessa
