#include "exam/session/score_charts.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QFontMetrics>
#include <QHorizontalStackedBarSeries>
#include <QValueAxis>

#include "exam/session/grading.h"

namespace marvessa {

namespace {

const QColor kGreen(0x00, 0x80, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kRed(0xFF, 0x00, 0x00);

// Category labels wider than this wrap onto further lines at blanks, so that
// long section names leave the bars room on a narrow chart.
inline constexpr int kLabelWrapWidth = 130;

// Axis labels are rich text: the lines are joined with <br>.
QString WrappedLabel(const QString& text, const QFont& font) {
  const QFontMetrics metrics(font);
  const QStringList words = text.trimmed().split(' ', Qt::SkipEmptyParts);
  QStringList lines;
  QString line;
  for (const QString& word : words) {
    const QString longer = line.isEmpty() ? word : line + ' ' + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(longer) > kLabelWrapWidth) {
      lines << line.toHtmlEscaped();
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.isEmpty()) lines << line.toHtmlEscaped();
  return lines.join("<br>");
}

void FillChart(QChart& chart, const std::vector<TChartBar>& bars, const QString& title, double maximum,
               int ticks) {
  chart.removeAllSeries();
  for (QAbstractAxis* axis : chart.axes()) {
    chart.removeAxis(axis);
    delete axis;
  }
  chart.setTitle(title);
  chart.legend()->hide();
  chart.setAnimationOptions(QChart::NoAnimation);
  chart.setDropShadowEnabled(false);  // flat
  chart.setBackgroundRoundness(0);

  auto* series = new QHorizontalStackedBarSeries;
  QStringList categories;
  auto* labels = new QBarCategoryAxis;
  for (size_t i = 0; i < bars.size(); ++i) {
    auto* set = new QBarSet(bars[i].label);
    for (size_t j = 0; j < bars.size(); ++j) set->append(i == j ? bars[i].length : 0.0);
    set->setColor(bars[i].colour);
    set->setBorderColor(bars[i].colour.darker(130));
    series->append(set);
    categories << WrappedLabel(bars[i].label, labels->labelsFont());
  }
  series->setBarWidth(0.6);
  chart.addSeries(series);

  auto* values = new QValueAxis;
  values->setRange(0, maximum);
  values->setTickCount(ticks);
  values->setLabelFormat("%d");
  chart.addAxis(values, Qt::AlignBottom);
  series->attachAxis(values);
  labels->append(categories);
  labels->setTruncateLabels(false);
  chart.addAxis(labels, Qt::AlignLeft);
  series->attachAxis(labels);
}

}  // namespace

std::vector<TChartBar> TotalBars(const TGradeResult& result) {
  return {{"Your score", result.score, kGreen}, {"Required score", double(kPassingScore), kBlue}};
}

std::vector<TChartBar> SectionBars(const TGradeResult& result) {
  std::vector<TChartBar> bars;
  for (int s = kSectionCount; s >= 1; --s)
    bars.push_back({SectionBarLabel(s, result.Section(s)), double(result.Section(s).percent), kRed});
  return bars;
}

void FillTotalChart(QChart& chart, const TGradeResult& result, const QString& title) {
  FillChart(chart, TotalBars(result), title, kMaximumScore, kMaximumScore / 100 + 1);
}

void FillSectionChart(QChart& chart, const TGradeResult& result, const QString& title) {
  FillChart(chart, SectionBars(result), title, 100, 11);
}

std::vector<TChartBar> ChartBars(const QChart& chart) {
  std::vector<TChartBar> bars;
  for (QAbstractSeries* s : chart.series()) {
    auto* series = qobject_cast<QAbstractBarSeries*>(s);
    if (!series) continue;
    const QList<QBarSet*> sets = series->barSets();
    for (int i = 0; i < sets.size(); ++i)
      bars.push_back({sets[i]->label(), i < sets[i]->count() ? sets[i]->at(i) : 0.0, sets[i]->color()});
  }
  return bars;
}

}  // namespace marvessa
