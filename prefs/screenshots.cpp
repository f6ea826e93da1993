// Saves pictures of the options dialog (one per tab) and the about window
// for the documentation:
//   xvfb-run -a build/<flavour>/bin/marvessa_options_screenshots docs
// The dialog shows the defaults, whatever the user chose.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "prefs/about_form.h"
#include "prefs/options_form.h"
#include "prefs/pickers.h"
#include "prefs/settings.h"
#include "testing/window_pictures.h"

namespace {

struct TNoTarget : marvessa::IOptionsTarget {
  void FontChanged(marvessa::TFontSlot) override {}
  void SetLearnButtonVisible(bool) override {}
  void SetCalcButtonVisible(bool) override {}
  void StartTimer() override {}
  bool AssignCalcPath(const QString&) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace marvessa;
  QApplication app(argc, argv);
  const QString out = PictureFolder(argc, argv);

  TScriptedFontPicker fonts;
  TScriptedFilePicker files;
  TOptionsForm options(fonts, files);
  TSettings settings;
  settings.CalcPath = DefaultCalcPath();
  TNoTarget target;
  QTimer::singleShot(300, &options, [&] {
    const char* names[] = {"options-learn-now.png", "options-calculator.png", "options-timer.png"};
    for (int tab = 0; tab < 3; ++tab) {
      options.Ui().PageControl1->setCurrentIndex(tab);
      SaveWindowPicture(options, out + "/" + names[tab]);
    }
    options.reject();
  });
  options.Execute(settings, target);

  TAboutForm about;
  QTimer::singleShot(300, &about, [&] {
    SaveWindowPicture(about, out + "/about-window.png");
    about.accept();
  });
  about.exec();
  return 0;
}
