// User notes over a copy of the shipped tables: the note window on an exam
// built from the bank, saving into the exam set and the bank, and a second
// process holding the bank record.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QLabel>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/errors.h"
#include "exam/data/exam_set_builder.h"
#include "exam/data/qt_text.h"
#include "exam/data/random_generator.h"
#include "exam/data/test_bank.h"
#include "exam/presentation/note_form.h"
#include "prefs/clock.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "testing/child_process.h"

namespace marvessa {
namespace {

using namespace std::chrono_literals;

struct TNoProgress : IProgress {
  void Show() override {}
  void SetMaximum(int) override {}
  void SetPosition(int) override {}
  void Close() override {}
};

bool WaitForFile(const std::string& path) {
  for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(1ms))
    if (std::filesystem::exists(path)) return true;
  return false;
}

// args: folder, bank record number. Holds the record in edit state (and so
// locked) until the file "release" appears.
MARVESSA_CHILD(bank_record_holder) {
  std::filesystem::current_path(args.at(0));
  TQuestionTables tables;
  tables.dtQSet.Open();
  tables.dtQSet.SetRecordNumber(std::stoi(args.at(1)));
  tables.dtQSet.BeginEdit();
  std::ofstream("ready.tmp") << 1;
  std::filesystem::rename("ready.tmp", "ready");
  const bool released = WaitForFile("release");
  tables.dtQSet.CancelRecord();
  return released ? 0 : 2;
}

class NoteTest : public ::testing::Test {
 protected:
  NoteTest() {
    SetErrorMessageBox(&box);
    StartExam();
  }
  ~NoteTest() override {
    SetErrorMessageBox(nullptr);
    if (holder_ > 0) Release();
  }

  // Practice Exam A, as the exam window starts it: the bank open with the
  // exam's filter, the exam set built from it, on its first item.
  void StartExam() {
    tables.dtQSet.SetFilter("Q_EXAM_N=1");
    tables.dtQSet.SetFiltered(true);
    tables.dtQSet.Open();
    TExamSetBuilder{tables.dtCurrentSet, progress, random, clock}.BuildExamSet(tables.dtQSet);
    tables.dtCurrentSet.MoveFirst();
  }
  void CloseExam() {
    tables.dtQSet.SetFilter("");
    tables.dtQSet.SetFiltered(false);
    tables.dtQSet.Close();
    tables.dtCurrentSet.Close();
  }
  int CurrentQuestion() { return tables.dtCurrentSet.FieldNamed("Q_OR_NUMBER").IntegerValue(); }
  QString SetNote() { return ToQString(tables.dtCurrentSet.FieldNamed("U_MEMO").StringValue()); }
  // The bank's note of a question, read by a table object of its own.
  QString BankNote(int question) {
    isam::TIsamTable bank;
    SetUpTable(bank, kBankFile);
    bank.Open();
    bank.SetRecordNumber(question);
    return ToQString(bank.FieldNamed("U_MEMO").StringValue());
  }
  void Type(const QString& text) { form.Ui().DBMemo1->setPlainText(text); }
  bool ButtonsEnabled() { return form.Ui().Button1->isEnabled() && form.Ui().Button2->isEnabled(); }
  bool ButtonsDisabled() { return !form.Ui().Button1->isEnabled() && !form.Ui().Button2->isEnabled(); }

  void HoldBankRecord(int question) {
    holder_ = testing_support::StartChild("bank_record_holder", {folder.Path(), std::to_string(question)});
    ASSERT_TRUE(WaitForFile(folder.Path() + "/ready"));
  }
  void Release() {
    std::ofstream(folder.Path() + "/release") << 1;
    EXPECT_EQ(testing_support::WaitChild(holder_), 0);
    holder_ = 0;
  }

  testing::TBankFolder folder;
  TQuestionTables tables;
  TNoProgress progress;
  TRandomGenerator random;
  TFixedClock clock{QDateTime(QDate(2026, 12, 11), QTime(9, 30), Qt::UTC)};
  TScriptedMessageBox box;
  TNoteForm form{tables.dtCurrentSet, tables.dtQSet};

 private:
  pid_t holder_ = 0;
};

TEST_F(NoteTest, TheItemLineNamesExamAndQuestion) {
  EXPECT_EQ(TNoteEditor::ItemLine("Practice Exam A", 12), "Practice Exam A,  Item ID: 12");
  form.Prepare("Practice Exam A");
  EXPECT_EQ(form.Ui().Label2->text(), QString("Practice Exam A,  Item ID: %1").arg(CurrentQuestion()));
  EXPECT_EQ(form.windowTitle(), "Plindor");
  EXPECT_EQ(form.size(), QSize(286, 222));
  EXPECT_TRUE(ButtonsDisabled());
  EXPECT_TRUE(form.Ui().Button3->isEnabled());
}

TEST_F(NoteTest, ASavedNoteComesBackInTheNextExam) {
  const int question = CurrentQuestion();
  form.Prepare("Practice Exam A");
  Type(QString::fromUtf8("Route via B \u2013 not C"));  // the dash is a Windows-1252 character
  EXPECT_TRUE(ButtonsEnabled());
  form.Ui().Button1->click();
  EXPECT_TRUE(box.Messages().empty());
  EXPECT_TRUE(ButtonsDisabled());
  EXPECT_EQ(SetNote(), QString::fromUtf8("Route via B \u2013 not C"));
  EXPECT_EQ(BankNote(question), QString::fromUtf8("Route via B \u2013 not C"));

  CloseExam();
  random.SetSeed(random.Seed() + 1);
  StartExam();
  for (tables.dtCurrentSet.MoveFirst(); CurrentQuestion() != question; tables.dtCurrentSet.MoveNext())
    ASSERT_FALSE(tables.dtCurrentSet.AtEnd());
  form.Prepare("Practice Exam A");
  EXPECT_EQ(form.Ui().DBMemo1->toPlainText(), QString::fromUtf8("Route via B \u2013 not C"));
}

TEST_F(NoteTest, UnsavedChangesAreDiscarded) {
  const int question = CurrentQuestion();
  form.Prepare("Practice Exam A");
  Type("first note");
  form.Ui().Button1->click();

  // Cancel: the stored text comes back, both buttons off.
  Type("second thoughts");
  form.Ui().Button2->click();
  EXPECT_EQ(form.Ui().DBMemo1->toPlainText(), "first note");
  EXPECT_TRUE(ButtonsDisabled());

  // Exit (as closing by the frame or Escape): the change is gone, the bank
  // unchanged, and reopening shows the old text.
  Type("third thoughts");
  form.Ui().Button3->click();
  EXPECT_TRUE(ButtonsDisabled());
  EXPECT_EQ(SetNote(), "first note");
  EXPECT_EQ(BankNote(question), "first note");
  form.Prepare("Practice Exam A");
  EXPECT_EQ(form.Ui().DBMemo1->toPlainText(), "first note");

  // A note cleared and saved is empty in both tables.
  Type("");
  form.Ui().Button1->click();
  EXPECT_EQ(SetNote(), "");
  EXPECT_EQ(BankNote(question), "");
}

TEST_F(NoteTest, ABankRecordHeldElsewhereKeepsTheNoteForAnotherTry) {
  tables.dtQSet.SetLockRetryCount(2);
  tables.dtQSet.SetLockWaitTime(10);
  const int question = CurrentQuestion();
  const QString before = BankNote(question);
  HoldBankRecord(question);

  form.Prepare("Practice Exam A");
  Type("check the ACL order");
  form.Ui().Button1->click();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
  EXPECT_EQ(box.Last().text, "ISAM Engine Error # 10258 Record in data file qvault.DAT is in use by another user.");
  // Stored in the exam set, not in the bank; the text as typed; Save again.
  EXPECT_EQ(form.Ui().DBMemo1->toPlainText(), "check the ACL order");
  EXPECT_EQ(SetNote(), "check the ACL order");
  EXPECT_EQ(BankNote(question), before);
  EXPECT_TRUE(ButtonsEnabled());
  EXPECT_EQ(tables.dtQSet.State(), isam::TDataSetState::dsBrowse);

  Release();
  form.Ui().Button1->click();
  EXPECT_EQ(box.Messages().size(), 1u);
  EXPECT_TRUE(ButtonsDisabled());
  EXPECT_EQ(BankNote(question), "check the ACL order");
}

}  // namespace
}  // namespace marvessa
