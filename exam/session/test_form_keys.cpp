// Access keys of the exam window. The menu bar's titles ("&File",
// "Exa&ms", "&Help") share letters with controls of the window's content
// ("&F", "&Mark this item"); two owners of one key would only move the
// focus between them. The shown controls of the content win, as the
// underlined letters promise; the menu bar stays reachable by F10 and by
// Alt alone, and by its letters where no control claims them.
#include <QAbstractButton>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>

#include "exam/session/test_form.h"

namespace marvessa {

QAbstractButton* TTestForm::AccessKeyTarget(const QKeyEvent& event) const {
  if (event.modifiers() != Qt::AltModifier || event.key() == Qt::Key_Alt || !centralWidget()) return nullptr;
  const QKeySequence pressed(QKeyCombination(Qt::AltModifier, Qt::Key(event.key())));
  for (QAbstractButton* button : centralWidget()->findChildren<QAbstractButton*>()) {
    if (!button->isVisible() || !button->isEnabled()) continue;
    if (QKeySequence::mnemonic(button->text()) == pressed) return button;
  }
  return nullptr;
}

bool TTestForm::event(QEvent* event) {
  // Accepting the override keeps the key from the shortcut map (where the
  // menu bar would share it) and delivers it as a key press instead.
  if (event->type() == QEvent::ShortcutOverride && AccessKeyTarget(*static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QMainWindow::event(event);
}

void TTestForm::keyPressEvent(QKeyEvent* event) {
  altAlone_ = event->key() == Qt::Key_Alt && event->modifiers() == Qt::AltModifier;
  if (QAbstractButton* button = AccessKeyTarget(*event)) {
    button->setFocus(Qt::ShortcutFocusReason);
    button->click();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
    OpenMenuBar();
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void TTestForm::keyReleaseEvent(QKeyEvent* event) {
  // Alt pressed and released alone opens the menu bar, where the style
  // does not do so itself.
  const bool alone = altAlone_ && event->key() == Qt::Key_Alt;
  altAlone_ = false;
  if (alone && !style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, this)) {
    OpenMenuBar();
    event->accept();
    return;
  }
  QMainWindow::keyReleaseEvent(event);
}

void TTestForm::OpenMenuBar() {
  for (QAction* menu : menuBar()->actions())
    if (menu->isEnabled() && menu->isVisible()) {
      menuBar()->setActiveAction(menu);
      return;
    }
}

}  // namespace marvessa
