#include <QMessageBox>

#include "prefs/message_box.h"

namespace marvessa {

TMsgButton TQtMessageBox::Ask(TMsgKind kind, const QString& title, const QString& text,
                              TMsgButtons buttons) {
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (kind) {
    case TMsgKind::Information: icon = QMessageBox::Information; break;
    case TMsgKind::Warning: icon = QMessageBox::Warning; break;
    case TMsgKind::Confirmation: icon = QMessageBox::Question; break;
    case TMsgKind::Error: icon = QMessageBox::Critical; break;
  }
  // Messages write a line break as "\r".
  QString shown = text;
  shown.replace('\r', '\n');
  QMessageBox box(icon, title, shown, QMessageBox::NoButton, parent_);
  struct Pair {
    TMsgButton ours;
    QMessageBox::StandardButton qt;
  };
  TMsgButton last = mbOK;
  for (Pair p : {Pair{mbYes, QMessageBox::Yes}, Pair{mbNo, QMessageBox::No},
                 Pair{mbOK, QMessageBox::Ok}, Pair{mbCancel, QMessageBox::Cancel}}) {
    if (buttons & p.ours) {
      box.addButton(p.qt);
      last = p.ours;
    }
  }
  if (buttons & mbCancel) box.setEscapeButton(QMessageBox::Cancel);
  else if (buttons & mbNo) box.setEscapeButton(QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Yes: return mbYes;
    case QMessageBox::No: return mbNo;
    case QMessageBox::Ok: return mbOK;
    case QMessageBox::Cancel: return mbCancel;
    default: return last;
  }
}

}  // namespace marvessa
