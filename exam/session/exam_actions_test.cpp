// The other exam kinds, the menu, the start dialog's fields and errors on
// the way: each started as a candidate would start it.
#include <QDir>
#include <QFile>

#include "exam/session/exam_actions.h"
#include "exam/session/exam_window_fixture.h"

namespace marvessa {
namespace {

using testing::ExamWindowTest;

TEST_F(ExamWindowTest, EveryMenuItemOpensItsStartDialog) {
  // The user set is empty: its action answers with a message instead.
  for (int i = 0; i < kExamActionCount; ++i) {
    QAction* item = Ui().ExamItems[static_cast<size_t>(i)];
    EXPECT_EQ(item->text(), kExamActions[static_cast<size_t>(i)].menuCaption);
    box.Clear();
    bool countEnabled = false;
    Start([item] { item->trigger(); }, [&](TNameForm& f) { countEnabled = f.Ui().SpinEdit2->isEnabled(); }, false);
    if (i == 9) {
      EXPECT_TRUE(dialogCaption.isEmpty());
      EXPECT_EQ(box.Messages().size(), 1u);
      continue;
    }
    EXPECT_EQ(dialogCaption, kExamActions[static_cast<size_t>(i)].dialogCaption);
    EXPECT_EQ(countEnabled, i == 8) << i;
    EXPECT_EQ(Session().ExamTitle(), kExamActions[static_cast<size_t>(i)].examTitle);
    EXPECT_EQ(Session().ExamMode(), Idle);
  }
}

TEST_F(ExamWindowTest, RandomExamOfNQuestions) {
  int countShown = 0, countMax = 0;
  StartWith(Ui().LargeButtons[1], [&](TNameForm& f) {
    countShown = f.Ui().SpinEdit2->value();
    countMax = f.Ui().SpinEdit2->maximum();
    f.Ui().SpinEdit2->setValue(12);
    f.Ui().SpinEdit1->setValue(45);
  });
  EXPECT_EQ(dialogCaption, "Random Exam");
  EXPECT_EQ(countShown, 210);
  EXPECT_EQ(countMax, 210);
  ASSERT_EQ(Session().ExamMode(), Answering);
  EXPECT_EQ(Ui().Label3->text(), "Random Exam");
  EXPECT_EQ(Ui().Label1->text(), "Item 1 of 12");
  std::vector<int> ids = WalkForward();
  EXPECT_EQ(ids.size(), 12u);
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), 12u);
  std::map<int, int> eligible = testing::FieldCounts(Form().Tables().dtQSet, "Q_ID", "Q_EXAM_N<>0");
  for (int id : ids) EXPECT_TRUE(eligible.count(id)) << id;

  // The next Random Exam proposes the time last confirmed, not the default;
  // a count above the eligible questions is held at their number.
  box.Answer(mbYes);
  Ui().Button3->click();
  int timeShown = 0;
  StartWith(Ui().LargeButtons[1], [&](TNameForm& f) {
    timeShown = f.Ui().SpinEdit1->value();
    f.Ui().SpinEdit2->setValue(999);
  });
  EXPECT_EQ(timeShown, 45);
  EXPECT_EQ(Session().ItemCount(), 210);
}

TEST_F(ExamWindowTest, EmptyUserSetIsRefused) {
  StartWith(Ui().LargeButtons[2]);
  EXPECT_TRUE(dialogCaption.isEmpty());
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Information);
  EXPECT_EQ(box.Last().text, "User defined question set is empty!");
  EXPECT_EQ(box.Last().buttons, TMsgButtons{mbOK});
  EXPECT_FALSE(Form().Tables().dtUserSet.Active());
  EXPECT_EQ(Session().ExamMode(), Idle);
}

TEST_F(ExamWindowTest, UserExamOfOneItemHidesNotes) {
  {
    TQuestionTables other;
    other.dtUserSet.Open();
    other.dtUserSet.BeginAppend();
    other.dtUserSet.FieldNamed("Q_TEXT").SetStringValue("Which file lists the mounted file systems?");
    other.dtUserSet.FieldNamed("Q_SECT").SetIntegerValue(3);
    other.dtUserSet.PostRecord();
  }
  settings.SetValue("DefaultTime", "30");
  int timeShown = 0;
  StartWith(Ui().LargeButtons[2], [&](TNameForm& f) { timeShown = f.Ui().SpinEdit1->value(); });
  EXPECT_EQ(dialogCaption, "User Exam");
  EXPECT_EQ(timeShown, 30);
  ASSERT_EQ(Session().ExamMode(), Answering);
  EXPECT_EQ(Ui().Label1->text(), "Item 1 of 1");
  EXPECT_FALSE(Ui().PrevButton->isEnabled());
  EXPECT_FALSE(Ui().NextButton->isEnabled());
  EXPECT_EQ(Ui().QText->text(), "Which file lists the mounted file systems?");
  EXPECT_FALSE(Ui().NoteButton->isVisible());
  EXPECT_EQ(Form().Responses().ForRecord(1).Section, 3);

  box.Answer(mbYes);
  Ui().Button3->click();
  EXPECT_FALSE(Form().Tables().dtUserSet.Active());
  StartWith(Ui().RoundButtons[0]);
  EXPECT_TRUE(Ui().NoteButton->isVisible());
}

TEST_F(ExamWindowTest, EngineErrorIsShownAndTheProgramGoesOn) {
  Form();
  QDir folderDir(QString::fromStdString(folder.Path()));
  ASSERT_TRUE(folderDir.rename("qvault.DAT", "qvault.BAK"));
  StartWith(Ui().RoundButtons[0]);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
  EXPECT_EQ(box.Last().title, "Marvessa");
  EXPECT_EQ(box.Last().text, "ISAM Engine Error # 11010 Invalid path or file name for data file qvault.DAT.");
  EXPECT_TRUE(dialogCaption.isEmpty());
  EXPECT_EQ(Session().ExamMode(), Idle);
  EXPECT_TRUE(Ui().Panel4->isVisible());

  ASSERT_TRUE(folderDir.rename("qvault.BAK", "qvault.DAT"));
  StartWith(Ui().RoundButtons[0]);
  EXPECT_EQ(Session().ExamMode(), Answering);
  EXPECT_EQ(Ui().Label1->text(), "Item 1 of 30");

  // An error while the set is prepared also ends the action; the progress
  // window does not stay behind.
  box.Answer(mbYes);
  Ui().Button3->click();
  ASSERT_TRUE(folderDir.rename("ces.DAT", "ces.BAK"));
  box.Clear();
  StartWith(Ui().RoundButtons[1]);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
  EXPECT_TRUE(box.Last().text.contains("ces.DAT")) << box.Last().text.toStdString();
  EXPECT_FALSE(progress.isVisible());
  EXPECT_EQ(Session().ExamMode(), Idle);
}

TEST_F(ExamWindowTest, StartDialogFields) {
  const auto& d = Dialog();
  d.SpinEdit1->setValue(700);
  EXPECT_EQ(d.SpinEdit1->value(), 600);
  d.SpinEdit1->setValue(0);
  EXPECT_EQ(d.SpinEdit1->value(), 1);
  struct Typed {
    const char* text;
    int value;
  };
  for (Typed t : {Typed{"45", 45}, Typed{"abc", 1}, Typed{"9000", 600}, Typed{"", 1}}) {
    d.SpinEdit1->findChild<QLineEdit*>()->setText(t.text);
    d.SpinEdit1->interpretText();
    EXPECT_EQ(d.SpinEdit1->value(), t.value) << t.text;
  }
  nameForm.show();
  EXPECT_EQ(d.DateLabel->text(), "Date: " + QLocale().toString(clock.Today(), QLocale::ShortFormat));
  EXPECT_EQ(d.NameEdit->text(), "Your Name");
  nameForm.hide();
}

}  // namespace
}  // namespace marvessa
