#pragma once
// The printed score report: one page with the publisher's banner, the
// report title and the date, copies of the score window's two charts (the
// total chart without its title, the sections chart) and the pass/fail line.
#include <QDate>
#include <QString>

#include "exam/printing/report_model.h"
#include "exam/session/grading.h"

namespace marvessa {

class IReportPrinter;

TReport ScoreReport(const TGradeResult& result, const QString& reportTitle, const QDate& today);
bool PrintScoreReport(const TGradeResult& result, const QString& reportTitle, const QDate& today,
                      IReportPrinter& printer);

}  // namespace marvessa
