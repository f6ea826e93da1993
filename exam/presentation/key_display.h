#pragma once
// The answer-key display of the item area: whether the explanation shows,
// which answer labels are coloured as correct, and the verdict of the
// header's CorrectLabel. "Learn Now" shows the key of the current item;
// every change of item puts the display of the exam's mode back.
#include <QString>

#include "exam/data/exam_mode.h"
#include "exam/presentation/item_content.h"

namespace marvessa {

struct TKeyDisplay {
  bool explanationVisible = false;
  TAnswerFlags highlighted{};  // aqua background: a correct answer
  QString verdict;             // "Correct" (blue) or "Incorrect" (red)
  bool verdictCorrect = false;
  bool operator==(const TKeyDisplay&) const = default;
};

void ShowAnswerKey(TKeyDisplay& display, const TAnswerFlags& key);
void HideAnswerKey(TKeyDisplay& display);
// After each change of the current item: the key while reviewing, none while
// answering; the verdict from the item's Correct flag in both.
void UpdateKeyDisplay(TKeyDisplay& display, TExamMode mode, const TAnswerFlags& key, bool correct);

}  // namespace marvessa
