// Random inserts, edits and deletes against a plain in-memory model, with
// every invariant of the trees checked after each batch, for each kind of
// leaf compression. MARVESSA_INDEX_STRESS=1 runs a much longer series.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/index/test_index_fixture.h"

namespace isam {
namespace {

using namespace testing_index;

struct Row {
  std::optional<int32_t> number;
  std::optional<std::string> text;
  std::optional<std::string> longText;
  std::vector<uint8_t> Image(uint32_t record) const {
    return testing_index::Image(record, number, text, {}, longText);
  }
};

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// The expected order of each index, computed without the engine's keys.
std::vector<uint32_t> ModelOrder(int slot, const std::map<uint32_t, Row>& rows) {
  using Key = std::tuple<int, std::string, int64_t, int64_t, uint32_t>;
  std::multiset<Key> keys;
  for (const auto& [record, row] : rows) {
    switch (slot) {
      case 0: keys.insert({0, "", 0, 0, record}); break;
      case 1: keys.insert({row.number ? 1 : 0, "", row.number.value_or(0), 0, record}); break;
      case 2: keys.insert({row.text ? 1 : 0, row.text ? Upper(*row.text) : "", 0, 0, record}); break;
      default:  // long text ascending, then number descending (blank last)
        keys.insert({row.longText ? 1 : 0, row.longText.value_or(""), row.number ? 0 : 1,
                     row.number ? -int64_t(*row.number) : 0, record});
        break;
    }
  }
  std::vector<uint32_t> order;
  for (const auto& key : keys) order.push_back(std::get<4>(key));
  return order;
}

std::vector<TIndexDef> Defs(uint8_t compression) {
  TIndexDef primary = Def("", {kFieldAuto}, true, true, compression);
  TIndexDef byNumber = Def("ByNumber", {kFieldNumber}, false, false, compression);
  TIndexDef byText = Def("ByText", {kFieldText}, false, false, compression);
  byText.caseInsensitive = true;
  TIndexDef byLong = Def("ByLong", {kFieldLong, kFieldNumber}, false, false, compression);
  byLong.fieldDescending = {false, true};
  return {primary, byNumber, byText, byLong};
}

class RandomIndexTest : public ::testing::TestWithParam<uint8_t> {};

TEST_P(RandomIndexTest, MatchesModelAndKeepsInvariants) {
  const bool stress = std::getenv("MARVESSA_INDEX_STRESS") != nullptr;
  const int batches = stress ? 40 : 14;
  const int batchSize = stress ? 5000 : 1000;
  const size_t targetSize = stress ? 3000 : 600;
  IndexFixture fx(Defs(GetParam()));
  ASSERT_EQ(fx.openResult, 0);
  std::mt19937 rng(20240611 + GetParam());
  auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
  auto randomRow = [&] {
    Row row;
    if (pick(10)) row.number = pick(101) - 50;
    if (pick(10)) {
      std::string s;
      for (int i = pick(11); i > 0; --i) s += "aBcD"[pick(4)];
      row.text = s;
    }
    if (pick(10)) {
      std::string s = "Q" + std::to_string(pick(37));
      while (int(s.size()) < pick(60)) s += s;
      row.longText = s.substr(0, 200);
    }
    return row;
  };

  std::map<uint32_t, Row> rows;
  std::vector<uint32_t> freeSlots;
  for (int batch = 0; batch < batches; ++batch) {
    // Odd batches run as under a table lock: caches grow, nothing is evicted.
    fx.host.tableLock = batch % 2 == 1;
    for (int op = 0; op < batchSize; ++op) {
      int what = pick(100);
      if (rows.size() > targetSize) what = 90;
      if (rows.empty() || what < 45) {
        uint32_t record;
        if (!freeSlots.empty()) {
          record = freeSlots.back();
          freeSlots.pop_back();
        } else {
          record = ++fx.host.slots;
        }
        Row row = randomRow();
        ASSERT_EQ(fx.file->InsertRecord(record, row.Image(record).data()), 0);
        rows[record] = row;
      } else {
        auto it = rows.begin();
        std::advance(it, pick(int(rows.size())));
        const uint32_t record = it->first;
        if (what < 75) {
          Row row = randomRow();
          ASSERT_EQ(fx.file->ModifyRecord(record, it->second.Image(record).data(), row.Image(record).data()), 0);
          it->second = row;
        } else {
          ASSERT_EQ(fx.file->DeleteRecord(record, it->second.Image(record).data()), 0);
          rows.erase(it);
          freeSlots.push_back(record);
        }
      }
    }
    if (batch % 3 == 1) {  // through the disk: write back and read again
      ASSERT_EQ(fx.file->Flush(false), 0);
      fx.file->DropCaches();
    }
    auto problems = CheckIndexFile(*fx.file, [&](const TRecordVisitor& visit) {
      for (const auto& [record, row] : rows) visit(record, row.Image(record).data());
      return 0;
    });
    ASSERT_TRUE(problems.empty()) << "batch " << batch << ": " << problems.front();
    for (int slot = 0; slot < 4; ++slot) {
      fx.file->SelectIndex(slot);
      auto expected = ModelOrder(slot, rows);
      ASSERT_EQ(fx.Walk(), expected) << "slot " << slot << " batch " << batch;
      uint32_t count = 0;
      ASSERT_EQ(fx.file->Count(&count), 0);
      ASSERT_EQ(count, expected.size());
      for (int probe = 0; probe < 5 && !expected.empty(); ++probe) {
        uint32_t position = 1 + pick(int(expected.size())), record = 0, back = 0;
        ASSERT_EQ(fx.file->GoToPosition(position, &record), 0);
        ASSERT_EQ(record, expected[position - 1]);
        ASSERT_EQ(fx.file->Position(&back), 0);
        ASSERT_EQ(back, position);
      }
    }
    // A range of numbers on ByNumber, walked plain and through a visible
    // bitmap that hides about a third of the records.
    const int32_t lo = pick(101) - 50, hi = lo + pick(30);
    std::vector<uint8_t> low(fx.file->KeyLength(1), 0x00), high(fx.file->KeyLength(1), 0xFF);
    fx.file->BuildKey(1, Image(1, lo).data(), 0, low.data(), 1);
    fx.file->BuildKey(1, Image(1, hi).data(), 0, high.data(), 1);
    fx.file->SelectIndex(1);
    ASSERT_EQ(fx.file->SetRange(low.data(), high.data()), 0);
    std::vector<uint32_t> inRange, visibleInRange;
    TRecordBitmap visible(fx.host.slots, true);
    for (uint32_t record = 1; record <= fx.host.slots; ++record)
      if (pick(3) == 0) visible.Clear(record);
    for (uint32_t record : ModelOrder(1, rows)) {
      const auto& number = rows[record].number;
      if (number && *number >= lo && *number <= hi) {
        inRange.push_back(record);
        if (visible.Test(record)) visibleInRange.push_back(record);
      }
    }
    uint32_t count = 0;
    ASSERT_EQ(fx.file->Count(&count), 0);
    ASSERT_EQ(count, inRange.size());
    ASSERT_EQ(fx.Walk(), inRange);
    fx.file->SetVisibleBitmap(&visible);
    ASSERT_EQ(fx.Walk(), visibleInRange);
    fx.file->SetVisibleBitmap(nullptr);
    ASSERT_EQ(fx.file->CancelRange(), 0);
  }
  // The trees reached more than two levels in the long-key index.
  fx.file->SelectIndex(3);
  const TPage* root = nullptr;
  ASSERT_EQ(fx.file->ReadPage(3, fx.file->Descriptor(3).root, &root), 0);
  EXPECT_EQ(root->type, kPageRoot);
}

std::string CompressionName(const ::testing::TestParamInfo<uint8_t>& info) {
  static const char* const kNames[] = {"None", "Leading", "Trailing", "Both"};
  return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Compressions, RandomIndexTest,
                         ::testing::Values(kCompressNone, kCompressLeading, kCompressTrailing, kCompressBoth),
                         CompressionName);

}  // namespace
}  // namespace isam
