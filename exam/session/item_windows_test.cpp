// The exhibit and note windows opened from the exam window: the pictures
// the item names, a picture that does not load, and the item left as it is
// while the note window is open.
#include "exam/session/item_windows.h"

#include <QPlainTextEdit>
#include <filesystem>

#include "exam/data/qt_text.h"
#include "exam/presentation/item_pane.h"
#include "exam/presentation/note_form.h"
#include "exam/presentation/pict_form.h"
#include "exam/presentation/picture_loader.h"
#include "exam/session/exam_window_fixture.h"

namespace marvessa {
namespace {

class ItemWindowsTest : public testing::ExamWindowTest {
 protected:
  ItemWindowsTest() { ConnectItemWindows(Form(), note, pict1, pict2); }
  ~ItemWindowsTest() override { DisconnectItemWindows(Form()); }

  isam::TIsamTable& Set() { return Form().Tables().dtCurrentSet; }
  const TItemPane::Controls& Pane() { return Ui().ScrollBox1->Ui(); }
  void StartAllQuestions() {
    StartWith(Ui().LargeButtons[0]);
    ASSERT_EQ(Session().ExamMode(), Answering);
  }
  // Walks forward to the first item with a picture in `field`.
  void GoToExhibit(const char* field) {
    while (ExhibitFileName(Set(), field).isEmpty()) {
      ASSERT_TRUE(Ui().NextButton->isEnabled()) << "no item with " << field;
      Ui().NextButton->click();
    }
  }
  // Clicks a button that may open one of the item's windows modally;
  // `inside` runs while it is open (with null if none opened), then the
  // window is closed.
  void ClickModal(QPushButton* button, const std::function<void(QWidget*)>& inside) {
    QTimer::singleShot(0, [this, inside] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal != &pict1 && modal != &pict2 && modal != &note) modal = nullptr;
      if (inside) inside(modal);
      if (modal) modal->close();
    });
    button->click();
    QCoreApplication::processEvents();
  }
  void ShipExhibits() {
    std::filesystem::copy(std::filesystem::path(MARVESSA_RUNTIME_DIR) / "exhibits",
                          std::filesystem::path(folder.Path()) / "exhibits");
  }

  TNoteForm note{Form().Tables().dtCurrentSet, Form().Tables().dtQSet};
  TPict1Form pict1;
  TPict2Form pict2;
};

TEST_F(ItemWindowsTest, ExhibitButtonsShowTheItemsPictures) {
  ShipExhibits();
  StartAllQuestions();
  const struct {
    const char* field;
    QPushButton* TItemPane::Controls::*button;
    TPictForm& form;
    const char* caption;
  } cases[] = {{"PICT1", &TItemPane::Controls::ExhBtnA, pict1, "Exhibit 1"},
               {"PICT2", &TItemPane::Controls::ExhBtnB, pict2, "Exhibit 2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    GoToExhibit(c.field);
    const QString file = ExhibitFileName(Set(), c.field);
    QWidget* shown = nullptr;
    ClickModal(Pane().*c.button, [&](QWidget* modal) { shown = modal; });
    EXPECT_EQ(shown, &c.form);
    EXPECT_EQ(c.form.windowTitle(), c.caption);
    EXPECT_EQ(c.form.Picture().size(), LoadPicture(file).size());
    EXPECT_FALSE(c.form.isVisible());
  }
  EXPECT_TRUE(box.Messages().empty());
}

TEST_F(ItemWindowsTest, APictureThatDoesNotLoadIsReportedAndOpensNothing) {
  StartAllQuestions();  // the exhibits folder is not beside the tables
  GoToExhibit("PICT1");
  const QString file = ExhibitFileName(Set(), "PICT1");
  QWidget* shown = nullptr;
  ClickModal(Pane().ExhBtnA, [&](QWidget* modal) { shown = modal; });
  EXPECT_EQ(shown, nullptr);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().text, "Cannot open file " + file + ".");
  EXPECT_EQ(Session().ExamMode(), Answering);  // the exam goes on
}

TEST_F(ItemWindowsTest, TheItemStaysAsItIsWhileTheNoteWindowIsOpen) {
  StartAllQuestions();
  Ui().NextButton->click();
  const int serial = Session().View().layoutSerial;
  const QString item = Ui().Label2->text();
  ClickModal(Ui().NoteButton, [&](QWidget* modal) {
    ASSERT_EQ(modal, &note);
    EXPECT_EQ(note.Ui().Label2->text(), "All Questions,  " + item);
    note.Ui().DBMemo1->setPlainText("two ways round");
    note.Ui().Button1->click();  // posts the exam-set record
  });
  EXPECT_EQ(Session().View().layoutSerial, serial);
  EXPECT_EQ(Ui().Label2->text(), item);
  EXPECT_TRUE(box.Messages().empty());
  EXPECT_EQ(ToQString(Set().FieldNamed("U_MEMO").StringValue()), "two ways round");
}

}  // namespace
}  // namespace marvessa
