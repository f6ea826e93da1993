// Faults that only show when another user writes between the steps of an
// edit or an open, or when a writer stops halfway through its writes (found
// by the multi-process stress and crash tests of isamtool).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>

#include "engine/blob/blob_file.h"
#include "engine/errors.h"
#include "engine/data/data_file.h"
#include "engine/file/file_session.h"
#include "engine/data/data_header.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/data/table_creator.h"
#include "testing/faulty_file_system.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

constexpr uint16_t kN = 2, kMemo = 3;

class InterleavedWritesTest : public ::testing::Test {
 protected:
  InterleavedWritesTest() {
    TTableDef def;
    def.fields.resize(3);
    def.fields[0].name = "ID", def.fields[0].type = kFieldInt32, def.fields[0].subtype = kSubtypeAutoIncrement;
    def.fields[1].name = "N", def.fields[1].type = kFieldInt32;
    def.fields[2].name = "MEMO", def.fields[2].type = kFieldBlob, def.fields[2].subtype = kSubtypeMemo;
    def.indexes.push_back({"", {1}, {}, false, false, true, 0, true});
    EXPECT_EQ(CreateTable(path_, def), kOk);
  }

  std::unique_ptr<TDataFile> Open() {
    auto file = std::make_unique<TDataFile>();
    file->SetPath(path_);
    EXPECT_EQ(file->Open(), kOk);
    return file;
  }

  static void PutN(TDataFile& file, uint8_t* image, int32_t n) {
    uint8_t data[4];
    PutI32(data, n);
    PutFieldData(file.Fields()[kN - 1], image, data);
  }

  static int AddWithMemo(TDataFile& file, int32_t n, const std::string& memo) {
    std::vector<uint8_t> image(file.RecordSize());
    file.InitRecord(image.data());
    PutN(file, image.data(), n);
    EXPECT_EQ(file.Blob()->OpenBlob(image.data(), kMemo, 0), kOk);
    EXPECT_EQ(file.Blob()->WriteBlob(image.data(), kMemo, 0, uint32_t(memo.size()), memo.data()), kOk);
    int rc = file.AddRecord(image.data());
    if (rc != kOk) file.Blob()->CloseImageBlobs(image.data());
    return rc;
  }

  EngineScope engine_;
  testing_support::TempDir dir_;
  std::string path_ = dir_.File("S");
};

// Opening the memo of a record being edited reads the blob file, whose change
// check drops the record cache when another user wrote meanwhile; posting the
// edit used to fail with 8710 because the current slot was forgotten with it.
TEST_F(InterleavedWritesTest, AnEditSurvivesAnotherUsersWriteWhileItsMemoIsOpened) {
  auto other = Open();
  ASSERT_EQ(AddWithMemo(*other, 1, std::string(700, 'a')), kOk);
  ASSERT_EQ(AddWithMemo(*other, 2, std::string(700, 'b')), kOk);

  auto editor = Open();
  ASSERT_EQ(editor->MoveFirst(), kOk);
  std::vector<uint8_t> image(editor->RecordSize());
  ASSERT_EQ(editor->ReadCurrent(image.data(), true), kOk);
  const uint32_t slot = editor->CurrentSlot();

  ASSERT_EQ(other->MoveLast(), kOk);
  std::vector<uint8_t> theirs(other->RecordSize());
  ASSERT_EQ(other->ReadCurrent(theirs.data(), true), kOk);
  PutN(*other, theirs.data(), 20);
  ASSERT_EQ(other->ModifyCurrent(theirs.data()), kOk);

  ASSERT_EQ(editor->Blob()->OpenBlob(image.data(), kMemo, slot), kOk);
  ASSERT_EQ(editor->Blob()->WriteBlob(image.data(), kMemo, 0, 3, "new"), kOk);
  PutN(*editor, image.data(), 10);
  ASSERT_EQ(editor->ModifyCurrent(image.data()), kOk) << ErrorMessage(CurrentFileSession()->lastError.code,
                                                                      CurrentFileSession()->lastError);
  EXPECT_EQ(editor->CurrentSlot(), slot);

  auto reader = Open();
  ASSERT_EQ(reader->MoveFirst(), kOk);
  ASSERT_EQ(reader->ReadCurrent(image.data()), kOk);
  EXPECT_EQ(GetI32(image.data() + reader->Fields()[kN - 1].DataOffset()), 10);
  char start[4] = {};
  uint32_t done = 0;
  ASSERT_EQ(reader->Blob()->OpenBlob(image.data(), kMemo, slot), kOk);
  ASSERT_EQ(reader->Blob()->ReadBlob(image.data(), kMemo, 0, 4, start, &done), kOk);
  EXPECT_EQ(std::string(start, 4), "newa");
}

// A writer appends a new slot before it rewrites the header that counts it;
// a table opened in between used to fail with 8961 because the length and the
// header disagreed for a moment. The open now waits behind the write lock.
TEST_F(InterleavedWritesTest, OpeningWhileAnotherUserAppendsWaitsForTheHeader) {
  auto writer = Open();
  ASSERT_EQ(AddWithMemo(*writer, 1, "x"), kOk);
  ASSERT_EQ(writer->Locks().LockWrite(), kOk);
  const uint64_t length = std::filesystem::file_size(path_ + ".DAT");
  {
    std::ofstream data(path_ + ".DAT", std::ios::binary | std::ios::app);
    data << std::string(writer->RecordSize(), '\1');  // a deleted slot
  }
  auto opening = std::async(std::launch::async, [&] {
    TDataFile file;
    file.SetPath(path_);
    int rc = file.Open();
    uint32_t slots = file.SlotCount();
    return std::make_pair(rc, slots);
  });
  EXPECT_EQ(opening.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  {
    std::fstream data(path_ + ".DAT", std::ios::binary | std::ios::in | std::ios::out);
    char raw[kDataHeaderSize];
    data.read(raw, sizeof raw);
    TDataHeader header = TDataHeader::Decode(reinterpret_cast<uint8_t*>(raw));
    ++header.nextRecord;
    ++header.updateCounter;
    header.Encode(reinterpret_cast<uint8_t*>(raw), false);
    data.seekp(0);
    data.write(raw, sizeof raw);
  }
  writer->Locks().UnlockWrite();
  auto [rc, slots] = opening.get();
  EXPECT_EQ(rc, kOk);
  EXPECT_EQ(slots, uint32_t((length - kDataHeaderSize - 3 * kFieldDescriptorSize) / writer->RecordSize() + 1));
}

// A writer whose disk gives out after any number of bytes never leaves a
// record on disk that refers to a memo chain it did not write: the blob
// blocks go out before the record.
TEST_F(InterleavedWritesTest, ARecordNeverReachesTheDiskBeforeItsMemo) {
  {
    auto file = Open();
    ASSERT_EQ(AddWithMemo(*file, 1, std::string(300, 'x')), kOk);
  }
  const std::string saved = dir_.File("saved");
  std::filesystem::create_directory(saved);
  for (const char* ext : {".DAT", ".IDX", ".BLB"}) std::filesystem::copy_file(path_ + ext, saved + "/S" + ext);

  for (uint64_t budget = 0; budget < 4096 * 3 + 2000; budget += 97) {
    SCOPED_TRACE("budget " + std::to_string(budget));
    for (const char* ext : {".DAT", ".IDX", ".BLB"})
      std::filesystem::copy_file(saved + "/S" + ext, path_ + ext, std::filesystem::copy_options::overwrite_existing);
    {
      testing_support::FaultyFileSystem faulty;
      testing_support::ScopedFileSystem installed(faulty);
      auto file = Open();
      faulty.ShortWritesAfter(budget);
      int rc = AddWithMemo(*file, 2, std::string(1500, 'y'));
      EXPECT_TRUE(rc == kOk || rc == kWriteError) << rc;
    }
    // Whatever the header says, look at every whole slot in the file.
    uint64_t size = std::filesystem::file_size(path_ + ".DAT");
    TDataFile file;
    file.SetPath(path_);
    if (file.Open() == kHeaderCorrupt) continue;  // the slot without its header: a case for repair
    std::vector<uint8_t> image(file.RecordSize());
    for (uint32_t slot = 1; slot <= file.SlotCount(); ++slot) {
      ASSERT_EQ(file.ReadSlot(slot, image.data()), kOk);
      if (image[0] != 0) continue;
      ASSERT_EQ(file.Blob()->OpenBlob(image.data(), kMemo, slot), kOk) << "slot " << slot << " of " << size;
      file.Blob()->CloseBlob(image.data(), kMemo);
    }
  }
}

}  // namespace
}  // namespace isam
