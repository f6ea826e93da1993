#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/file/error_codes.h"
#include "engine/index/index_tree.h"
#include "engine/index/test_index_fixture.h"

namespace isam {
namespace {

using namespace testing_index;
using Bytes = std::vector<uint8_t>;

constexpr int kByNumber = 1;

// 1000 records, number = id % 100: ByNumber orders by (number, record).
class CursorTest : public ::testing::Test {
 protected:
  CursorTest() : fx({Def("", {kFieldAuto}, true), Def("ByNumber", {kFieldNumber})}) {
    for (uint32_t id = 1; id <= 1000; ++id) fx.Add(Image(id, int32_t(id % 100)));
    fx.file->SelectIndex(kByNumber);
  }
  // Range-end key over the number part; the suffix bytes padded with fill.
  Bytes NumberKey(int32_t number, uint8_t fill) {
    Bytes key(fx.file->KeyLength(kByNumber), fill);
    fx.file->BuildKey(kByNumber, Image(1, number).data(), 0, key.data(), 1);
    return key;
  }
  std::vector<uint32_t> Expected(int32_t low, int32_t high, const std::set<uint32_t>& hidden = {}) {
    std::vector<uint32_t> out;
    for (int32_t n = low; n <= high; ++n)
      for (uint32_t id = n == 0 ? 100 : uint32_t(n); id <= 1000; id += 100)
        if (!hidden.count(id)) out.push_back(id);
    return out;
  }
  IndexFixture fx;
};

TEST_F(CursorTest, RangeCountsComeFromSubtreeCountsWithoutLeafReads) {
  Bytes low = NumberKey(10, 0x00), high = NumberKey(19, 0xFF);
  ASSERT_EQ(fx.file->SetRange(low.data(), high.data()), 0);
  ASSERT_EQ(fx.file->Flush(false), 0);
  fx.file->DropCaches();
  uint32_t count = 0;
  ASSERT_EQ(fx.file->Count(&count), 0);
  EXPECT_EQ(count, 100u);
  int height = 0;
  TIndexTree tree(*fx.file, kByNumber);
  ASSERT_EQ(tree.Height(&height), 0);
  EXPECT_GE(height, 2);
  EXPECT_LE(fx.file->PagesRead(), uint64_t(2 * height + 1)) << "two descents, no leaf walk";

  EXPECT_EQ(fx.Walk(), Expected(10, 19));
  uint32_t record = 0, position = 0;
  ASSERT_EQ(fx.file->GoToPosition(11, &record), 0);
  EXPECT_EQ(record, 11u) << "position 11 of the range: the first record with number 11";
  ASSERT_EQ(fx.file->Position(&position), 0);
  EXPECT_EQ(position, 11u);
  EXPECT_EQ(fx.file->GoToPosition(101, &record), kEndOfFile);

  // Low above high: an empty range.
  ASSERT_EQ(fx.file->SetRange(high.data(), low.data()), 0);
  ASSERT_EQ(fx.file->Count(&count), 0);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(fx.file->First(&record), kEndOfFile);
  ASSERT_EQ(fx.file->CancelRange(), 0);
  ASSERT_EQ(fx.file->Count(&count), 0);
  EXPECT_EQ(count, 1000u);
}

TEST_F(CursorTest, MovesStopAtTheEnds) {
  uint32_t record = 0;
  ASSERT_EQ(fx.file->Last(&record), 0);
  EXPECT_EQ(record, 999u);
  EXPECT_EQ(fx.file->Next(&record), kEndOfFile);
  EXPECT_TRUE(fx.file->AtEnd());
  EXPECT_EQ(record, 0u);
  ASSERT_EQ(fx.file->Prior(&record), 0);
  EXPECT_EQ(record, 999u) << "prior from after the end is the last";
  ASSERT_EQ(fx.file->First(&record), 0);
  EXPECT_EQ(record, 100u);
  EXPECT_EQ(fx.file->Prior(&record), kBeginningOfFile);
  EXPECT_TRUE(fx.file->AtStart());
  ASSERT_EQ(fx.file->MoveBy(3, &record), 0);
  EXPECT_EQ(record, 300u) << "from before the first, 3 steps land on the third";
  ASSERT_EQ(fx.file->MoveBy(10, &record), 0);
  EXPECT_EQ(record, 201u) << "position 13: the third record of number 1";
  ASSERT_EQ(fx.file->MoveBy(-2, &record), 0);
  EXPECT_EQ(record, 1u);
  ASSERT_EQ(fx.file->MoveBy(0, &record), 0);
  EXPECT_EQ(record, 1u);
  EXPECT_EQ(fx.file->MoveBy(5000, &record), kEndOfFile);
  EXPECT_EQ(fx.file->MoveBy(-5000, &record), kBeginningOfFile);
}

TEST_F(CursorTest, FindPositionsOnTheFirstKeyAtOrAboveAPartialKey) {
  bool exact = false;
  uint32_t record = 0;
  Bytes key = NumberKey(42, 0);
  ASSERT_EQ(fx.file->Find(key.data(), 5, &exact, &record), 0);
  EXPECT_TRUE(exact);
  EXPECT_EQ(record, 42u);
  key = NumberKey(-1, 0);
  ASSERT_EQ(fx.file->Find(key.data(), 5, &exact, &record), 0);
  EXPECT_FALSE(exact);
  EXPECT_EQ(record, 100u);
  key = NumberKey(100, 0);
  EXPECT_EQ(fx.file->Find(key.data(), 5, &exact, &record), kEndOfFile);
}

TEST_F(CursorTest, BookmarksAndResyncAfterAnEdit) {
  uint32_t record = 0;
  ASSERT_EQ(fx.file->GoToPosition(500, &record), 0);
  std::string bookmark = fx.file->CurrentKey();
  ASSERT_EQ(fx.file->First(&record), 0);
  uint32_t back = 0;
  ASSERT_EQ(fx.file->GoToKey(bookmark, &back), 0);
  uint32_t again = 0;
  ASSERT_EQ(fx.file->GoToPosition(500, &again), 0);
  EXPECT_EQ(back, again);

  // Record 7 (number 7) becomes number 95: the cursor follows it there.
  ASSERT_EQ(fx.file->ModifyRecord(7, Image(7, 7).data(), Image(7, 95).data()), 0);
  ASSERT_EQ(fx.file->Resync(7, Image(7, 95).data()), 0);
  ASSERT_EQ(fx.file->Next(&record), 0);
  EXPECT_EQ(record, 95u) << "after (95, 7) comes (95, 95)";

  // A deleted record's bookmark is gone; the cursor lands on the next key.
  ASSERT_EQ(fx.file->DeleteRecord(7, Image(7, 95).data()), 0);
  EXPECT_EQ(fx.file->GoToKey(fx.file->CurrentKey(), &record), 0);
  ASSERT_EQ(fx.file->Resync(7, Image(7, 95).data()), 0);
  EXPECT_EQ(fx.file->GoToKey(fx.file->CurrentKey(), &record), kRecordNotFound);
  EXPECT_EQ(record, 95u);
  // Moving on from a deleted key continues from where it was.
  ASSERT_EQ(fx.file->Resync(7, Image(7, 95).data()), 0);
  ASSERT_EQ(fx.file->Prior(&record), 0);
  EXPECT_EQ(record, 994u);
}

TEST_F(CursorTest, HiddenRecordsAreSkippedButCountInPositions) {
  TRecordBitmap visible(1000, true);
  std::set<uint32_t> hidden;
  for (uint32_t id = 1; id <= 1000; ++id)
    if (id % 3 == 0 || (id % 100 >= 40 && id % 100 <= 60)) {
      visible.Clear(id);
      hidden.insert(id);
    }
  fx.file->SetVisibleBitmap(&visible);
  uint32_t count = 0, record = 0, position = 0;
  ASSERT_EQ(fx.file->Count(&count), 0);
  EXPECT_EQ(count, visible.Count());
  auto walk = fx.Walk();
  ASSERT_EQ(walk.size(), visible.Count());
  EXPECT_TRUE(std::none_of(walk.begin(), walk.end(), [&](uint32_t r) { return hidden.count(r); }));

  // Numbers 0 and 1 hold records 100..1000 and 1..901: the first visible is 100.
  ASSERT_EQ(fx.file->First(&record), 0);
  EXPECT_EQ(record, 100u);
  ASSERT_EQ(fx.file->MoveBy(2, &record), 0);
  EXPECT_EQ(record, 400u) << "two visible steps, over hidden 300";
  ASSERT_EQ(fx.file->Position(&position), 0);
  EXPECT_EQ(position, 4u) << "the key's place in the index, hidden keys counted";
  // Position 3 (record 300) is hidden: the next visible one is taken.
  ASSERT_EQ(fx.file->GoToPosition(3, &record), 0);
  EXPECT_EQ(record, 400u);
  // The last key (record 999) is hidden and none follows: the visible one before.
  ASSERT_EQ(fx.file->GoToPosition(1000, &record), 0);
  EXPECT_EQ(record, 899u);
  ASSERT_EQ(fx.file->Last(&record), 0);
  EXPECT_EQ(record, 899u);
  fx.file->SetVisibleBitmap(nullptr);
}

TEST_F(CursorTest, LiveAndRangeBitmaps) {
  std::set<uint32_t> deleted;
  for (uint32_t id = 1; id <= 1000; id += 7) {
    ASSERT_EQ(fx.file->DeleteRecord(id, Image(id, int32_t(id % 100)).data()), 0);
    deleted.insert(id);
  }
  fx.host.slots = 1000;
  TRecordBitmap live;
  ASSERT_EQ(fx.file->BuildLiveBitmap(live), 0);
  for (uint32_t id = 1; id <= 1000; ++id) ASSERT_EQ(live.Test(id), !deleted.count(id)) << id;
  // Mostly deleted: the in-use keys are walked instead; same answer.
  for (uint32_t id = 1; id <= 1000; ++id)
    if (!deleted.count(id) && id > 100) {
      ASSERT_EQ(fx.file->DeleteRecord(id, Image(id, int32_t(id % 100)).data()), 0);
      deleted.insert(id);
    }
  ASSERT_EQ(fx.file->BuildLiveBitmap(live), 0);
  for (uint32_t id = 1; id <= 1000; ++id) ASSERT_EQ(live.Test(id), !deleted.count(id)) << id;
  EXPECT_EQ(live.Count(), fx.file->RecordCount());

  // Range bitmaps: a small range is walked, a large one through its complement.
  for (auto [lo, hi] : {std::pair{10, 12}, std::pair{5, 90}}) {
    Bytes low = NumberKey(lo, 0x00), high = NumberKey(hi, 0xFF);
    ASSERT_EQ(fx.file->SetRange(low.data(), high.data()), 0);
    TRecordBitmap range;
    ASSERT_EQ(fx.file->BuildRangeBitmap(range), 0);
    range.And(live);
    for (uint32_t id = 1; id <= 1000; ++id) {
      bool inRange = !deleted.count(id) && int(id % 100) >= lo && int(id % 100) <= hi;
      ASSERT_EQ(range.Test(id), inRange) << lo << ".." << hi << " record " << id;
    }
  }
  // Counting and collecting on an index other than the current one.
  uint32_t count = 0;
  Bytes low = NumberKey(10, 0x00), high = NumberKey(12, 0xFF);
  fx.file->SelectIndex(0);
  ASSERT_EQ(fx.file->CountKeyRange(kByNumber, low.data(), 5, high.data(), 5, &count), 0);
  TRecordBitmap collected(1000);
  ASSERT_EQ(fx.file->CollectKeyRange(kByNumber, low.data(), 5, high.data(), 5, collected), 0);
  EXPECT_EQ(collected.Count(), count);
  EXPECT_TRUE(collected.Test(10) && collected.Test(11) && !collected.Test(1));
  ASSERT_EQ(fx.file->CountKeyRange(kByNumber, nullptr, 0, high.data(), 5, &count), 0);
  uint32_t expected = 0;
  for (uint32_t id = 1; id <= 1000; ++id) expected += !deleted.count(id) && id % 100 <= 12;
  EXPECT_EQ(count, expected) << "open low end";
}

TEST(PhysicalOrderTest, WithoutPrimaryIndexDeletedSlotsStayHidden) {
  IndexFixture fx({Def("ByNumber", {kFieldNumber})});
  for (uint32_t id = 1; id <= 10; ++id) fx.Add(Image(id, int32_t(10 - id)));
  std::set<uint32_t> deleted = {2, 5, 10};
  for (uint32_t id : deleted) ASSERT_EQ(fx.file->DeleteRecord(id, Image(id, int32_t(10 - id)).data()), 0);
  fx.file->SetSlotLiveSource([&](TRecordBitmap& live) {
    for (uint32_t id = 1; id <= live.slots(); ++id) live.Assign(id, !deleted.count(id));
    return 0;
  });
  fx.file->SelectIndex(0);
  ASSERT_TRUE(fx.file->PhysicalOrder());
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{1, 3, 4, 6, 7, 8, 9}));
  uint32_t count = 0, record = 0, position = 0;
  ASSERT_EQ(fx.file->Count(&count), 0);
  EXPECT_EQ(count, 7u);
  ASSERT_EQ(fx.file->GoToPosition(5, &record), 0);
  EXPECT_EQ(record, 6u) << "slot 5 is deleted: the next live one";
  ASSERT_EQ(fx.file->Position(&position), 0);
  EXPECT_EQ(position, 6u);
  std::string bookmark = fx.file->CurrentKey();
  ASSERT_EQ(fx.file->Last(&record), 0);
  EXPECT_EQ(record, 9u);
  ASSERT_EQ(fx.file->GoToKey(bookmark, &record), 0);
  EXPECT_EQ(record, 6u);
  // A record added later is seen at once.
  fx.Add(Image(11, 0));
  ASSERT_EQ(fx.file->Last(&record), 0);
  EXPECT_EQ(record, 11u);

  // The secondary index is unaffected.
  fx.file->SelectIndex(1);
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{11, 9, 8, 7, 6, 4, 3, 1}));
}

TEST(PhysicalOrderTest, RecordOrderOfATableWithPrimaryIndexUsesTheRecordIndex) {
  IndexFixture fx({Def("", {kFieldNumber}, true)});
  for (uint32_t id = 1; id <= 6; ++id) fx.Add(Image(id, int32_t(100 - id)));
  ASSERT_EQ(fx.file->DeleteRecord(3, Image(3, 97).data()), 0);
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{6, 5, 4, 2, 1}));
  fx.file->SelectIndex(kPhysicalOrder);
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{1, 2, 4, 5, 6}));
}

TEST(IndexOrderTest, DescendingAndCaseInsensitiveIndexes) {
  TIndexDef down = Def("Down", {kFieldNumber});
  down.descending = true;
  TIndexDef folded = Def("Folded", {kFieldText});
  folded.caseInsensitive = true;
  IndexFixture fx({Def("", {kFieldAuto}, true), down, folded});
  const char* texts[] = {"b", "A", "a", "C", "B"};
  for (uint32_t id = 1; id <= 5; ++id) fx.Add(Image(id, int32_t(id * 10), texts[id - 1]));
  fx.file->SelectIndexByName("DOWN");
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{5, 4, 3, 2, 1}));
  // Equal keys of a descending non-unique index come in descending record order too.
  fx.Add(Image(6, 30));
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{5, 4, 6, 3, 2, 1}));
  fx.file->SelectIndexByName("folded");
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{6, 2, 3, 1, 5, 4})) << "blank first, then A a b B C";
  fx.file->SelectIndexByName("unknown");
  EXPECT_EQ(fx.file->CurrentIndex(), 0);
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
}

TEST(IndexOrderTest, ATableLocaleOrdersStringsByItsRules) {
  TestLocale locale;
  TIndexDef byText = Def("ByText", {kFieldText});
  TIndexDef down = Def("Down", {kFieldText, kFieldNumber});
  down.fieldDescending = {true, false};
  IndexFixture fx({Def("", {kFieldAuto}, true), byText, down});
  fx.host.locale = &locale;
  const char* texts[] = {"b", "A", "a", "C", "B"};
  for (uint32_t id = 1; id <= 5; ++id) fx.Add(Image(id, int32_t(id), texts[id - 1]));
  fx.file->SelectIndex(1);
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{2, 3, 5, 1, 4})) << "A a B b C, not byte order";
  // Under a locale a descending field is not inverted: its comparison turns.
  uint8_t key[32];
  fx.file->BuildKey(2, Image(1, 1, "b").data(), 1, key);
  EXPECT_EQ(key[0], 1);
  EXPECT_EQ(key[1], 'b');
  fx.file->SelectIndex(2);
  EXPECT_EQ(fx.Walk(), (std::vector<uint32_t>{4, 1, 5, 3, 2}));
  EXPECT_TRUE(CheckIndexFile(*fx.file).empty());
}

}  // namespace
}  // namespace isam
