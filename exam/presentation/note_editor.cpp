#include "exam/presentation/note_editor.h"

#include "engine/table.h"
#include "exam/data/qt_text.h"

namespace marvessa {

namespace {
constexpr const char* kNoteField = "U_MEMO";
constexpr const char* kBankNumberField = "Q_OR_NUMBER";
}  // namespace

QString TNoteEditor::ItemLine(const QString& examTitle, int questionNumber) {
  return examTitle + ",  " + "Item ID: " + QString::number(questionNumber);
}

QString TNoteEditor::ItemLine(const QString& examTitle) const {
  return ItemLine(examTitle, set_.FieldNamed(kBankNumberField).IntegerValue());
}

QString TNoteEditor::Text() const { return ToQString(set_.FieldNamed(kNoteField).StringValue()); }

void TNoteEditor::DBMemo1Change(const QString& text) {
  if (set_.State() != isam::TDataSetState::dsEdit) set_.BeginEdit();
  set_.FieldNamed(kNoteField).SetStringValue(FromQString(text));
  changed_ = true;
}

void TNoteEditor::Button1Click() {
  // A save that failed at the bank finds the exam set already posted.
  set_.PostRecord();
  SaveToBank();
  changed_ = false;
}

void TNoteEditor::SaveToBank() {
  const int number = set_.FieldNamed(kBankNumberField).IntegerValue();
  bank_.SetRecordNumber(number);
  bank_.BeginEdit();  // locks the record; 10258 while another process holds it
  try {
    bank_.FieldNamed(kNoteField).SetStringValue(set_.FieldNamed(kNoteField).StringValue());
    bank_.PostRecord();
  } catch (...) {
    // The record lock ends with the failed save.
    try {
      bank_.CancelRecord();
    } catch (...) {
    }
    throw;
  }
}

void TNoteEditor::Button2Click() {
  set_.CancelRecord();
  changed_ = false;
}

void TNoteEditor::FormClose() {
  changed_ = false;
  if (set_.Active()) set_.CancelRecord();
}

}  // namespace marvessa
