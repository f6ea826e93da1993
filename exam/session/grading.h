#pragma once
// Grading an exam: the correct items of the responses become a score on a
// scale of 0 to 1000 against the passing score, and each of the seven
// sections gets its share of correct items. The score window and the
// printed score report show what this computes; the captions they show are
// built here too, so that both say the same.
#include <QString>
#include <array>

#include "exam/data/section_names.h"

namespace marvessa {

class TResponseTable;

inline constexpr int kPassingScore = 850;
inline constexpr int kMaximumScore = 1000;

struct TSectionScore {
  int right = 0;    // items of the section answered correctly
  int total = 0;    // items of the section
  int percent = 0;  // right * 100 / total, halves to even; 0 without items
};

struct TGradeResult {
  int itemCount = 0;     // n: every entry of the responses
  int correctCount = 0;  // c: the entries whose Correct is set
  double score = 0;      // 1000 * c / n, not rounded; 0 when n is 0
  int shownScore = 0;    // the score rounded, halves to even
  bool passed = false;   // exactly 1000 * c >= 850 * n
  // Sections 1 to 7 at 0 to 6. An item of any other section (a user item
  // saved without one holds 0) counts in n and c only.
  std::array<TSectionScore, kSectionCount> sections{};

  // An exam whose filter found no items: there is nothing to divide by.
  bool NothingToGrade() const { return itemCount == 0; }
  const TSectionScore& Section(int section) const { return sections.at(static_cast<size_t>(section - 1)); }
};

TGradeResult GradeResponses(const TResponseTable& responses);

// "Pass" or "Fail".
QString GradeText(const TGradeResult& result);
// The candidate's name, the program's name and the exam's title, each
// joined by a comma and two blanks.
QString ReportTitle(const QString& candidateName, const QString& examTitle);
// The pass/fail line under the total chart and on the printout.
QString PassFailLine(const TGradeResult& result);
// The label of a section's bar: its name and " (right/total) ".
QString SectionBarLabel(int section, const TSectionScore& score);

}  // namespace marvessa
