#pragma once
// The two bar charts of the score report: the total chart (the candidate's
// score beside the required score, 0 to 1000) and the sections chart (the
// share of correct items per section, 0 to 100). The score window and the
// printed score report fill charts of their own with these functions, so
// that both show the same bars.
//
// Each bar is a bar set of its own in a stacked horizontal series, holding
// its length in its own category and 0 elsewhere: so every bar has its own
// colour and label, and the bars keep their full width. Bars are laid out
// from the bottom up, so the bar added first is the lowest.
#include <QColor>
#include <QString>
#include <vector>

class QChart;

namespace marvessa {

struct TGradeResult;

struct TChartBar {
  QString label;
  double length;
  QColor colour;
};

// The bars in the order they are added.
std::vector<TChartBar> TotalBars(const TGradeResult& result);
std::vector<TChartBar> SectionBars(const TGradeResult& result);

// Clears the chart and adds the two total bars; the title is the report
// title on screen and empty on the printout.
void FillTotalChart(QChart& chart, const TGradeResult& result, const QString& title);
// Clears the chart and adds the seven section bars, section 7 first.
void FillSectionChart(QChart& chart, const TGradeResult& result, const QString& title);

// The bars a chart holds now, read back from its series (for tests and
// for copying a chart).
std::vector<TChartBar> ChartBars(const QChart& chart);

}  // namespace marvessa
