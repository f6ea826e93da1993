#include "engine/session.h"

#include <gtest/gtest.h>

#include "engine/database.h"
#include "engine/filter/dataset_error.h"
#include "engine/test_tables.h"

namespace isam {
namespace {

using testing_tables::CodeOf;
using testing_tables::MessageOf;
using testing_tables::QuestionTable;
using testing_tables::TableTest;

TEST(SessionListTest, TheDefaultSessionAnswersEmptyNamesAndLookupIgnoresCase) {
  TIsamSessionList& list = Sessions();
  EXPECT_EQ(list.FindSession(""), &list.DefaultSession());
  EXPECT_EQ(list.DefaultSession().SessionName(), "Default");
  EXPECT_EQ(list.FindSession("dEFAULT"), &list.DefaultSession());
  TIsamSession mine("Mine");
  mine.SetSessionName("Plindor");
  EXPECT_EQ(list.FindSession("PLINDOR"), &mine);
  EXPECT_EQ(MessageOf([&] { list.GetSession("Nowhere"); }), "Session name Nowhere is not valid.");
}

TEST(SessionTest, NamesAreNeededUniqueAndFixedWhileActive) {
  TIsamSession a("A"), b("B");
  EXPECT_EQ(MessageOf([&] { a.Open(); }), "Session name is missing.");
  EXPECT_FALSE(a.Active());
  a.SetSessionName("Alpha");
  EXPECT_EQ(MessageOf([&] { b.SetSessionName("ALPHA"); }), "Session name ALPHA already exists.");
  int startups = 0;
  a.OnStartup = [&](TIsamSession&) { ++startups; };
  a.Open();
  EXPECT_EQ(startups, 1);
  EXPECT_TRUE(Sessions().DefaultSession().Active());  // activated first
  EXPECT_EQ(MessageOf([&] { a.SetSessionName("Beta"); }), "Cannot perform this operation on an active session.");
  EXPECT_EQ(a.EngineVersion(), "1.19");
  a.SetEngineVersion("2.0");
  EXPECT_EQ(a.EngineVersion(), "1.19");
  a.Close();
  a.SetSessionName("Beta");
}

TEST(SessionTest, PasswordListIsExactAndCaseSensitive) {
  TIsamSession s("S");
  s.SetSessionName("PasswordRules");
  s.Open();
  s.RegisterPassword("Lanternfish2718");
  s.RegisterPassword("");
  s.RegisterPassword("Lanternfish2718");
  s.RegisterPassword("lower");
  EXPECT_EQ(s.Passwords(), (std::vector<std::string>{"Lanternfish2718", "lower"}));
  s.UnregisterPassword("LOWER");  // not the same password
  EXPECT_EQ(s.Passwords().size(), 2u);
  s.UnregisterPassword("lower");
  EXPECT_EQ(s.Passwords(), std::vector<std::string>{"Lanternfish2718"});
  s.RegisterPassword(std::string(300, 'p'));  // cut to 255 bytes
  EXPECT_EQ(s.Passwords().back(), std::string(255, 'p'));
  s.ClearPasswords();
  EXPECT_TRUE(s.Passwords().empty());
}

TEST(SessionTest, PrivateDirReadsBackInUpperCase) {
  TIsamSession s("S");
  s.SetSessionName("Private");
  s.SetPrivateDir("/tmp");
  EXPECT_EQ(s.PrivateDir(), "/TMP");
  s.Open();
  s.Close();
  s.SetPrivateDir("/no/such/dir");
  EXPECT_EQ(CodeOf([&] { s.Open(); }), kInvalidPath);
  EXPECT_FALSE(s.Active());
}

TEST(SessionTest, AutoSessionNamesTakeTheLowestFreeNumber) {
  int owner = 0;
  TIsamTable table;
  table.SetOwner(&owner);
  auto first = std::make_unique<TIsamSession>("Exam");
  first->SetOwner(&owner);
  first->SetAutoSessionName(true);
  EXPECT_EQ(first->SessionName(), "Exam_1");
  EXPECT_EQ(table.SessionName(), "Exam_1");
  TIsamSession second("Exam");
  second.SetAutoSessionName(true);
  EXPECT_EQ(second.SessionName(), "Exam_2");
  first.reset();
  TIsamSession third("Exam");
  third.SetAutoSessionName(true);
  EXPECT_EQ(third.SessionName(), "Exam_1");
}

TEST(SessionTest, EachSessionKeepsItsOwnErrorContext) {
  testing_support::TempDir dir;
  TIsamSession a("A"), b("B");
  a.SetSessionName("ContextA");
  b.SetSessionName("ContextB");
  TIsamTable inA, inB;
  inA.SetSessionName("ContextA");
  inA.SetDatabaseName(dir.path());
  inA.SetTableName("missing.DAT");
  inB.SetSessionName("ContextB");
  inB.SetDatabaseName(dir.path());
  inB.SetTableName("other.DAT");
  EXPECT_EQ(CodeOf([&] { inA.Open(); }), kInvalidPath);
  ASSERT_NE(a.FileSession(), nullptr);
  EXPECT_NE(a.FileSession(), Sessions().DefaultSession().FileSession());
  EXPECT_EQ(CurrentFileSession(), a.FileSession());
  EXPECT_EQ(a.FileSession()->lastError.fileName, dir.File("missing.DAT"));
  EXPECT_EQ(CodeOf([&] { inB.Open(); }), kInvalidPath);
  EXPECT_EQ(CurrentFileSession(), b.FileSession());
  EXPECT_EQ(a.FileSession()->lastError.fileName, dir.File("missing.DAT"));  // untouched
  b.Close();
  EXPECT_EQ(b.FileSession(), nullptr);
  EXPECT_EQ(CurrentFileSession(), Sessions().DefaultSession().FileSession());
}

// ---------------------------------------------------------------- passwords at open

class PasswordTest : public TableTest {
 protected:
  void SetUp() override {
    Create("qvault.DAT", QuestionTable("Lanternfish2718"));
    Bind(table_, "qvault.DAT");
  }
  TIsamTable table_;
};

TEST_F(PasswordTest, AnUnregisteredPasswordFailsWithoutAHandler) {
  EXPECT_EQ(CodeOf([&] { table_.Open(); }), kPasswordRequired);
  EXPECT_FALSE(table_.Active());
  session_.RegisterPassword("lanternfish2718");  // case matters
  EXPECT_EQ(CodeOf([&] { table_.Open(); }), kPasswordRequired);
  session_.RegisterPassword("Lanternfish2718");
  table_.Open();
  EXPECT_TRUE(table_.Active());
}

TEST_F(PasswordTest, TheHandlerIsAskedUntilItGivesUp) {
  int asked = 0;
  session_.OnPassword = [&](TIsamSession& s, bool& continueOpen) {
    EXPECT_FALSE(continueOpen);
    if (++asked == 2) s.RegisterPassword("Lanternfish2718");
    continueOpen = true;
  };
  table_.Open();
  EXPECT_EQ(asked, 2);
  table_.Close();
  session_.ClearPasswords();
  session_.OnPassword = [&](TIsamSession&, bool&) { ++asked; };
  EXPECT_EQ(MessageOf([&] { table_.Open(); }),
            "ISAM Engine Error # 10498 Insufficient rights to data file " + File("qvault.DAT") +
                ", a password is required");
  EXPECT_EQ(asked, 3);
}

TEST_F(PasswordTest, WithoutAHandlerTheApplicationPromptIsAsked) {
  int prompted = 0;
  Sessions().SetPasswordPrompt([&](TIsamSession& s) {
    ++prompted;
    s.RegisterPassword("Lanternfish2718");
    return true;
  });
  table_.Open();
  Sessions().SetPasswordPrompt(nullptr);
  EXPECT_EQ(prompted, 1);
  // Removing all records of the closed table asks the same way.
  table_.Close();
  session_.ClearPasswords();
  EXPECT_EQ(CodeOf([&] { table_.RemoveAllRecords(); }), kPasswordRequired);
}

TEST_F(PasswordTest, PasswordsSurviveReactivation) {
  session_.RegisterPassword("Lanternfish2718");
  session_.Close();
  session_.Open();
  table_.Open();
  EXPECT_TRUE(table_.Active());
}

}  // namespace
}  // namespace isam
