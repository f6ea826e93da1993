// Saves pictures of the program's windows for the documentation:
//   xvfb-run -a build/<flavour>/bin/marvessa_screenshots docs
// The windows are those of the program, over the tables beside it; a
// Practice Exam C is started for the pictures of the start dialog and of an
// item being asked.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/app_windows.h"
#include "app/main_form.h"
#include "exam/session/name_form.h"
#include "exam/session/test_form.h"
#include "prefs/clock.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/settings_store.h"

namespace {

void Save(QWidget& window, const QString& file) {
  QCoreApplication::processEvents();
  if (!window.grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace marvessa;
  QApplication app(argc, argv);
  // Named before the start window makes the program's folder current.
  const QString out = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".")).absolutePath();
  TQtMessageBox messages;
  TSystemClock clock;
  TMemorySettingsStore settings;  // the defaults, whatever the user chose
  SetErrorMessageBox(&messages);
  TApplicationWindows windows({messages, clock, settings}, QCoreApplication::applicationDirPath());

  TMainForm& main = windows.MainForm();
  main.show();
  Save(main, out + "/start-window.png");

  TTestForm& exam = windows.TestForm();
  main.Ui().StartTestBtn->click();
  exam.showNormal();
  exam.resize(1024, 640);
  Save(exam, out + "/selection-view.png");

  TNameForm& dialog = windows.NameForm();
  QTimer::singleShot(200, &dialog, [&] {
    Save(dialog, out + "/start-dialog.png");
    dialog.Ui().BitBtn1->click();
  });
  exam.Ui().RoundButtons[2]->click();
  exam.Ui().NextButton->click();
  Save(exam, out + "/exam-item.png");
  exam.Session().CloseCurrentExam();
  SetErrorMessageBox(nullptr);
  return 0;
}
