// Saves pictures of the program's windows for the documentation:
//   xvfb-run -a -s "-screen 0 1600x900x24" build/<flavour>/bin/marvessa_screenshots docs
// The windows are those of the program, over the tables beside it; a
// Practice Exam C is started for the pictures of the start dialog and of an
// item being asked, then All Questions for the items of each kind, at the
// designed size and maximised.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/app_windows.h"
#include "app/main_form.h"
#include "engine/table.h"
#include "exam/presentation/item_content.h"
#include "exam/presentation/item_pane.h"
#include "exam/session/name_form.h"
#include "exam/session/test_form.h"
#include "prefs/clock.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/settings_store.h"
#include "testing/window_pictures.h"

namespace {

using namespace marvessa;

// Starts an exam by its button; the start dialog is confirmed as it stands
// (`onDialog` runs first while it is open).
void StartExam(TApplicationWindows& windows, QPushButton* button, const std::function<void()>& onDialog = {}) {
  TNameForm& dialog = windows.NameForm();
  QTimer::singleShot(200, &dialog, [&dialog, onDialog] {
    if (onDialog) onDialog();
    dialog.Ui().BitBtn1->click();
  });
  button->click();
}

// Moves to the first item from the current one that `wanted` accepts.
bool GoTo(TTestForm& exam, const std::function<bool(const TItemContent&)>& wanted) {
  for (;;) {
    if (wanted(ReadItemContent(exam.Tables().dtCurrentSet))) return true;
    if (!exam.Ui().NextButton->isEnabled()) return false;
    exam.Ui().NextButton->click();
  }
}

// The item at the designed size (client 724 x 505) and maximised.
void SaveBothSizes(TTestForm& exam, const QString& base) {
  exam.resize(724, 505);
  SaveWindowPicture(exam, base + ".png");
  exam.resize(exam.screen()->availableGeometry().size());
  SaveWindowPicture(exam, base + "-maximised.png");
  exam.resize(724, 505);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName("Marvessa");
  QGuiApplication::setApplicationDisplayName("Marvessa");
  // Named before the start window makes the program's folder current.
  const QString out = PictureFolder(argc, argv);
  TQtMessageBox messages;
  TSystemClock clock;
  TMemorySettingsStore settings;  // the defaults, whatever the user chose
  settings.SetValue("ShowLearnBtn", "1");
  SetErrorMessageBox(&messages);
  TApplicationWindows windows({messages, clock, settings}, QCoreApplication::applicationDirPath());

  TMainForm& main = windows.MainForm();
  main.show();
  SaveWindowPicture(main, out + "/start-window.png");

  TTestForm& exam = windows.TestForm();
  main.Ui().StartTestBtn->click();
  exam.showNormal();
  exam.resize(1024, 640);
  SaveWindowPicture(exam, out + "/selection-view.png");

  TNameForm& dialog = windows.NameForm();
  StartExam(windows, exam.Ui().RoundButtons[2], [&] { SaveWindowPicture(dialog, out + "/start-dialog.png"); });
  exam.Ui().NextButton->click();
  SaveWindowPicture(exam, out + "/exam-item.png");
  exam.Session().CloseCurrentExam();

  StartExam(windows, exam.Ui().LargeButtons[0]);
  auto answers = [](const TItemContent& item) {
    int n = 0;
    for (int i = 0; i < kAnswerCount; ++i) n += item.HasAnswer(i);
    return n;
  };
  if (GoTo(exam, [&](const TItemContent& i) { return !i.multiple && answers(i) >= 4 && i.pict1.isEmpty(); })) {
    exam.Ui().ScrollBox1->setFocus();
    SaveBothSizes(exam, out + "/item-single");
    // The learn display of the same item.
    exam.Ui().LearnButton->click();
    SaveBothSizes(exam, out + "/item-learn");
  }
  exam.Ui().NextButton->click();
  if (GoTo(exam, [](const TItemContent& i) { return i.multiple && !i.pict1.isEmpty(); }))
    SaveBothSizes(exam, out + "/item-multiple-exhibit");
  exam.Session().CloseCurrentExam();
  StartExam(windows, exam.Ui().LargeButtons[0]);
  if (GoTo(exam, [](const TItemContent& i) { return !i.pict1.isEmpty() && !i.pict2.isEmpty(); }))
    SaveBothSizes(exam, out + "/item-two-exhibits");
  exam.Session().CloseCurrentExam();
  SetErrorMessageBox(nullptr);
  return 0;
}
