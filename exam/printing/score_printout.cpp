#include "exam/printing/score_printout.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLocale>
#include <QPainter>

#include "exam/printing/printouts.h"
#include "exam/printing/report_printer.h"
#include "exam/session/score_charts.h"

namespace marvessa {

namespace {

// Charts are laid out at this width in scene pixels, as on a screen, and
// scaled into the page, so their fonts keep the proportions of the window.
constexpr double kChartSceneWidth = 720;

using TChartFill = void (*)(QChart&, const TGradeResult&, const QString&);

// A chart of its own, filled as the window's chart is, rendered from its
// scene into the element's rectangle.
TReportElement ChartCopy(double left, double top, double width, double height, TChartFill fill,
                         const TGradeResult& result, const char* name) {
  TReportElement e = Frame(left, top, width, height);
  e.kind = TElementKind::Painting;
  e.name = name;
  e.paint = [fill, result](QPainter& painter, const QRectF& target) {
    QGraphicsScene scene;
    auto* chart = new QChart;  // owned by the scene
    scene.addItem(chart);
    const QRectF source(0, 0, kChartSceneWidth, kChartSceneWidth * target.height() / target.width());
    chart->setGeometry(source);
    fill(*chart, result, QString());
    chart->setBackgroundVisible(false);
    chart->layout()->activate();
    scene.setSceneRect(source);
    scene.render(&painter, target, source);
  };
  return e;
}

}  // namespace

TReport ScoreReport(const TGradeResult& result, const QString& reportTitle, const QDate& today) {
  TReport report;
  report.documentName = "Score Report";
  report.pageLimit = 1;
  constexpr double kWidth = 203.2;  // the printable width of Letter
  report.title.elements = PageBanner();
  report.title.elements.insert(report.title.elements.end(), {
      RightLabel(191.29, 6.35, reportTitle, ReportFont(12, true)),
      RightLabel(191.29, 12.70, QLocale().toString(today, QLocale::LongFormat), ReportFont(10)),
      CentredLabel(0, kWidth, 24.0, "Examination Score Report", ReportFont(16, true)),
      Frame(8.73, 34.0, 182.56, 64.0),
      ChartCopy(10.0, 35.0, 180.0, 62.0, &FillTotalChart, result, "TotalChart"),
      CentredLabel(0, kWidth, 102.0, PassFailLine(result), ReportFont(12, true)),
      Rule(8.47, 115.0, 182.03),
      Label(8.47, 112.0, " Sections ", ReportFont(12, true, true)),
      ChartCopy(10.0, 121.0, 180.0, 118.0, &FillSectionChart, result, "Chart1"),
  });
  report.pageFooter.height = 12.0;
  report.pageFooter.elements = {Rule(7.94, 0.79, 182.56), Label(8.47, 1.59, kProductName, ReportFont(8))};
  return report;
}

bool PrintScoreReport(const TGradeResult& result, const QString& reportTitle, const QDate& today,
                      IReportPrinter& printer) {
  TReport report = ScoreReport(result, reportTitle, today);
  return printer.Print(report);
}

}  // namespace marvessa
