// Saves pictures of the test sampler for the documentation, one per tab:
//   xvfb-run -a build/<flavour>/bin/sampler_screenshots docs
// It works on a scratch copy of the tables beside the program, so the
// program's own user set stays as it was.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "app/app_windows.h"
#include "app/main_form.h"
#include "engine/field.h"
#include "prefs/clock.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/settings_store.h"
#include "sampler/data_module.h"
#include "sampler/sampler_form.h"
#include "testing/bank_copy.h"
#include "testing/window_pictures.h"

namespace {

struct TItem {
  const char* question;
  const char* explanation;
  bool multiple;
  int section;  // 0 .. 6
  std::array<const char*, 6> answers;
  std::array<bool, 6> correct;
};

void Write(marvessa::TSamplerForm& sampler, marvessa::TDM& dm, const TItem& item) {
  marvessa::TSamplerEditor& editor = sampler.Editor();
  editor.AddActExecute();
  isam::TIsamTable& set = dm.dtUserSet;
  set.FieldNamed("Q_TEXT").SetStringValue(item.question);
  set.FieldNamed("Q_EXPL").SetStringValue(item.explanation);
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i + 1);
    set.FieldNamed("Q" + n).SetStringValue(item.answers[static_cast<size_t>(i)]);
    set.FieldNamed("A" + n).SetBooleanValue(item.correct[static_cast<size_t>(i)]);
  }
  editor.ComboBox1Change(item.multiple ? 1 : 0);
  editor.ListBox1Click(item.section);
  editor.BitBtn1Click();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace marvessa;
  QApplication app(argc, argv);
  const QString out = PictureFolder(argc, argv);
  TBankCopy scratch(QCoreApplication::applicationDirPath());

  TQtMessageBox messages;
  TSystemClock clock;
  TMemorySettingsStore settings;
  SetErrorMessageBox(&messages);
  TApplicationWindows windows({messages, clock, settings}, scratch.Path());
  windows.MainForm().show();
  windows.MainForm().Ui().SamplerBtn->click();
  TSamplerForm& sampler = windows.SamplerForm();

  Write(sampler, windows.DM(),
        {"Which file tells the system which file systems to mount at start-up?",
         "The file systems table lists each device, its mount point, type and options; the boot scripts mount "
         "what it names.",
         false, 1,
         {"/etc/fstab", "/etc/mtab", "/proc/mounts", "/etc/hosts", "", ""},
         {true, false, false, false, false, false}});
  Write(sampler, windows.DM(),
        {"Which two commands show how much disk space is free on the mounted file systems?",
         "df reports the free and used blocks of each mounted file system; with -h it prints them in "
         "kilobytes, megabytes or gigabytes. du measures what files use, not what is free.",
         true, 4,
         {"df", "du -s /", "df -h", "free", "lsblk", ""},
         {true, false, true, false, false, false}});

  static const char* const kFiles[] = {"sampler-question", "sampler-type-section", "sampler-choices",
                                       "sampler-explanation"};
  for (int tab = 0; tab < 4; ++tab) {
    sampler.Ui().PageControl1->setCurrentIndex(tab);
    SaveWindowPicture(sampler, out + "/" + kFiles[tab] + ".png");
  }
  sampler.Editor().FormClose();
  SetErrorMessageBox(nullptr);
  return 0;
}
