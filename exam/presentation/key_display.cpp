#include "exam/presentation/key_display.h"

namespace marvessa {

void ShowAnswerKey(TKeyDisplay& display, const TAnswerFlags& key) {
  display.explanationVisible = true;
  display.highlighted = key;
}

void HideAnswerKey(TKeyDisplay& display) {
  display.explanationVisible = false;
  display.highlighted = {};
}

void UpdateKeyDisplay(TKeyDisplay& display, TExamMode mode, const TAnswerFlags& key, bool correct) {
  if (mode == Reviewing) ShowAnswerKey(display, key);
  if (mode == Answering) HideAnswerKey(display);
  display.verdict = correct ? "Correct" : "Incorrect";
  display.verdictCorrect = correct;
}

}  // namespace marvessa
