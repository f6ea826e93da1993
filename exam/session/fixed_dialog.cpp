#include "exam/session/fixed_dialog.h"

#include <QGuiApplication>
#include <QScreen>

namespace marvessa {

Qt::WindowFlags FixedDialogFlags() {
  return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
}

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (screen) window.move(screen->availableGeometry().center() - window.rect().center());
}

}  // namespace marvessa
