#include <gtest/gtest.h>

#include "engine/filter/dataset_error.h"
#include "engine/test_tables.h"

namespace isam {
namespace {

using testing_tables::MessageOf;
using testing_tables::TableTest;

class TableFilterTest : public TableTest {
 protected:
  void SetUp() override {
    Create("qvault.DAT");
    Bind(bank_, "qvault.DAT");
    bank_.Open();
    Fill(bank_, {1, 3, 0, 3, 2, 0, 3});
    bank_.Close();
  }
  std::vector<int32_t> Numbers() {
    std::vector<int32_t> numbers;
    for (bank_.MoveFirst(); !bank_.AtEnd(); bank_.MoveNext()) numbers.push_back(bank_.RecordNumber());
    return numbers;
  }
  TIsamTable bank_;
};

// The exam start counts the bank with one filter and runs the exam with
// another, set while the table is closed.
TEST_F(TableFilterTest, FilteredCountsAndRecordNumbersOfTheBank) {
  bank_.SetFilter("Q_EXAM_N<>0");
  bank_.SetFiltered(true);
  bank_.Open();
  EXPECT_EQ(bank_.CountRecords(), 5);
  bank_.Close();
  bank_.SetFilter("Q_EXAM_N=3");
  bank_.Open();
  EXPECT_EQ(bank_.CountRecords(), 3);
  // Record numbers count the hidden records too: they are the bank numbers.
  EXPECT_EQ(Numbers(), (std::vector<int32_t>{2, 4, 7}));
  bank_.SetRecordNumber(4);
  EXPECT_EQ(bank_.FieldNamed("Q_ID").IntegerValue(), 4);
  bank_.Close();
  bank_.SetFilter("");
  bank_.SetFiltered(false);
  bank_.Open();
  EXPECT_EQ(bank_.CountRecords(), 7);
}

TEST_F(TableFilterTest, AssignmentsOnAnOpenTableMoveToTheFirstRecord) {
  bank_.Open();
  bank_.SetFilter("Q_EXAM_N=3");
  EXPECT_EQ(bank_.CountRecords(), 7);  // not filtered yet
  bank_.SetFiltered(true);
  EXPECT_EQ(bank_.CountRecords(), 3);
  EXPECT_EQ(bank_.RecordNumber(), 2);
  bank_.MoveLast();
  bank_.SetFiltered(true);  // no change, still a move to the first record
  EXPECT_EQ(bank_.RecordNumber(), 2);
  bank_.SetFilter("Q_EXAM_N=2");
  EXPECT_EQ(Numbers(), std::vector<int32_t>{5});
  // A text that does not compile leaves the filter in force.
  EXPECT_EQ(MessageOf([&] { bank_.SetFilter("Q_EXAM_N=="); }), "Expression expected but '=' found");
  EXPECT_EQ(bank_.Filter(), "Q_EXAM_N=2");
  EXPECT_EQ(bank_.CountRecords(), 1);
  bank_.SetFiltered(false);
  EXPECT_EQ(bank_.CountRecords(), 7);
  EXPECT_EQ(bank_.RecordNumber(), 1);
}

TEST_F(TableFilterTest, EditsKeepTheFilteredViewCurrent) {
  bank_.SetFilter("Q_EXAM_N=3");
  bank_.SetFiltered(true);
  bank_.Open();
  bank_.BeginAppend();
  bank_.FieldNamed("Q_EXAM_N").SetIntegerValue(3);
  bank_.PostRecord();
  EXPECT_EQ(bank_.CountRecords(), 4);
  bank_.MoveFirst();
  bank_.DeleteRecord();
  EXPECT_EQ(bank_.CountRecords(), 3);
  EXPECT_EQ(Numbers(), (std::vector<int32_t>{3, 6, 7}));
}

TEST_F(TableFilterTest, AnotherHandlesAddsReachTheFilteredView) {
  bank_.SetFilter("Q_EXAM_N=3");
  bank_.SetFiltered(true);
  bank_.SetStrictChangeDetection(true);  // look for other users' changes on every read
  bank_.Open();
  TIsamTable writer;
  Bind(writer, "qvault.DAT");
  writer.Open();
  Fill(writer, {3, 1});
  EXPECT_EQ(bank_.CountRecords(), 4);
  EXPECT_EQ(Numbers(), (std::vector<int32_t>{2, 4, 7, 8}));
}

TEST_F(TableFilterTest, AFilterOnAMemoFieldFailsTheOpen) {
  bank_.SetFilter("Q_TEXT='x'");
  bank_.SetFiltered(true);
  EXPECT_EQ(MessageOf([&] { bank_.Open(); }), "Field 'Q_TEXT' cannot be used in a filter expression");
  EXPECT_FALSE(bank_.Active());
}

TEST_F(TableFilterTest, AnOnFilterRecordHandlerJudgesBesideTheExpression) {
  int judged = 0;
  bank_.OnFilterRecord = [&](TIsamTable& table, bool& accept) {
    ++judged;
    EXPECT_EQ(table.State(), TDataSetState::dsFilter);
    accept = table.FieldNamed("Q_SECT").IntegerValue() != 4;  // Q_SECT 4: exam 3
  };
  bank_.SetFilter("Q_EXAM_N<>0");
  bank_.SetFiltered(true);
  bank_.Open();
  EXPECT_GT(judged, 0);
  EXPECT_EQ(bank_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Numbers(), (std::vector<int32_t>{1, 5}));
  bank_.SetFiltered(false);
  EXPECT_EQ(bank_.CountRecords(), 7);
}

}  // namespace
}  // namespace isam
