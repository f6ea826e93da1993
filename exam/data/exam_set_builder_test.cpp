#include "exam/data/exam_set_builder.h"

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "exam/data/random_generator.h"
#include "exam/data/test_bank.h"
#include "prefs/clock.h"

namespace marvessa {
namespace {

using testing::FieldCounts;

struct TRecordingProgress : IProgress {
  bool visible = false;
  int shown = 0, maximum = -1, position = -1;
  void Show() override {
    visible = true;
    ++shown;
  }
  void SetMaximum(int m) override { maximum = m; }
  void SetPosition(int p) override { position = p; }
  void Close() override { visible = false; }
};

class ExamSetBuilderTest : public ::testing::Test {
 protected:
  TExamSetBuilder Builder() { return {tables.dtCurrentSet, progress, random, clock}; }
  void OpenBank(const char* filter) {
    tables.dtQSet.SetFilter(filter);
    tables.dtQSet.SetFiltered(true);
    tables.dtQSet.Open();
  }
  // Q_OR_NUMBER of the current exam set, in record order.
  std::vector<int> Order() {
    std::vector<int> order;
    isam::TIsamTable& ces = tables.dtCurrentSet;
    for (ces.MoveFirst(); !ces.IsTableEmpty() && !ces.AtEnd(); ces.MoveNext())
      order.push_back(ces.FieldNamed("Q_OR_NUMBER").IntegerValue());
    return order;
  }

  testing::TBankFolder folder;
  TQuestionTables tables;
  TRecordingProgress progress;
  TRandomGenerator random;
  TFixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(14, 6, 30, 250), Qt::UTC)};
};

TEST_F(ExamSetBuilderTest, PracticeExamCopiesEveryItemOnceInRandomOrder) {
  OpenBank("Q_EXAM_N=3");
  std::map<int, int> bankIds = FieldCounts(tables.dtQSet, "Q_ID", "Q_EXAM_N=3");
  ASSERT_EQ(bankIds.size(), 30u);
  tables.dtQSet.SetFilter("Q_EXAM_N=3");

  TExamSetResult result = Builder().BuildExamSet(tables.dtQSet);
  EXPECT_EQ(result.ItemCount, 30);
  EXPECT_EQ(result.FirstRecNo, 1);
  EXPECT_TRUE(tables.dtCurrentSet.Active());
  EXPECT_TRUE(tables.dtCurrentSet.Exclusive());
  EXPECT_EQ(tables.dtCurrentSet.RecordNumber(), 1);  // left on the first record
  std::vector<int> order = Order();
  std::map<int, int> copied;
  for (int id : order) ++copied[id];
  EXPECT_EQ(copied, bankIds);
  std::vector<int> sorted = order;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_NE(order, sorted) << "the items keep the bank's order";
  EXPECT_EQ(progress.shown, 1);
  EXPECT_FALSE(progress.visible);
  EXPECT_EQ(progress.maximum, 30);
  EXPECT_EQ(progress.position, 29);

  // The same clock draws the same order again, from a fresh ces.DAT.
  tables.dtCurrentSet.Close();
  Builder().BuildExamSet(tables.dtQSet);
  EXPECT_EQ(Order(), order);
}

TEST_F(ExamSetBuilderTest, BankCopyKeepsEveryField) {
  OpenBank("Q_EXAM_N<>0");
  Builder().BuildExamSet(tables.dtQSet);
  isam::TIsamTable& ces = tables.dtCurrentSet;
  isam::TIsamTable& bank = tables.dtQSet;
  int withExhibit = 0;
  for (ces.MoveFirst(); !ces.AtEnd(); ces.MoveNext()) {
    bank.SetRecordNumber(ces.FieldNamed("Q_OR_NUMBER").IntegerValue());
    ASSERT_EQ(bank.FieldNamed("Q_ID").IntegerValue(), ces.FieldNamed("Q_OR_NUMBER").IntegerValue());
    for (const char* f : {"Q_EXAM_N", "Q_SECT"})
      EXPECT_EQ(ces.FieldNamed(f).IntegerValue(), bank.FieldNamed(f).IntegerValue()) << f;
    for (const char* f : {"Q_TEXT", "Q_EXPL", "Q1", "Q2", "Q3", "Q4", "Q5", "Q6", "Q_SIM", "PICT1", "PICT2", "U_MEMO"})
      EXPECT_EQ(ces.FieldNamed(f).StringValue(), bank.FieldNamed(f).StringValue()) << f;
    for (const char* f : {"Q_TYPE", "A1", "A2", "A3", "A4", "A5", "A6"})
      EXPECT_EQ(ces.FieldNamed(f).BooleanValue(), bank.FieldNamed(f).BooleanValue()) << f;
    withExhibit += !ces.FieldNamed("PICT1").StringValue().empty();
  }
  EXPECT_GT(withExhibit, 0) << "the bank has items with exhibits";
}

TEST_F(ExamSetBuilderTest, RandomExamTakesDistinctEligibleQuestions) {
  OpenBank("Q_EXAM_N<>0");
  const int n = tables.dtQSet.CountRecords();
  ASSERT_EQ(n, 210);
  for (int count : {1, 17, n}) {
    tables.dtCurrentSet.Close();
    EXPECT_EQ(Builder().BuildRandomSet(tables.dtQSet, count).ItemCount, count);
    std::map<int, int> copied;
    for (int id : Order()) ++copied[id];
    EXPECT_EQ(copied.size(), static_cast<size_t>(count));
    for (auto [id, times] : copied) {
      EXPECT_EQ(times, 1);
      tables.dtQSet.SetRecordNumber(id);
      EXPECT_NE(tables.dtQSet.FieldNamed("Q_EXAM_N").IntegerValue(), 0);
    }
  }
}

TEST_F(ExamSetBuilderTest, UserSetWithGapsAndEmptySources) {
  isam::TIsamTable& users = tables.dtUserSet;
  users.Open();
  for (int i = 1; i <= 6; ++i) {
    users.BeginAppend();
    users.FieldNamed("Q_SECT").SetIntegerValue(i);
    users.FieldNamed("Q_TEXT").SetStringValue("user question " + std::to_string(i));
    users.FieldNamed("A2").SetBooleanValue(true);
    users.PostRecord();
  }
  std::map<int, int> ids = FieldCounts(users, "Q_ID");
  // Delete the second and the fifth question.
  for (int gone : {std::next(ids.begin(), 1)->first, std::next(ids.begin(), 4)->first}) {
    users.BeginKeySearch();
    users.FieldNamed("Q_ID").SetIntegerValue(gone);
    ASSERT_TRUE(users.SeekKey());
    users.DeleteRecord();
    ids.erase(gone);
  }
  TExamSetResult result = Builder().BuildUserSet(users);
  EXPECT_EQ(result.ItemCount, 4);
  std::map<int, int> copied;
  isam::TIsamTable& ces = tables.dtCurrentSet;
  for (ces.MoveFirst(); !ces.AtEnd(); ces.MoveNext()) {
    ++copied[ces.FieldNamed("Q_OR_NUMBER").IntegerValue()];
    EXPECT_TRUE(ces.FieldNamed("Q_EXAM_N").IsNull());
    EXPECT_EQ(ces.FieldNamed("PICT1").StringValue(), "");
    EXPECT_EQ(ces.FieldNamed("Q_SIM").StringValue(), "");
    EXPECT_TRUE(ces.FieldNamed("A2").BooleanValue());
  }
  EXPECT_EQ(copied, ids);

  // A practice exam without questions: an empty set, nothing drawn.
  ces.Close();
  OpenBank("Q_EXAM_N=9");
  result = Builder().BuildExamSet(tables.dtQSet);
  EXPECT_EQ(result.ItemCount, 0);
  EXPECT_TRUE(ces.IsTableEmpty());
  EXPECT_FALSE(progress.visible);
}

}  // namespace
}  // namespace marvessa

namespace marvessa {
namespace {

// Deletes the bank question with that Q_ID (the bank is closed before and after).
void DeleteQuestion(isam::TIsamTable& bank, int id) {
  bank.Open();
  bank.BeginKeySearch();
  bank.FieldNamed("Q_ID").SetIntegerValue(id);
  ASSERT_TRUE(bank.SeekKey());
  bank.DeleteRecord();
  bank.Close();
}

TEST_F(ExamSetBuilderTest, AQuestionMissingFromTheBankIsAnErrorNotACopyOfTheLastOne) {
  // Bank record numbers stand for Q_IDs; with Q_ID 5 gone, record number 5
  // names a question that no search finds.
  DeleteQuestion(tables.dtQSet, 5);
  OpenBank("Q_EXAM_N<>0");
  try {
    Builder().BuildExamSet(tables.dtQSet);
    FAIL() << "no error";
  } catch (const isam::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Question 5 (Q_ID) is missing from qvault.DAT; the question table is damaged");
  }
  EXPECT_FALSE(progress.visible);
}

}  // namespace
}  // namespace marvessa
