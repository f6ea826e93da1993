#pragma once
// The report and review windows: fixed dialogs centred on the screen, with
// a title bar but no close box, so that they are left through their own
// buttons only.
#include <QDialog>

namespace marvessa {

// Window flags of a dialog without a close box.
Qt::WindowFlags FixedDialogFlags();
// Moves a window to the centre of the screen it is shown on.
void CentreOnScreen(QWidget& window);

}  // namespace marvessa
