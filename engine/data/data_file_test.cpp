#include "engine/data/data_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/blob/blob_file.h"
#include "engine/errors.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/data/table_creator.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

// A question-like table: Q_ID (auto-increment, primary), N (int32, non-unique
// index), NAME (string 20), FLAG (Boolean), MEMO (memo).
TTableDef SmallTable(bool withBlob = true, bool primary = true) {
  TTableDef def;
  def.fields = {{"Q_ID", kFieldInt32, kSubtypeAutoIncrement},
                {"N", kFieldInt32},
                {"NAME", kFieldString, 0, 20},
                {"FLAG", kFieldBoolean}};
  if (withBlob) def.fields.push_back({"MEMO", kFieldBlob, kSubtypeMemo});
  if (primary) def.indexes.push_back({"", {1}, {}, false, false, true, 0, true});
  def.indexes.push_back({"ByN", {2}, {}, false, false, false, 0, false});
  return def;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class DataFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("t.DAT"); }

  void Create(const TTableDef& def) { ASSERT_EQ(CreateTable(Path(), def), kOk) << LastMessage(); }

  std::unique_ptr<TDataFile> OpenTable(bool exclusive = false) {
    auto file = std::make_unique<TDataFile>();
    file->SetPath(Path());
    file->SetExclusive(exclusive);
    EXPECT_EQ(file->Open(), kOk) << LastMessage();
    return file;
  }

  static std::string LastMessage() {
    const ErrorContext& c = CurrentFileSession()->lastError;
    return ErrorMessage(c.code, c);
  }

  // Adds a record with N and NAME; returns its slot.
  uint32_t Add(TDataFile& file, int32_t n, const char* name) {
    std::vector<uint8_t> image(file.RecordSize());
    file.InitRecord(image.data());
    uint8_t data[4];
    PutI32(data, n);
    PutFieldData(file.Fields()[1], image.data(), data);
    PutFieldString(file.Fields()[2], image.data(), name);
    EXPECT_EQ(file.AddRecord(image.data()), kOk) << LastMessage();
    return file.CurrentSlot();
  }

  std::vector<uint8_t> Current(TDataFile& file) {
    std::vector<uint8_t> image(file.RecordSize());
    EXPECT_EQ(file.ReadCurrent(image.data()), kOk) << LastMessage();
    return image;
  }

  EngineScope engine_;
  testing_support::TempDir dir_;
};

TEST_F(DataFileTest, CreatedFileHasTheDocumentedLayout) {
  Create(SmallTable());
  auto bytes = FileBytes(Path());
  // Q_ID sits in the prefix; N 4+1, NAME 21+1, FLAG 2+1, MEMO 4+1.
  const uint16_t R = 9 + 5 + 22 + 3 + 5;
  ASSERT_EQ(bytes.size(), 127u + 5 * 768);
  EXPECT_EQ(bytes[8], 3);                  // version
  EXPECT_EQ(GetU32(&bytes[13]), 1u);       // next record number
  EXPECT_EQ(GetU16(&bytes[21]), R);        // record size
  EXPECT_EQ(GetU16(&bytes[23]), 5);        // field count
  EXPECT_NE(GetU16(&bytes[25]), 0);        // has blobs
  EXPECT_EQ(GetU16(&bytes[111]), 0);
  const uint8_t* q = &bytes[127];
  EXPECT_EQ(GetU16(q), 1);
  EXPECT_EQ(q[2], 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(q + 3), 4), "Q_ID");
  EXPECT_EQ(q[84], 6);
  EXPECT_EQ(q[85], 29);
  EXPECT_EQ(GetU16(q + 90), 5);            // auto-increment offset
  const uint8_t* name = &bytes[127 + 2 * 768];
  EXPECT_EQ(name[86], 20);                 // declared size
  EXPECT_EQ(name[88], 21);                 // stored size
  EXPECT_EQ(GetU16(name + 90), 9 + 5);     // after N's flag and data
  EXPECT_TRUE(std::ifstream(dir_.File("t.IDX")).good());
  EXPECT_TRUE(std::ifstream(dir_.File("t.BLB")).good());
}

TEST_F(DataFileTest, RecordsRoundTripThroughTheFile) {
  Create(SmallTable(false));
  {
    auto file = OpenTable();
    EXPECT_EQ(Add(*file, 7, "abc   "), 1u);
    EXPECT_EQ(Add(*file, 3, "   "), 2u);
  }
  auto bytes = FileBytes(Path());
  const size_t R = 9 + 5 + 22 + 3;
  const size_t first = 127 + 4 * 768;
  ASSERT_EQ(bytes.size(), first + 2 * R);
  const uint8_t* rec1 = &bytes[first];
  EXPECT_EQ(rec1[0], 0);                    // active
  EXPECT_EQ(GetU32(rec1 + 1), 1u);          // own slot number
  EXPECT_EQ(GetU32(rec1 + 5), 1u);          // auto-increment value
  EXPECT_EQ(rec1[9], 1);                    // N has a value
  EXPECT_EQ(GetI32(rec1 + 10), 7);
  EXPECT_EQ(rec1[14], 1);                   // NAME: trailing blanks cut
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec1 + 15)), "abc");
  const uint8_t* rec2 = &bytes[first + R];
  EXPECT_EQ(GetU32(rec2 + 5), 2u);
  EXPECT_EQ(rec2[14], 0);                   // blanks only: null
  EXPECT_EQ(GetU32(&bytes[17]), 2u);        // last auto-increment value

  auto file = OpenTable();
  ASSERT_EQ(file->MoveFirst(), kOk);
  EXPECT_EQ(GetI32(Current(*file).data() + 10), 7);
  ASSERT_EQ(file->MoveNext(), kOk);
  EXPECT_EQ(file->MoveNext(), kEndOfFile);
  uint32_t count = 0;
  ASSERT_EQ(file->Count(&count), kOk);
  EXPECT_EQ(count, 2u);
}

TEST_F(DataFileTest, DeletedSlotsChainAndAreReused) {
  Create(SmallTable(false));
  auto file = OpenTable();
  for (int i = 1; i <= 8; ++i) Add(*file, i, "x");
  auto deleteSlot = [&](uint32_t slot) {
    ASSERT_EQ(file->MoveToPosition(slot), kOk);
    ASSERT_EQ(file->CurrentSlot(), slot);
    ASSERT_EQ(file->DeleteCurrent(), kOk) << LastMessage();
  };
  deleteSlot(3);
  // Positions count keys in Q_ID order; slot 7 is now at position 6.
  ASSERT_EQ(file->MoveToPosition(6), kOk);
  ASSERT_EQ(file->CurrentSlot(), 7u);
  ASSERT_EQ(file->DeleteCurrent(), kOk);
  EXPECT_EQ(file->Header().freeHead, 7u);
  std::vector<uint8_t> slot7(file->RecordSize());
  ASSERT_EQ(file->ReadSlot(7, slot7.data()), kOk);
  EXPECT_EQ(slot7[0], 1);
  EXPECT_EQ(GetU32(slot7.data() + 1), 3u);
  EXPECT_EQ(Add(*file, 9, "reuse"), 7u);
  EXPECT_EQ(file->Header().freeHead, 3u);
  EXPECT_EQ(GetU32(Current(*file).data() + 5), 9u);  // a fresh auto-increment value
  uint32_t count = 0;
  file->Count(&count);
  EXPECT_EQ(count, 7u);
}

TEST_F(DataFileTest, AutoIncrementWrapsToOne) {
  Create(SmallTable(false, false));
  {
    auto file = OpenTable();
    Add(*file, 1, "a");
  }
  auto bytes = FileBytes(Path());
  PutU32(&bytes[17], 2147483647u);
  WriteBytes(Path(), bytes);
  auto file = OpenTable();
  Add(*file, 2, "b");
  EXPECT_EQ(GetU32(Current(*file).data() + 5), 1u);
}

TEST_F(DataFileTest, ModifyKeepsTheAutoIncrementValueAndUpdatesIndexes) {
  Create(SmallTable(false));
  auto file = OpenTable();
  Add(*file, 5, "five");
  Add(*file, 6, "six");
  ASSERT_EQ(file->MoveFirst(), kOk);
  auto image = Current(*file);
  PutI32(image.data() + 5, 999);  // a caller's auto-increment value is ignored
  PutI32(image.data() + 10, 50);
  ASSERT_EQ(file->ModifyCurrent(image.data()), kOk) << LastMessage();
  EXPECT_EQ(GetU32(Current(*file).data() + 5), 1u);
  ASSERT_EQ(file->Index().SelectIndexByName("ByN"), kOk);
  ASSERT_EQ(file->MoveLast(), kOk);
  EXPECT_EQ(GetI32(Current(*file).data() + 10), 50);
}

TEST_F(DataFileTest, RemoveAllCutsTheFileAndResetsTheHeader) {
  Create(SmallTable());
  {
    auto file = OpenTable();
    Add(*file, 1, "a");
    EXPECT_EQ(file->RemoveAll(), kNeedsExclusive);
  }
  {
    auto file = OpenTable(true);
    ASSERT_EQ(file->RemoveAll(), kOk);
    uint32_t count = 1;
    file->Count(&count);
    EXPECT_EQ(count, 0u);
  }
  auto bytes = FileBytes(Path());
  ASSERT_EQ(bytes.size(), 127u + 5 * 768);
  EXPECT_EQ(GetU32(&bytes[0]), 1u);   // counter reset, then written once
  EXPECT_EQ(GetU32(&bytes[13]), 1u);
  EXPECT_EQ(GetU32(&bytes[17]), 0u);
}

TEST_F(DataFileTest, AnEmptiedExclusiveTableFillsFromSlotOne) {
  Create(SmallTable());
  {
    auto file = OpenTable();
    Add(*file, 1, "a");
    Add(*file, 2, "b");
  }
  auto file = OpenTable(true);
  ASSERT_EQ(file->RemoveAll(), kOk);
  // The emptied header on disk is stale until close: it is no other user's change.
  EXPECT_EQ(Add(*file, 3, "again"), 1u);
  EXPECT_EQ(GetU32(Current(*file).data() + 5), 1u);
  ASSERT_EQ(file->MoveFirst(), kOk);
  ASSERT_EQ(file->DeleteCurrent(), kOk);
  EXPECT_EQ(file->CurrentSlot(), 0u);
}

TEST_F(DataFileTest, ExclusiveWritesSurviveEvictionFromASmallCache) {
  TTableDef def;
  def.fields = {{"Q_ID", kFieldInt32, kSubtypeAutoIncrement}, {"N", kFieldInt32}};
  for (int i = 0; i < 8; ++i) def.fields.push_back({"S" + std::to_string(i), kFieldString, 0, 250});
  def.indexes = {{"", {1}, {}, false, false, true, 0, true}};
  Create(def);
  // The cache holds 131 070 / R = 64 images; after 250 adds only a few of
  // them are clean, fewer than a run of 16 slots needs.
  const int records = 250;
  {
    auto file = OpenTable(true);
    for (int i = 1; i <= records; ++i) Add(*file, i, ("r" + std::to_string(i)).c_str());
    // Nothing is written through in exclusive mode: the file grows only by evictions.
    EXPECT_LT(FileBytes(Path()).size(), 127u + 10 * 768 + size_t(records) * file->RecordSize());
    // Reading runs back while the cache is full of unwritten records.
    int walked = 0;
    for (int rc = file->MoveFirst(); rc == kOk; rc = file->MoveNext()) {
      ASSERT_EQ(GetI32(Current(*file).data() + 10), ++walked);
    }
    EXPECT_EQ(walked, records);
  }
  auto file = OpenTable();
  uint32_t count = 0;
  ASSERT_EQ(file->Count(&count), kOk);
  EXPECT_EQ(count, uint32_t(records));
  int expected = 1;
  for (int rc = file->MoveFirst(); rc == kOk; rc = file->MoveNext(), ++expected) {
    auto image = Current(*file);
    ASSERT_EQ(GetI32(image.data() + 10), expected);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(image.data() + 15)), "r" + std::to_string(expected));
  }
  EXPECT_EQ(expected, records + 1);
}

TEST_F(DataFileTest, ValidationRefusesRequiredAndOutOfRangeValues) {
  TTableDef def = SmallTable(false);
  def.fields[1].required = true;
  def.fields[1].minText = "0";
  def.fields[1].maxText = "99";
  Create(def);
  auto file = OpenTable();
  std::vector<uint8_t> image(file->RecordSize());
  file->InitRecord(image.data());
  EXPECT_EQ(file->AddRecord(image.data()), kValueRequired);
  EXPECT_EQ(LastMessage(), "ISAM Engine Error # 9732 A value must be provided for the field N in data file " + Path());
  uint8_t data[4];
  for (auto [value, code] : {std::pair{-1, kBelowMinimum}, {100, kAboveMaximum}, {99, kOk}}) {
    PutI32(data, value);
    PutFieldData(file->Fields()[1], image.data(), data);
    EXPECT_EQ(file->AddRecord(image.data()), code) << value;
  }
  uint32_t count = 0;
  file->Count(&count);
  EXPECT_EQ(count, 1u);
}

TEST_F(DataFileTest, DuplicatePrimaryKeysAreRefused) {
  TTableDef def;
  def.fields = {{"CODE", kFieldInt32}, {"NAME", kFieldString, 0, 10}};
  def.indexes = {{"", {1}, {}, false, false, true, 0, true}};
  Create(def);
  auto file = OpenTable();
  std::vector<uint8_t> image(file->RecordSize());
  file->InitRecord(image.data());
  uint8_t data[4];
  PutI32(data, 42);
  PutFieldData(file->Fields()[0], image.data(), data);
  ASSERT_EQ(file->AddRecord(image.data()), kOk);
  EXPECT_EQ(file->AddRecord(image.data()), kDuplicateKey);
  EXPECT_EQ(LastMessage(), "ISAM Engine Error # 9729 Duplicate key found in index Primary of data file " + Path());
  EXPECT_EQ(file->Header().SlotCount(), 1u);
}

TEST_F(DataFileTest, DamagedFilesAreRefusedWithTheirCodes) {
  Create(SmallTable(false));
  {
    auto file = OpenTable();
    Add(*file, 1, "a");
  }
  const auto good = FileBytes(Path());
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
    int code;
  } cases[] = {
      {"version", [](auto& b) { b[8] = 4; }, kWrongVersion},
      {"partial record", [](auto& b) { b.push_back(0); }, kHeaderCorrupt},
      {"slot count", [](auto& b) { PutU32(&b[13], 5); }, kHeaderCorrupt},
      {"record size", [](auto& b) { PutU16(&b[21], 40); }, kHeaderCorrupt},
      {"offset 111", [](auto& b) { b[111] = 1; }, kHeaderCorrupt},
      {"field number", [](auto& b) { b[127 + 768] = 9; }, kHeaderCorrupt},
      {"field offset", [](auto& b) { b[127 + 768 + 90] = 10; }, kHeaderCorrupt},
      {"field count", [](auto& b) { PutU16(&b[23], 0); }, kHeaderCorrupt},
      {"huge field count", [](auto& b) { PutU16(&b[23], 60000); }, kHeaderCorrupt},
      {"truncated header", [](auto& b) { b.resize(60); }, kReadError},
      {"locale", [](auto& b) { PutU16(&b[103], 0x7FFF); }, kLanguageDriverMissing},
      // A string of size 255 needs 256 bytes; as a stored size that would be 0,
      // and the file below is consistent with that.
      {"string of size 255",
       [](auto& b) {
         b[127 + 768 * 2 + 86] = 255;
         PutU16(&b[127 + 768 * 3 + 90], uint16_t(GetU16(&b[127 + 768 * 3 + 90]) - 21));
         PutU16(&b[21], uint16_t(GetU16(&b[21]) - 21));
         b.resize(b.size() - 21);
       },
       kHeaderCorrupt},
  };
  for (const Case& c : cases) {
    auto bytes = good;
    c.damage(bytes);
    WriteBytes(Path(), bytes);
    TDataFile file;
    file.SetPath(Path());
    EXPECT_EQ(file.Open(), c.code) << c.what;
    EXPECT_FALSE(file.IsOpen()) << c.what;
  }
}

TEST_F(DataFileTest, PasswordIsAskedUntilRegistered) {
  TTableDef def = SmallTable();
  def.password = "Secret";
  Create(def);
  auto raw = FileBytes(Path());
  EXPECT_EQ(raw[86], 1);
  EXPECT_EQ(raw[87], 6);
  EXPECT_NE(std::string(reinterpret_cast<const char*>(&raw[88]), 6), "Secret");

  TDataFile refused;
  refused.SetPath(Path());
  EXPECT_EQ(refused.Open(), kPasswordRequired);

  int asked = 0;
  TDataFile file;
  file.SetPath(Path());
  file.SetPasswordCallback([&] {
    ++asked;
    CurrentFileSession()->passwords.Add(asked == 1 ? "secret" : "Secret");
    return true;
  });
  ASSERT_EQ(file.Open(), kOk);
  EXPECT_EQ(asked, 2);  // the lower-case password did not match
  Add(file, 4, "hidden");
  file.Close();
  // Records are enciphered on disk, plain in the cache.
  auto bytes = FileBytes(Path());
  std::string all(bytes.begin(), bytes.end());
  EXPECT_EQ(all.find("hidden"), std::string::npos);
  auto again = OpenTable();
  ASSERT_EQ(again->MoveFirst(), kOk);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Current(*again).data() + 15)), "hidden");
}

TEST_F(DataFileTest, ReadOnlyTablesRefuseChanges) {
  Create(SmallTable(false));
  TDataFile file;
  file.SetPath(Path());
  file.SetReadOnly(true);
  ASSERT_EQ(file.Open(), kOk);
  std::vector<uint8_t> image(file.RecordSize());
  file.InitRecord(image.data());
  EXPECT_EQ(file.AddRecord(image.data()), kAccessDenied);
}

TEST_F(DataFileTest, MemoValuesAreSavedWithTheRecordAndFreedWithIt) {
  Create(SmallTable());
  auto file = OpenTable();
  std::vector<uint8_t> image(file->RecordSize());
  file->InitRecord(image.data());
  ASSERT_EQ(file->Blob()->OpenBlob(image.data(), 5, 0), kOk);
  std::string text(1500, 'm');
  ASSERT_EQ(file->Blob()->WriteBlob(image.data(), 5, 0, static_cast<uint32_t>(text.size()), text.data()), kOk);
  ASSERT_EQ(file->AddRecord(image.data()), kOk) << LastMessage();
  auto stored = Current(*file);
  const TFieldDesc& memo = file->Fields()[4];
  int32_t reference = GetI32(stored.data() + memo.DataOffset());
  EXPECT_EQ(reference, 512);
  EXPECT_FALSE(file->IsNull(memo, stored.data()));
  ASSERT_EQ(file->Blob()->OpenBlob(stored.data(), 5, file->CurrentSlot()), kOk);
  std::string back(text.size(), 0);
  uint32_t done = 0;
  ASSERT_EQ(file->Blob()->ReadBlob(stored.data(), 5, 0, static_cast<uint32_t>(back.size()), back.data(), &done), kOk);
  EXPECT_EQ(back, text);
  ASSERT_EQ(file->Blob()->CloseBlob(stored.data(), 5), kOk);
  ASSERT_EQ(file->DeleteCurrent(), kOk) << LastMessage();
  EXPECT_NE(file->Blob()->Header().freeHead, 0u);
}

}  // namespace
}  // namespace isam
