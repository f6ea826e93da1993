// The exam session's part in showing an item: the change notification of
// the current exam set, answer capture, the mark box and the answer key.
#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "exam/data/response_table.h"
#include "exam/presentation/answer_capture.h"
#include "exam/session/exam_session.h"

namespace marvessa {

ItemResponse* TExamSession::CurrentResponse() {
  isam::TIsamTable& set = services_.tables.dtCurrentSet;
  if (mode_ == Idle || !set.Active() || set.IsTableEmpty()) return nullptr;
  const int r = set.RecordNumber();
  if (r < 1 || r > services_.responses.Count()) return nullptr;
  return &services_.responses.ForRecord(r);
}

void TExamSession::dsCurrentSetDataChange(isam::TIsamField*) {
  if (mode_ != Answering && mode_ != Reviewing) return;
  if (services_.view.NoteWindowVisible()) return;
  isam::TIsamTable& set = services_.tables.dtCurrentSet;
  if (!set.Active()) return;
  ++state_.layoutSerial;
  if (set.IsTableEmpty()) {
    // An exam without items (a practice exam the bank has no questions
    // for): nothing to show and nowhere to go.
    state_.prevEnabled = state_.nextEnabled = false;
    state_.label1 = QString("Item 0 of %1").arg(itemCount_);
    state_.label2.clear();
    state_.hasItem = false;
    state_.item = {};
    state_.shown = {};
    state_.marked = false;
    state_.key = {};
    Show();
    return;
  }
  const int r = set.RecordNumber();
  state_.prevEnabled = r != firstRecNo_;
  state_.nextEnabled = r != itemCount_;
  state_.label1 = QString("Item %1 of %2").arg(r).arg(itemCount_);
  state_.label2 = QString("Item ID: %1").arg(set.FieldNamed("Q_OR_NUMBER").IntegerValue());
  // LayoutItem: the item and its stored answer, shown without writing back.
  state_.hasItem = true;
  state_.item = ReadItemContent(set);
  const ItemResponse* entry = CurrentResponse();
  state_.shown = entry ? entry->Choice : TAnswerFlags{};
  state_.marked = entry && entry->Marked;
  UpdateKeyDisplay();
  Show();
}

void TExamSession::MarkBoxClick(bool checked) {
  ItemResponse* entry = CurrentResponse();
  if (!entry) return;
  entry->Marked = checked;
  state_.marked = checked;
}

void TExamSession::AfterCapture(bool written) {
  if (written) CheckItem(services_.tables.dtCurrentSet, services_.responses);
  Show();
}

void TExamSession::RadioButton1Click(const TAnswerFlags& checked) {
  ItemResponse* entry = CurrentResponse();
  if (!entry) return;
  state_.shown = checked;
  AfterCapture(CaptureRadioChoices(mode_, state_.shown, entry->Choice));
}

void TExamSession::CheckBoxClick(int n, bool checked) {
  ItemResponse* entry = CurrentResponse();
  if (!entry || n < 0 || n >= kAnswerCount) return;
  state_.shown[static_cast<size_t>(n)] = checked;
  AfterCapture(CaptureCheckBox(mode_, n, state_.shown, entry->Choice));
}

void TExamSession::ALabelClick(int n) {
  ItemResponse* entry = CurrentResponse();
  if (!entry) return;
  AfterCapture(CaptureLabelClick(mode_, n, state_.item.multiple, state_.shown, entry->Choice));
}

void TExamSession::LearnButtonClick() { ShowAnswerKey(); }

void TExamSession::ShowAnswerKey() {
  if (!state_.hasItem) return;
  marvessa::ShowAnswerKey(state_.key, state_.item.key);
  Show();
}

void TExamSession::HideAnswerKey() {
  marvessa::HideAnswerKey(state_.key);
  Show();
}

void TExamSession::UpdateKeyDisplay() {
  const ItemResponse* entry = CurrentResponse();
  marvessa::UpdateKeyDisplay(state_.key, mode_, state_.item.key, entry && entry->Correct);
}

}  // namespace marvessa
