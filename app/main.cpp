// Marvessa: start-up. Only one instance runs; a second start brings the
// first forward and ends without a window.
#include <QApplication>

#include "app/app_windows.h"
#include "app/main_form.h"
#include "app/password_dialog.h"
#include "app/single_instance.h"
#include "prefs/clock.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/settings_store.h"

int main(int argc, char** argv) {
  using namespace marvessa;
  TSingleInstance instance(LockName(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString("marvessa")));
  const bool first = instance.TryLock();

  QApplication app(argc, argv);
  // Before any window: the task bar and the window class take these.
  QCoreApplication::setApplicationName("Marvessa");
  QGuiApplication::setApplicationDisplayName("Marvessa");
  if (!first) {
    instance.ActivateRunning();
    return 0;
  }
  // The program ends when the start window closes, not when the last
  // visible window does (the start window hides while an exam runs).
  QApplication::setQuitOnLastWindowClosed(false);
  instance.Listen([] { BringApplicationForward(); });
  InstallPasswordDialog();

  TQtMessageBox messages;
  TSystemClock clock;
  TQtSettingsStore settings;
  SetErrorMessageBox(&messages);
  int result = 0;
  {
    TApplicationWindows windows({messages, clock, settings}, QCoreApplication::applicationDirPath());
    windows.MainForm().OnClosed = [] { QCoreApplication::quit(); };
    windows.MainForm().show();
    result = app.exec();
  }
  SetErrorMessageBox(nullptr);
  return result;
}
