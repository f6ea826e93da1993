#pragma once
// What a click on a selector or an answer text does, by the exam's mode:
// while answering it becomes the item's stored choice, while reviewing the
// display is put back to the stored choice, with no exam it does nothing.
// `shown` is the selectors' state as the toolkit left it after the click
// and is corrected in place; `choice` is the item's stored Choice. Each
// returns true when the stored choice was written, so that the caller runs
// CheckItem.
#include "exam/data/exam_mode.h"
#include "exam/presentation/item_content.h"

namespace marvessa {

// A radio button became checked: all six states are copied.
bool CaptureRadioChoices(TExamMode mode, TAnswerFlags& shown, TAnswerFlags& choice);
// Check box n (0 .. 5) changed its state.
bool CaptureCheckBox(TExamMode mode, int n, TAnswerFlags& shown, TAnswerFlags& choice);
// Answer text n (0 .. 5) was clicked: the same as a click on its selector.
// A single-response item checks radio button n (nothing when it already is);
// a multiple-response item inverts check box n.
bool CaptureLabelClick(TExamMode mode, int n, bool multiple, TAnswerFlags& shown, TAnswerFlags& choice);

}  // namespace marvessa
