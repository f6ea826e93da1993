#pragma once
// The ten ways to start an exam. The round buttons, the three large buttons
// and the "Exa&ms" menu all trigger the same actions.
#include <QString>
#include <array>

namespace marvessa {

enum class TExamSource { Bank, RandomBank, UserSet };

struct TExamAction {
  const char* name;           // Action1 .. Action7, AllQAct, RandAct, UserAct
  const char* dialogCaption;  // the start dialog's caption
  const char* examTitle;      // ExamTitle
  const char* filter;         // the bank's filter (none for the user set)
  TExamSource source;
  const char* menuCaption;    // the item of the "Exa&ms" menu
};

inline constexpr int kExamActionCount = 10;
extern const std::array<TExamAction, kExamActionCount> kExamActions;
// The bank's questions that belong to some practice exam.
inline constexpr const char* kEligibleFilter = "Q_EXAM_N<>0";

// Index of the action with that name, -1 when there is none.
int FindExamAction(const QString& name);

}  // namespace marvessa
