// isamtool repair on hand-made damage: what it rebuilds, what it reports as
// lost, and that "check" accepts the result.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "engine/blob/blob_format.h"
#include "engine/data/data_header.h"
#include "engine/file/file_session.h"
#include "testing/temp_dir.h"
#include "tools/isamtool/commands.h"
#include "tools/isamtool/repair.h"
#include "tools/isamtool/table_workload.h"

namespace isamtool::workload {
namespace {

using Bytes = std::string;

Bytes Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Save(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

class RepairTest : public ::testing::Test {
 public:  // the damage cases below reach into the fixture
  // Six records w0..w5 (each with a memo but w3, whose memo is empty), w4
  // deleted again; the data file's record size and first slot for patching.
  RepairTest() {
    EXPECT_EQ(CreateTable(path_, WorkloadTable()), kOk);
    TDataFile table;
    table.SetPath(path_);
    EXPECT_EQ(table.Open(), kOk);
    std::vector<uint8_t> image(table.RecordSize());
    for (int i = 0; i < 6; ++i) {
      std::string tag = "w" + std::to_string(i);
      table.InitRecord(image.data());
      PutFieldString(table.Fields()[kTagField - 1], image.data(), tag);
      std::string memo = i == 3 ? "" : std::string(600 + i, char('a' + i));
      EXPECT_EQ(table.Blob()->OpenBlob(image.data(), kMemoField, 0), kOk);
      if (!memo.empty()) table.Blob()->WriteBlob(image.data(), kMemoField, 0, uint32_t(memo.size()), memo.data());
      EXPECT_EQ(table.AddRecord(image.data()), kOk);
      if (i != 4) expected_[tag] = {0, memo};
    }
    EXPECT_EQ(table.MoveLast(), kOk);
    EXPECT_EQ(table.MovePrior(), kOk);
    EXPECT_EQ(table.DeleteCurrent(), kOk);  // w4
    recordSize_ = table.RecordSize();
    firstSlot_ = kDataHeaderSize + 4 * kFieldDescriptorSize;
  }

  size_t SlotAt(uint32_t slot) const { return firstSlot_ + size_t(slot - 1) * recordSize_; }

  EngineScope engine_;
  testing_support::TempDir dir_;
  std::string path_ = dir_.File("R");
  TableState expected_;
  size_t recordSize_ = 0;
  size_t firstSlot_ = 0;
};

int Check(const std::string& table) {
  Options options;
  options.table = table;
  return CheckTable(options);
}

TEST_F(RepairTest, ASoundTableStaysAsItWas) {
  const Bytes data = Load(path_ + ".DAT"), blob = Load(path_ + ".BLB");
  RepairResult result = RepairTable(path_);
  EXPECT_TRUE(result.lost.empty());
  EXPECT_EQ(result.records, 5u);
  // Only the update counters move.
  EXPECT_EQ(Load(path_ + ".DAT").substr(kDataHeaderSize), data.substr(kDataHeaderSize));
  EXPECT_EQ(Load(path_ + ".BLB").substr(kBlobHeaderSize), blob.substr(kBlobHeaderSize));
  EXPECT_EQ(ReadTableState(path_), expected_);
}

// Each case damages the files, repairs them and names a line the repair must
// print; afterwards "check" passes and the table holds `expected_` as changed
// by the case.
TEST_F(RepairTest, DamageIsRepairedAndWhatCannotBeKeptIsReported) {
  struct Case {
    const char* name;
    std::function<void(RepairTest&)> damage;
    const char* fixedOrLost;
  };
  const std::vector<Case> cases = {
      {"a slot appended without its header, then half a slot",
       [](RepairTest& t) {
         Bytes data = Load(t.path_ + ".DAT");
         Bytes slot = data.substr(t.SlotAt(1), t.recordSize_);
         slot[0] = 1;  // a deleted slot
         Save(t.path_ + ".DAT", data + slot + slot.substr(0, 7));
       },
       "next record number 7 -> 8"},
      {"the index file's pages overwritten",
       [](RepairTest& t) {
         Bytes index = Load(t.path_ + ".IDX");
         std::fill(index.begin() + 4096, index.end(), '\xEE');
         Save(t.path_ + ".IDX", index);
       },
       "every index rebuilt from 5 records"},
      {"a memo chain owned by another record",
       [](RepairTest& t) {
         Bytes data = Load(t.path_ + ".DAT"), blob = Load(t.path_ + ".BLB");
         uint32_t first = GetU32(reinterpret_cast<const uint8_t*>(&data[t.SlotAt(2) + 9 + 26 + 5 + 1]));
         PutU32(reinterpret_cast<uint8_t*>(&blob[first + kBlockOwnerAt]), 6);
         Save(t.path_ + ".BLB", blob);
         t.expected_["w1"].memo.clear();
       },
       "slot 2 field MEMO: blob value lost"},
      {"the blob header's end offset short of the blocks written",
       [](RepairTest& t) {
         Bytes blob = Load(t.path_ + ".BLB");
         PutU32(reinterpret_cast<uint8_t*>(&blob[kBlobEndOffsetAt]), 512 + 512);
         PutU32(reinterpret_cast<uint8_t*>(&blob[kBlobFreeHeadAt]), 0);
         Save(t.path_ + ".BLB", blob);
       },
       "blob end offset 1024 ->"},
      {"a tag repeated in the unique index",
       [](RepairTest& t) {
         Bytes data = Load(t.path_ + ".DAT");
         data[t.SlotAt(6) + 9 + 1 + 1] = '0';  // w5 -> w0
         Save(t.path_ + ".DAT", data);
         t.expected_.erase("w5");
       },
       "slot 6: its key in index ByTag repeats an earlier record's"},
      {"a status byte that is neither 0 nor 1",
       [](RepairTest& t) {
         Bytes data = Load(t.path_ + ".DAT");
         data[t.SlotAt(3)] = 7;
         Save(t.path_ + ".DAT", data);
         t.expected_.erase("w2");
       },
       "slot 3: status byte 7, counted as deleted"},
  };
  const std::string saved = dir_.File("saved");
  std::filesystem::create_directory(saved);
  for (const char* ext : {".DAT", ".IDX", ".BLB"}) std::filesystem::copy_file(path_ + ext, saved + "/R" + ext);
  const TableState pristine = expected_;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* ext : {".DAT", ".IDX", ".BLB"})
      std::filesystem::copy_file(saved + "/R" + ext, path_ + ext, std::filesystem::copy_options::overwrite_existing);
    expected_ = pristine;
    c.damage(*this);
    RepairResult result = RepairTable(path_);
    EXPECT_TRUE(Contains(result.fixed, c.fixedOrLost) || Contains(result.lost, c.fixedOrLost))
        << "fixed: " << ::testing::PrintToString(result.fixed) << "\nlost: " << ::testing::PrintToString(result.lost);
    EXPECT_EQ(Check(path_), 0);
    EXPECT_EQ(ReadTableState(path_), expected_);
    EXPECT_EQ(result.records, expected_.size());
  }
}

TEST_F(RepairTest, ATableInUseIsLeftAlone) {
  TDataFile user;
  user.SetPath(path_);
  ASSERT_EQ(user.Open(), kOk);
  try {
    RepairTable(path_);
    ADD_FAILURE() << "repaired a table another handle has open";
  } catch (const EIsamEngineError& e) {
    EXPECT_EQ(e.code(), kAccessDenied);
  }
}

}  // namespace
}  // namespace isamtool::workload
