// The sampler beside another process that uses the user set: a record that
// the other process holds cannot be edited, and a set that it has open
// cannot be emptied; each time the engine's message is shown and the
// window goes on as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/errors.h"
#include "sampler/sampler_fixture.h"
#include "testing/child_process.h"

namespace marvessa::testing {
namespace {

bool WaitForFile(const std::string& path) {
  using namespace std::chrono_literals;
  for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(1ms)) {
    if (std::filesystem::exists(path)) return true;
  }
  return false;
}

// args: folder, the record number to hold in an edit ("0": only open the set).
MARVESSA_CHILD(user_set_holder) {
  const std::string dir = args.at(0);
  if (chdir(dir.c_str()) != 0) return 3;
  int result = 0;
  {
    TQuestionTables tables;  // the session with the table password
    try {
      tables.dtUserSet.Open();
      if (int record = std::stoi(args.at(1)); record > 0) {
        tables.dtUserSet.SetRecordNumber(record);
        tables.dtUserSet.BeginEdit();
      }
    } catch (const isam::EIsamEngineError& e) {
      result = e.code();
    }
    std::ofstream(dir + "/ready.tmp") << result;
    std::filesystem::rename(dir + "/ready.tmp", dir + "/ready");
    if (!WaitForFile(dir + "/release")) return 2;
  }
  return result;
}

class SamplerLockTest : public SamplerTest {
 protected:
  void Hold(int record) {
    child_ = testing_support::StartChild("user_set_holder", {folder.Path(), std::to_string(record)});
    ASSERT_TRUE(WaitForFile(folder.Path() + "/ready"));
  }
  void Release() {
    if (child_ <= 0) return;
    std::ofstream(folder.Path() + "/release") << 1;
    EXPECT_EQ(testing_support::WaitChild(child_), 0);
    child_ = 0;
    std::filesystem::remove(folder.Path() + "/ready");
    std::filesystem::remove(folder.Path() + "/release");
  }
  void TearDown() override { Release(); }

  // The window browses its record with every command at hand.
  void ExpectUsable(const QString& question) {
    EXPECT_EQ(UserSet().State(), isam::TDataSetState::dsBrowse);
    EXPECT_EQ(Panel(3), "  Browsing");
    EXPECT_TRUE(S().AddAct->isEnabled());
    EXPECT_TRUE(S().EditAct->isEnabled());
    EXPECT_TRUE(S().ItemList->isEnabled());
    EXPECT_FALSE(S().BitBtn1->isEnabled());
    EXPECT_EQ(S().QuestionMemo->toPlainText(), question);
  }

  pid_t child_ = 0;
};

TEST_F(SamplerLockTest, ARecordHeldByAnotherProcessCannotBeEditedAndTheWindowStaysUsable) {
  AddItem("Held");
  AddItem("Free");
  S().DBNavigator1->Button(TNavigatorLink::nbFirst)->click();
  Settle();
  UserSet().SetLockWaitTime(5);
  Hold(1);
  const QString inUse = "is in use by another user";

  box.Clear();
  Trigger(S().EditAct);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
  EXPECT_TRUE(box.Last().text.startsWith("ISAM Engine Error # 10258 ")) << box.Last().text.toStdString();
  EXPECT_TRUE(box.Last().text.contains(inUse));
  ExpectUsable("Held");

  // Typing, the type box and the section list try the same edit.
  box.Clear();
  Type(S().QuestionMemo, "x");
  ChooseType(1);
  ChooseSection(4);
  ASSERT_EQ(box.Messages().size(), 3u) << Shown();
  for (const auto& shown : box.Messages()) EXPECT_TRUE(shown.text.contains("10258")) << shown.text.toStdString();
  ExpectUsable("Held");
  EXPECT_EQ(S().ComboBox1->currentIndex(), 0);
  EXPECT_EQ(S().ListBox1->currentRow(), 0);

  // The other record is free, and this one once the other process is gone.
  S().ItemList->setCurrentRow(1);
  Settle();
  Trigger(S().EditAct);
  EXPECT_EQ(UserSet().State(), isam::TDataSetState::dsEdit);
  Click(S().BitBtn2);
  Release();
  S().ItemList->setCurrentRow(0);
  Settle();
  S().QuestionMemo->moveCursor(QTextCursor::End);
  Type(S().QuestionMemo, "!");
  Click(S().BitBtn1);
  EXPECT_EQ(UserSet().FieldNamed("Q_TEXT").StringValue(), "Held!");
}

TEST_F(SamplerLockTest, ASetOpenInAnotherProcessIsNotEmptiedAndNothingIsLost) {
  AddItem("One");
  AddItem("Two");
  Hold(0);

  box.Clear();
  box.Answer(mbOK);
  Trigger(S().Emptyquestionset1);
  ASSERT_EQ(box.Messages().size(), 2u) << Shown();
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
  EXPECT_TRUE(box.Last().text.startsWith("ISAM Engine Error # 11013 ")) << box.Last().text.toStdString();
  EXPECT_TRUE(UserSet().Active());
  EXPECT_FALSE(UserSet().Exclusive());
  EXPECT_EQ(UserSet().CountRecords(), 2);
  EXPECT_EQ(ListEntries().size(), 2u);
  ExpectUsable("One");

  Release();
  box.Answer(mbOK);
  Trigger(S().Emptyquestionset1);
  EXPECT_TRUE(UserSet().IsTableEmpty());
  EXPECT_EQ(Header(), "The question set is empty");
}

}  // namespace
}  // namespace marvessa::testing
