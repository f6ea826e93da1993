// Saves pictures of the exhibit windows (one per picture format) and of the
// note window for the documentation:
//   xvfb-run -a build/<flavour>/bin/marvessa_exhibit_screenshots docs
// The exhibits are four of those the question bank ships; the note window edits
// the first item of a Practice Exam A built over a scratch copy of the
// tables beside the program, so the shipped bank keeps its notes.
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

#include "exam/data/exam_set_builder.h"
#include "exam/data/question_tables.h"
#include "exam/data/random_generator.h"
#include "exam/presentation/note_form.h"
#include "exam/presentation/pict_form.h"
#include "prefs/clock.h"
#include "testing/window_pictures.h"

namespace {

using namespace marvessa;

void Save(QWidget& window, const QString& file) {
  window.show();
  SaveWindowPicture(window, file);
  window.hide();
}

struct TNoProgress : IProgress {
  void Show() override {}
  void SetMaximum(int) override {}
  void SetPosition(int) override {}
  void Close() override {}
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = PictureFolder(argc, argv);

  TPict1Form pict1;
  TPict2Form pict2;
  const struct {
    TPictForm& form;
    const char* picture;
    const char* file;
  } exhibits[] = {
      {pict1, "fstab.bmp", "exhibit-bmp.png"},
      {pict2, "crontab.ico", "exhibit-ico.png"},
      {pict1, "network.wmf", "exhibit-wmf.png"},
      {pict2, "jump_host.emf", "exhibit-emf.png"},
  };
  for (const auto& e : exhibits) {
    e.form.LoadExhibit(QCoreApplication::applicationDirPath() + "/exhibits/" + e.picture);
    Save(e.form, out + "/" + e.file);
  }

  QTemporaryDir scratch;
  for (const char* base : {"qvault", "ces", "qvaultusr"})
    for (const char* ext : {".DAT", ".IDX", ".BLB"}) {
      const QString name = QString(base) + ext;
      QFile::copy(QCoreApplication::applicationDirPath() + "/" + name, scratch.filePath(name));
    }
  QDir::setCurrent(scratch.path());
  TQuestionTables tables;
  tables.dtQSet.SetFilter("Q_EXAM_N=1");
  tables.dtQSet.SetFiltered(true);
  tables.dtQSet.Open();
  TNoProgress progress;
  TRandomGenerator random;
  TSystemClock clock;
  TExamSetBuilder{tables.dtCurrentSet, progress, random, clock}.BuildExamSet(tables.dtQSet);
  tables.dtCurrentSet.MoveFirst();
  TNoteForm note(tables.dtCurrentSet, tables.dtQSet);
  note.Prepare("Practice Exam A");
  note.Ui().DBMemo1->setPlainText("The ACL is read top down: the deny entry comes first.");
  Save(note, out + "/note-window.png");
  note.Ui().Button2->click();
  tables.dtQSet.Close();
  tables.dtCurrentSet.Close();
  return 0;
}
