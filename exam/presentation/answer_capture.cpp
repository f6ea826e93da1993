#include "exam/presentation/answer_capture.h"

namespace marvessa {

bool CaptureRadioChoices(TExamMode mode, TAnswerFlags& shown, TAnswerFlags& choice) {
  if (mode == Answering) {
    choice = shown;
    return true;
  }
  if (mode == Reviewing) shown = choice;
  return false;
}

bool CaptureCheckBox(TExamMode mode, int n, TAnswerFlags& shown, TAnswerFlags& choice) {
  if (n < 0 || n >= kAnswerCount) return false;
  const auto i = static_cast<size_t>(n);
  if (mode == Answering) {
    choice[i] = shown[i];
    return true;
  }
  if (mode == Reviewing) shown[i] = choice[i];
  return false;
}

bool CaptureLabelClick(TExamMode mode, int n, bool multiple, TAnswerFlags& shown, TAnswerFlags& choice) {
  if (n < 0 || n >= kAnswerCount) return false;
  const auto i = static_cast<size_t>(n);
  if (multiple) {
    shown[i] = !shown[i];
    return CaptureCheckBox(mode, n, shown, choice);
  }
  if (shown[i]) return false;  // checking a checked radio button changes nothing
  shown = {};
  shown[i] = true;
  return CaptureRadioChoices(mode, shown, choice);
}

}  // namespace marvessa
