#include "exam/printing/qt_report_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTimer>

namespace marvessa {
namespace {

// The print dialog comes first; cancelling it prints nothing.
TEST(QtReportPrinterTest, CancellingThePrintDialogPrintsNothing) {
  TReport report;
  report.documentName = "ItemReport";
  bool painted = false;
  TReportElement probe;
  probe.kind = TElementKind::Painting;
  probe.width = probe.height = 10;
  probe.paint = [&](QPainter&, const QRectF&) { painted = true; };
  report.detail.elements = {probe};

  QStringList buttons;
  bool sawDialog = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    sawDialog = true;
    if (auto* box = dialog->findChild<QDialogButtonBox*>())
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
    dialog->reject();
  });
  TQtReportPrinter printer;
  EXPECT_FALSE(printer.Print(report));
  EXPECT_TRUE(sawDialog);
  EXPECT_TRUE(buttons.contains("Pre&view")) << buttons.join(',').toStdString();
  EXPECT_FALSE(painted);
}

// "Pre&view" shows the pages; closing the preview prints nothing.
TEST(QtReportPrinterTest, PreviewShowsThePagesFirst) {
  TReport report;
  int painted = 0;
  TReportElement probe;
  probe.kind = TElementKind::Painting;
  probe.width = probe.height = 10;
  probe.paint = [&](QPainter&, const QRectF&) { ++painted; };
  report.detail.elements = {probe};

  bool sawPreview = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    QTimer::singleShot(0, [&] {
      auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
      if (!preview) return;
      sawPreview = true;
      preview->reject();
    });
    for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
      if (b->text() == "Pre&view") b->click();
  });
  TQtReportPrinter printer;
  EXPECT_FALSE(printer.Print(report));
  EXPECT_TRUE(sawPreview);
  EXPECT_GT(painted, 0);
}

}  // namespace
}  // namespace marvessa
