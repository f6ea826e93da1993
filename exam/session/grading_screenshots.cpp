// Saves pictures of the score report (a pass and a fail) and of the items
// review (while answering and after grading) for the documentation:
//   xvfb-run -a build/<flavour>/bin/grading_screenshots docs
// The answers are made up here, so the pictures need no question bank.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "exam/data/response_table.h"
#include "exam/session/review_form.h"
#include "exam/session/score_form.h"
#include "prefs/message_box.h"
#include "testing/window_pictures.h"

namespace {

using namespace marvessa;

// `items` items spread over the seven sections, most answered with a choice
// or two; an answered item i is right when `right(i)` says so; every seventh
// is marked.
template <typename Right>
TResponseTable Responses(int items, Right right) {
  TResponseTable t;
  t.Resize(items);
  for (int i = 0; i < items; ++i) {
    t[i].Section = 1 + (i * 5 + i / 7) % 7;
    const bool answered = i % 9 != 4;
    t[i].Correct = answered && right(i);
    if (answered) t[i].Choice[size_t(i % 4)] = true;
    if (i % 5 == 1) t[i].Choice[size_t((i + 2) % 6)] = true;
    t[i].Marked = i % 7 == 3;
  }
  return t;
}

template <typename Window>
void SaveWhileShown(Window& window, const QString& file) {
  QTimer::singleShot(300, &window, [&window, file] {
    QCoreApplication::processEvents();
    SaveWindowPicture(window, file);
    window.Ui().BitBtn1->click();
  });
  window.Execute();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = PictureFolder(argc, argv);
  TScriptedMessageBox messages;

  TScoreForm score(messages);
  score.OnPrintReport = [] {};  // offered as in the program, where the printout is bound
  // Every answered item right: 53 of 60, a pass.
  score.ShowGrading(GradeResponses(Responses(60, [](int) { return true; })),
                    ReportTitle("Robin Hale", "Practice Exam C"));
  SaveWhileShown(score, out + "/score-report-pass.png");
  TResponseTable failed = Responses(60, [](int i) { return i % 7 != 2 && i % 3 != 0; });
  score.ShowGrading(GradeResponses(failed), ReportTitle("Robin Hale", "Random Exam"));
  SaveWhileShown(score, out + "/score-report-fail.png");

  TReviewForm review;
  review.FillReviewList(failed, TReviewVariant::Answering);
  SaveWhileShown(review, out + "/review-answering.png");
  review.FillReviewList(failed, TReviewVariant::Graded);
  SaveWhileShown(review, out + "/review-graded.png");
  return 0;
}
