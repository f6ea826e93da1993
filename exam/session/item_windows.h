#pragma once
// The windows that an item opens from the exam window: "Exhibit &1" and
// "Exhibit &2" show the pictures that the current exam-set record names in
// PICT1 and PICT2, "&Note" the note window on that record. The windows are
// created by the program's start-up like every other; this joins them to
// the exam window's hooks.
#include <QString>

namespace isam {
class TIsamTable;
}

namespace marvessa {

class TNoteForm;
class TPictForm;
class TTestForm;

// The picture file an exhibit field of the current record names ("" when
// the item has none).
QString ExhibitFileName(const isam::TIsamTable& currentSet, const char* field);

void ConnectItemWindows(TTestForm& exam, TNoteForm& note, TPictForm& pict1, TPictForm& pict2);
// Undoes the above, before the windows go.
void DisconnectItemWindows(TTestForm& exam);

}  // namespace marvessa
