#pragma once
// TNoteForm: the note window, created once and reused. A header with
// "User Note" and the item line Label2, the memo DBMemo1 with the current
// exam-set record's note, and "Save Note", "Cancel", "Exit". The logic is
// TNoteEditor; every click runs inside the top-level error guard, so a
// failed save shows the engine's message and leaves the text as typed.
#include <QDialog>

#include "exam/presentation/note_editor.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace marvessa {

class TNoteForm : public QDialog {
  Q_OBJECT

 public:
  TNoteForm(isam::TIsamTable& currentSet, isam::TIsamTable& bank, QWidget* parent = nullptr);

  // NoteButtonClick's part: the item line for the running exam, the memo
  // filled from the current exam-set record, both buttons disabled.
  void Prepare(const QString& examTitle);
  // Prepare, then shows the window modally.
  void Execute(const QString& examTitle);

  struct Controls {
    QLabel* TitleLabel;  // "User Note"
    QLabel* Label2;      // the item line
    QPlainTextEdit* DBMemo1;
    QPushButton *Button1, *Button2, *Button3;  // "Save Note", "Cancel", "Exit"
  };
  const Controls& Ui() const { return ui_; }
  TNoteEditor& Editor() { return editor_; }

  void done(int result) override;

 private:
  void ShowStoredText();
  void UpdateButtons();

  TNoteEditor editor_;
  Controls ui_{};
};

}  // namespace marvessa
