#include "exam/session/item_windows.h"

#include "engine/table.h"
#include "exam/data/qt_text.h"
#include "exam/presentation/note_form.h"
#include "exam/presentation/pict_form.h"
#include "exam/session/test_form.h"

namespace marvessa {

QString ExhibitFileName(const isam::TIsamTable& currentSet, const char* field) {
  return ToQString(currentSet.FieldNamed(field).StringValue());
}

void ConnectItemWindows(TTestForm& exam, TNoteForm& note, TPictForm& pict1, TPictForm& pict2) {
  isam::TIsamTable& set = exam.Tables().dtCurrentSet;
  // ExhBtnAClick, ExhBtnBClick; a picture that does not load reaches the
  // error display through the exam window's guard, and no window opens.
  exam.Handlers().Pict1ButtonClick = [&set, &pict1] { pict1.ShowExhibit(ExhibitFileName(set, "PICT1")); };
  exam.Handlers().Pict2ButtonClick = [&set, &pict2] { pict2.ShowExhibit(ExhibitFileName(set, "PICT2")); };
  // NoteButtonClick: the item line names the running exam.
  exam.Handlers().NoteButtonClick = [&exam, &note] { note.Execute(exam.Session().ExamTitle()); };
  exam.NoteWindowOpen = [&note] { return note.isVisible(); };
}

void DisconnectItemWindows(TTestForm& exam) {
  exam.Handlers().Pict1ButtonClick = nullptr;
  exam.Handlers().Pict2ButtonClick = nullptr;
  exam.Handlers().NoteButtonClick = nullptr;
  exam.NoteWindowOpen = nullptr;
}

}  // namespace marvessa
