#pragma once
// The exam window with its start dialog and progress window over a copy of
// the shipped tables, driven as a candidate drives it; the message boxes
// and the top-level error display answer through a scripted double.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "exam/data/progress_form.h"
#include "exam/data/test_bank.h"
#include "exam/presentation/item_pane.h"
#include "exam/session/choice_layout.h"
#include "exam/session/name_form.h"
#include "exam/session/test_form.h"
#include "prefs/clock.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/settings_store.h"

namespace marvessa::testing {

class ExamWindowTest : public ::testing::Test {
 protected:
  ExamWindowTest() { SetErrorMessageBox(&box); }
  ~ExamWindowTest() override { SetErrorMessageBox(nullptr); }

  // Creates the windows (after a test has put its settings in place).
  TTestForm& Form() {
    if (!form_) {
      form_ = std::make_unique<TTestForm>(TTestForm::Services{box, clock, settings});
      form_->SetDialogs(progress, nameForm);
      form_->show();
    }
    return *form_;
  }
  const TTestForm::Controls& Ui() { return Form().Ui(); }
  TExamSession& Session() { return Form().Session(); }
  const TNameForm::Controls& Dialog() { return nameForm.Ui(); }

  // Clicks a control that may open the start dialog; when it opens, `fill`
  // sets its fields and it is closed with OK (or Cancel).
  void Start(const std::function<void()>& click, const std::function<void(TNameForm&)>& fill = {}, bool ok = true) {
    dialogCaption.clear();
    QTimer::singleShot(0, &nameForm, [this, fill, ok] {
      if (!nameForm.isVisible()) return;
      dialogCaption = nameForm.windowTitle();
      if (fill) fill(nameForm);
      (ok ? nameForm.Ui().BitBtn1 : nameForm.Ui().BitBtn2)->click();
    });
    click();
    QCoreApplication::processEvents();
  }
  void StartWith(QPushButton* button, const std::function<void(TNameForm&)>& fill = {}, bool ok = true) {
    Start([button] { button->click(); }, fill, ok);
  }

  // Item IDs of the exam walked from the current item to the last.
  std::vector<int> WalkForward() {
    std::vector<int> ids{CurrentId()};
    while (Ui().NextButton->isEnabled()) {
      Ui().NextButton->click();
      ids.push_back(CurrentId());
    }
    return ids;
  }
  int CurrentId() { return Ui().Label2->text().mid(QString("Item ID: ").size()).toInt(); }

  TBankFolder folder;
  TScriptedMessageBox box;
  TFixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(14, 6, 30, 250), Qt::UTC)};
  TMemorySettingsStore settings;
  TProgressForm progress;
  TNameForm nameForm{clock};
  QString dialogCaption;

 private:
  std::unique_ptr<TTestForm> form_;
};

}  // namespace marvessa::testing
