#include "engine/filter/table_filters.h"

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/filter_table_fixture.h"

namespace isam {
namespace {

using filter_testing::IndexOn;
using filter_testing::MemoryTable;
using filter_testing::TestRecord;
using filter_testing::TestSchema;

const TestSchema& Schema() {
  static const TestSchema schema({
      {"Q_ID", kFieldString, 0, 8},
      {"Q_EXAM_N", kFieldInt32},
      {"Q_SECT", kFieldInt16},
  });
  return schema;
}

// 60 questions: Q_EXAM_N cycles 0..5 (every tenth blank), Q_SECT 1..7.
class TableFiltersTest : public ::testing::Test {
 protected:
  TableFiltersTest()
      : table_(Schema(), {IndexOn("Primary", 1, true), IndexOn("ByExam", 2)}),
        filters_(table_.index(), table_) {
    for (int i = 1; i <= 60; ++i) {
      TestRecord r(Schema());
      r.Str("Q_ID", "Q" + std::to_string(i)).Int("Q_SECT", i % 7 + 1);
      if (i % 10 != 0) r.Int("Q_EXAM_N", i % 6);
      table_.Add(r.image());
    }
  }

  TFilterHandle Add(const std::string& text) {
    TExprBuffer buffer = ParseFilterText(Schema().FilterFields(), text, 0);
    TFilterHandle handle = 0;
    EXPECT_EQ(filters_.AddExpression(buffer.data(), buffer.size(), &handle), 0) << text;
    return handle;
  }

  std::string LastErrorText() {
    const ErrorContext& c = CurrentFileSession()->lastError;
    return ErrorText(c.code, c);
  }

  MemoryTable table_;
  TTableFilters filters_;
};

TEST_F(TableFiltersTest, ExamFilterKeepsBlanksForNotEqual) {
  TFilterHandle all = Add("Q_EXAM_N<>0");
  ASSERT_EQ(filters_.Activate(all), 0);
  // 60 records, Q_EXAM_N = 0 for i = 6, 12, 18, ... except the blank 30 and 60.
  EXPECT_EQ(filters_.VisibleCount(), 60u - 8u);
  EXPECT_TRUE(filters_.Visible().Test(10));  // blank Q_EXAM_N
  EXPECT_FALSE(filters_.Visible().Test(6));
  EXPECT_EQ(table_.index().VisibleBitmap(), &filters_.Visible());
  EXPECT_EQ(table_.reads, 0u);  // the index answered it
}

TEST_F(TableFiltersTest, AndReadsOnlyWhatTheIndexedSideKept) {
  for (const char* text : {"Q_EXAM_N=3 AND Q_SECT=5", "Q_SECT=5 AND Q_EXAM_N=3"}) {
    TTableFilters filters(table_.index(), table_);
    TExprBuffer buffer = ParseFilterText(Schema().FilterFields(), text, 0);
    TFilterHandle handle;
    ASSERT_EQ(filters.AddExpression(buffer.data(), buffer.size(), &handle), 0);
    EXPECT_EQ(filters.Find(handle)->level, 1) << text;
    table_.reads = 0;
    ASSERT_EQ(filters.Activate(handle), 0);
    EXPECT_EQ(table_.reads, 10u) << text;  // the ten records with Q_EXAM_N = 3
    // i = 3 mod 6 and i = 4 mod 7: i = 39.
    EXPECT_EQ(filters.VisibleCount(), 1u) << text;
    EXPECT_TRUE(filters.Visible().Test(39)) << text;
  }
}

TEST_F(TableFiltersTest, SeveralFiltersCombineAndReleaseTheirBitmaps) {
  TFilterHandle exam = Add("Q_EXAM_N=1");
  TFilterHandle sect = Add("Q_SECT<4");
  ASSERT_EQ(filters_.Activate(exam), 0);
  EXPECT_EQ(filters_.VisibleCount(), 10u);
  ASSERT_EQ(filters_.Activate(sect), 0);
  // i = 1 mod 6 with i mod 7 in 0..2.
  uint32_t expected = 0;
  for (int i = 1; i <= 60; ++i) expected += (i % 10 != 0 && i % 6 == 1 && i % 7 + 1 < 4);
  EXPECT_EQ(filters_.VisibleCount(), expected);
  ASSERT_EQ(filters_.Deactivate(exam), 0);
  EXPECT_EQ(filters_.VisibleCount(), 3u * 60 / 7 + 1);  // Q_SECT 1..3
  ASSERT_EQ(filters_.Free(sect), 0);
  EXPECT_FALSE(filters_.HasBitmaps());
  EXPECT_EQ(table_.index().VisibleBitmap(), nullptr);
  ASSERT_EQ(filters_.Activate(kAllFilters), 0);
  EXPECT_EQ(filters_.VisibleCount(), 10u);
  ASSERT_EQ(filters_.Deactivate(kAllFilters), 0);
  EXPECT_EQ(table_.index().VisibleBitmap(), nullptr);
}

TEST_F(TableFiltersTest, CallbackSeesOnlyTheStartingSet) {
  std::vector<uint32_t> seen;
  TFilterHandle handle;
  ASSERT_EQ(filters_.AddCallback(
                [&](const uint8_t* record, uint32_t n) {
                  seen.push_back(n);
                  EXPECT_EQ(GetU32(record + 1), n);
                  return n % 2 == 0;
                },
                &handle),
            0);
  table_.Delete(7);
  ASSERT_EQ(filters_.Activate(handle), 0);
  EXPECT_EQ(seen.size(), 59u);
  EXPECT_EQ(std::find(seen.begin(), seen.end(), 7u), seen.end());
  EXPECT_EQ(filters_.VisibleCount(), 30u);
}

TEST_F(TableFiltersTest, DeletingAHiddenRecordKeepsTheCount) {
  ASSERT_EQ(filters_.Activate(Add("Q_EXAM_N=2")), 0);
  EXPECT_EQ(filters_.VisibleCount(), 8u);  // 2, 8, 14, 26, 32, 38, 44, 56
  table_.Delete(3);  // Q_EXAM_N = 3: not visible
  filters_.RecordDeleted(3);
  EXPECT_EQ(filters_.VisibleCount(), 8u);
  table_.Delete(2);
  filters_.RecordDeleted(2);
  EXPECT_EQ(filters_.VisibleCount(), 7u);
  EXPECT_FALSE(filters_.Visible().Test(2));
}

TEST_F(TableFiltersTest, CloneCopiesTreesAndActivatesTheActiveFilters) {
  TFilterHandle exam = Add("Q_EXAM_N=4");
  Add("Q_SECT=1");  // defined, not active
  ASSERT_EQ(filters_.Activate(exam), 0);
  {
    TTableFilters clone(table_.index(), table_);
    ASSERT_EQ(filters_.CloneInto(clone), 0);
    EXPECT_EQ(clone.FilterCount(), 2u);
    EXPECT_EQ(clone.Visible(), filters_.Visible());
    EXPECT_NE(clone.Find(exam)->tree.get(), filters_.Find(exam)->tree.get());
  }
  ASSERT_EQ(filters_.Rebuild(), 0);  // the clone is gone; the original goes on
  EXPECT_EQ(filters_.VisibleCount(), 8u);
}

TEST_F(TableFiltersTest, AChangeByAnotherUserStartsTheBuildOver) {
  table_.restarts = 2;
  ASSERT_EQ(filters_.Activate(Add("Q_SECT=3")), 0);
  EXPECT_EQ(table_.restarts, 0);
  EXPECT_EQ(filters_.VisibleCount(), 9u);  // i mod 7 = 2
}

TEST_F(TableFiltersTest, AFailedActivationLeavesTheViewAsItWas) {
  TFilterHandle scanned = Add("Q_SECT=3");
  table_.failReads = true;
  EXPECT_EQ(filters_.Activate(scanned), kReadError);
  EXPECT_FALSE(filters_.Find(scanned)->active);
  EXPECT_EQ(table_.index().VisibleBitmap(), nullptr);

  TFilterHandle indexed = Add("Q_EXAM_N=1");
  ASSERT_EQ(filters_.Activate(indexed), 0);  // the index needs no record reads
  EXPECT_EQ(filters_.Activate(scanned), kReadError);
  EXPECT_EQ(filters_.VisibleCount(), 10u);
  table_.failReads = false;
  ASSERT_EQ(filters_.Activate(scanned), 0);
  EXPECT_EQ(filters_.VisibleCount(), 1u);  // i = 37
}

TEST_F(TableFiltersTest, ACallbackCannotStartASecondBuild) {
  TFilterHandle handle;
  int calls = 0;
  ASSERT_EQ(filters_.AddCallback(
                [&](const uint8_t*, uint32_t) {
                  ++calls;
                  EXPECT_EQ(filters_.Rebuild(), 0);  // refused quietly, no recursion
                  return true;
                },
                &handle),
            0);
  ASSERT_EQ(filters_.Activate(handle), 0);
  EXPECT_EQ(calls, 60);
  EXPECT_EQ(filters_.VisibleCount(), 60u);
}

TEST_F(TableFiltersTest, EngineErrors) {
  TFilterHandle handle;
  EXPECT_EQ(filters_.AddExpression(nullptr, 0, &handle), kInvalidFilterExpression);
  EXPECT_EQ(LastErrorText(), "Invalid filter expression specified for data file " +
                                 table_.DataFilePath());
  EXPECT_EQ(filters_.AddCallback(nullptr, &handle), kInvalidFilterExpression);
  EXPECT_EQ(filters_.Activate(999), kInvalidFilterHandle);
  EXPECT_EQ(LastErrorText(), "Invalid filter handle specified for data file " + table_.DataFilePath());
  EXPECT_EQ(filters_.Deactivate(999), kInvalidFilterHandle);
  EXPECT_EQ(filters_.Free(999), kInvalidFilterHandle);

  for (size_t i = 0; i < kMaxFilters; ++i) Add("Q_SECT=1");
  EXPECT_EQ(filters_.AddCallback([](const uint8_t*, uint32_t) { return true; }, &handle),
            kTooManyFilters);
  EXPECT_EQ(LastErrorText(), "Too many filters defined for data file " + table_.DataFilePath());
  ASSERT_EQ(filters_.Free(1), 0);
  EXPECT_EQ(filters_.AddCallback([](const uint8_t*, uint32_t) { return true; }, &handle), 0);
}

}  // namespace
}  // namespace isam
