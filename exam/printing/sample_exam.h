#pragma once
// The "All Questions" exam of the question bank in the working directory,
// built into the current exam set as the exam window builds it, for the
// printing tests, the printing benchmark and the printout pictures.
#include "engine/table.h"
#include "exam/data/exam_set_builder.h"
#include "exam/data/question_tables.h"
#include "exam/data/random_generator.h"
#include "exam/session/exam_actions.h"
#include "prefs/clock.h"

namespace marvessa {

// Leaves the current exam set open on its first record; returns the item count.
inline int BuildAllQuestionsExam(TQuestionTables& tables) {
  struct : IProgress {
    void Show() override {}
    void SetMaximum(int) override {}
    void SetPosition(int) override {}
    void Close() override {}
  } quiet;
  TRandomGenerator random;
  TFixedClock clock{QDateTime(QDate(2026, 12, 11), QTime(9, 30), Qt::UTC)};
  tables.dtQSet.SetFilter(kEligibleFilter);
  tables.dtQSet.SetFiltered(true);
  tables.dtQSet.Open();
  const int items = TExamSetBuilder{tables.dtCurrentSet, quiet, random, clock}.BuildExamSet(tables.dtQSet).ItemCount;
  tables.dtQSet.Close();
  tables.dtCurrentSet.MoveFirst();
  return items;
}

}  // namespace marvessa
