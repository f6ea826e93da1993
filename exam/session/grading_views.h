#pragma once
// The score report and the items review windows as the exam session uses
// them: it hands them what it computed and shows them modally. Tests of the
// session put doubles here.
#include <QString>

#include "exam/session/review_list.h"

namespace marvessa {

struct TGradeResult;
class TResponseTable;

class IScoreReport {
 public:
  virtual ~IScoreReport() = default;
  // FillTotalChart, FillSectionChart and the pass/fail line of one grading.
  virtual void ShowGrading(const TGradeResult& result, const QString& reportTitle) = 0;
  // Shows the report modally until it is left.
  virtual void Execute() = 0;
};

class IReviewList {
 public:
  virtual ~IReviewList() = default;
  virtual void FillReviewList(const TResponseTable& responses, TReviewVariant variant) = 0;
  // "&Go to the selected question" disabled, then shown modally.
  virtual void Execute() = 0;
};

}  // namespace marvessa
