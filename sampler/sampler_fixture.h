#pragma once
// The test sampler over a copy of the shipped tables, beside the exam window
// (which creates the session "Plindor" and registers the table password, as
// at start-up), driven by keyboard and clicks as a candidate drives it.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "engine/table.h"
#include "exam/session/exam_window_fixture.h"
#include "sampler/data_module.h"
#include "sampler/db_controls.h"
#include "sampler/sampler_form.h"
#include "sampler/shadow_label.h"

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace marvessa::testing {

class SamplerTest : public ExamWindowTest {
 protected:
  SamplerTest() {
    Form();
    dm_ = std::make_unique<TDM>();
    sampler_ = std::make_unique<TSamplerForm>(TSamplerForm::Services{*dm_, box});
    sampler_->OnClosed = [this] { ++closedCount; };
    sampler_->OnAbout = [this] { ++aboutCount; };
    Open();
  }
  ~SamplerTest() override {
    sampler_.reset();
    dm_.reset();
  }

  // Opening from the start window.
  void Open() {
    sampler_->Execute();
    Settle();
  }
  // Lets queued work run (the item list reads its entries after an operation).
  void Settle() {
    QCoreApplication::processEvents();
    S().ItemList->Refresh();
  }

  TSamplerForm& Sampler() { return *sampler_; }
  const TSamplerForm::Controls& S() { return sampler_->Ui(); }
  isam::TIsamTable& UserSet() { return dm_->dtUserSet; }
  QString Header() { return S().HeaderLabel->text(); }
  QString Panel(int n) { return S().Panels[static_cast<size_t>(n - 1)]->text(); }
  TDBEdit* Answer(int n) { return S().AnswerEdits[static_cast<size_t>(n - 1)]; }
  TDBCheckBox* AnswerBox(int n) { return S().AnswerBoxes[static_cast<size_t>(n - 1)]; }
  std::vector<QString> ListEntries() {
    std::vector<QString> entries;
    for (int row = 0; row < S().ItemList->count(); ++row) entries.push_back(S().ItemList->item(row)->text());
    return entries;
  }

  void Trigger(QAction* action) {
    action->trigger();
    Settle();
  }
  void Click(QPushButton* button) {
    button->click();
    Settle();
  }
  // The errors the top-level display showed, for failure messages.
  std::string Shown() {
    std::string all;
    for (const auto& m : box.Messages()) all += m.text.toStdString() + "\n";
    return all;
  }
  void Type(QWidget* control, const QString& text) {
    control->setFocus();
    QTest::keyClicks(control, text);
    Settle();
  }
  // Chooses the type by keyboard, as a user without a mouse does.
  void ChooseType(int index) {
    S().PageControl1->setCurrentIndex(1);
    QComboBox* box = S().ComboBox1;
    box->setFocus();
    const int steps = index - box->currentIndex();
    for (int i = 0; i < std::abs(steps); ++i) QTest::keyClick(box, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    Settle();
  }
  void ChooseSection(int row) {
    S().PageControl1->setCurrentIndex(1);
    S().ListBox1->setCurrentRow(row);
    Settle();
  }
  // Adds and saves an item through the window.
  void AddItem(const QString& question, int section = 0) {
    Trigger(S().AddAct);
    Type(S().QuestionMemo, question);
    ChooseSection(section);
    Click(S().BitBtn1);
  }

  int closedCount = 0;
  int aboutCount = 0;

 private:
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<TSamplerForm> sampler_;
};

}  // namespace marvessa::testing
