#pragma once
// The logic of the note window: the candidate's note on a question, kept in
// the memo field U_MEMO. The window edits the current exam-set record's
// copy; "Save Note" stores it there and then in the bank record of the same
// question, the one whose record number is the exam-set record's
// Q_OR_NUMBER (the bank's questions are numbered so that Q_ID is the record
// number).
//
// Failures of the tables propagate to the caller's error display. When the
// bank record is held by another process (10258 after the lock retries),
// the note is stored in the exam set only and the editor stays changed, so
// that "Save Note" can be pressed again; the bank record is never left in
// edit state, and so never left locked.
#include <QString>

namespace isam {
class TIsamTable;
}

namespace marvessa {

class TNoteEditor {
 public:
  TNoteEditor(isam::TIsamTable& currentSet, isam::TIsamTable& bank) : set_(currentSet), bank_(bank) {}

  // The item line of the window's header for an exam title and a bank
  // question number, all on one line.
  static QString ItemLine(const QString& examTitle, int questionNumber);
  // The same for the current exam-set record.
  QString ItemLine(const QString& examTitle) const;
  // The note of the current exam-set record, as stored or as being edited.
  QString Text() const;

  // DBMemo1Change: the first change puts the exam-set record into edit
  // state; every change enables "Save Note" and "Cancel".
  void DBMemo1Change(const QString& text);
  // Button1Click, "Save Note".
  void Button1Click();
  // Button2Click, "Cancel": the stored note comes back.
  void Button2Click();
  // FormClose: an unsaved change is discarded.
  void FormClose();

  // Whether "Save Note" and "Cancel" are enabled.
  bool Changed() const { return changed_; }

 private:
  void SaveToBank();

  isam::TIsamTable& set_;
  isam::TIsamTable& bank_;
  bool changed_ = false;
};

}  // namespace marvessa
