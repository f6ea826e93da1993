#include "exam/printing/exam_printing.h"

#include <QLabel>

#include "exam/printing/print_actions.h"
#include "exam/printing/score_printout.h"
#include "exam/session/score_form.h"
#include "exam/session/test_form.h"
#include "prefs/clock.h"

namespace marvessa {

TExamPrinting::TExamPrinting(TTestForm& form, IReportPrinter& printer, const IClock& clock)
    : form_(form), printer_(printer), clock_(clock) {}

void TExamPrinting::BindExamWindow() {
  form_.Handlers().Print1Click = [this] { Print1Click(); };
  form_.Handlers().Print2Click = [this] { Print2Click(); };
}

void TExamPrinting::BindScoreForm(TScoreForm& score) {
  score.OnPrintReport = [this, &score] {
    PrintScoreReport(score.Result(), score.ReportTitle(), clock_.Today(), printer_);
  };
}

void TExamPrinting::Print1Click() {
  PrintCurrentItem(form_.Tables().dtCurrentSet, form_.Ui().QText->text(), form_.Session().ExamTitle(), printer_);
}

void TExamPrinting::Print2Click() {
  PrintAllItems(form_.Tables().dtCurrentSet, form_.Session().ExamTitle(), printer_);
}

}  // namespace marvessa
