#include "exam/session/grading.h"

#include <cstdint>

#include "exam/data/response_table.h"
#include "exam/session/choice_layout.h"

namespace marvessa {

TGradeResult GradeResponses(const TResponseTable& responses) {
  TGradeResult r;
  r.itemCount = responses.Count();
  for (int i = 0; i < responses.Count(); ++i) {
    const ItemResponse& e = responses[i];
    if (e.Correct) ++r.correctCount;
    if (e.Section < 1 || e.Section > kSectionCount) continue;
    TSectionScore& s = r.sections[static_cast<size_t>(e.Section - 1)];
    ++s.total;
    if (e.Correct) ++s.right;
  }
  if (r.itemCount > 0) {
    // The quotient of two integers this small is exact at a half, so
    // rounding the double sends 187.5 to 188 and 62.5 to 62 as intended.
    r.score = double(kMaximumScore) * r.correctCount / r.itemCount;
    r.shownScore = RoundHalfEven(r.score);
    r.passed = int64_t(kMaximumScore) * r.correctCount >= int64_t(kPassingScore) * r.itemCount;
  }
  for (TSectionScore& s : r.sections)
    s.percent = s.total == 0 || s.right == 0 ? 0 : RoundHalfEven(100.0 * s.right / s.total);
  return r;
}

QString GradeText(const TGradeResult& result) { return result.passed ? "Pass" : "Fail"; }

QString ReportTitle(const QString& candidateName, const QString& examTitle) {
  return candidateName + ",  " + "Marvessa" + ",  " + examTitle;
}

QString PassFailLine(const TGradeResult& result) {
  const QString passing = QString("Passing Score: %1").arg(kPassingScore);
  if (result.NothingToGrade()) return passing + "   This exam has no items: there is nothing to grade.";
  return passing + QString("   Your Score: %1   Grade: %2").arg(result.shownScore).arg(GradeText(result));
}

QString SectionBarLabel(int section, const TSectionScore& score) {
  return QString("%1 (%2/%3) ").arg(SectionNames(section)).arg(score.right).arg(score.total);
}

}  // namespace marvessa
