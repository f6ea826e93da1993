#include "exam/session/exam_actions.h"

namespace marvessa {

const std::array<TExamAction, kExamActionCount> kExamActions = {{
    {"Action1", "Begin Practice Exam A", "Practice Exam A", "Q_EXAM_N=1", TExamSource::Bank, "Practice Exam &A"},
    {"Action2", "Begin Practice Exam B", "Practice Exam B", "Q_EXAM_N=2", TExamSource::Bank, "Practice Exam &B"},
    {"Action3", "Begin Practice Exam C", "Practice Exam C", "Q_EXAM_N=3", TExamSource::Bank, "Practice Exam &C"},
    {"Action4", "Begin Practice Exam D", "Practice Exam D", "Q_EXAM_N=4", TExamSource::Bank, "Practice Exam &D"},
    {"Action5", "Begin Practice Exam E", "Practice Exam E", "Q_EXAM_N=5", TExamSource::Bank, "Practice Exam &E"},
    {"Action6", "Begin Practice Exam F", "Practice Exam F", "Q_EXAM_N=6", TExamSource::Bank, "Practice Exam &F"},
    {"Action7", "Begin Practice Exam G", "Practice Exam G", "Q_EXAM_N=7", TExamSource::Bank, "Practice Exam &G"},
    {"AllQAct", "Take All Questions", "All Questions", kEligibleFilter, TExamSource::Bank, "&Take All &Questions"},
    {"RandAct", "Random Exam", "Random Exam", kEligibleFilter, TExamSource::RandomBank, "&Random Exam"},
    {"UserAct", "User Exam", "User Exam", "", TExamSource::UserSet, "&User Exam"},
}};

int FindExamAction(const QString& name) {
  for (int i = 0; i < kExamActionCount; ++i)
    if (name == QLatin1String(kExamActions[static_cast<size_t>(i)].name)) return i;
  return -1;
}

}  // namespace marvessa
