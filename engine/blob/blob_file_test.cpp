// The blob file's format, open values and block reuse.
#include "engine/blob/blob_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "engine/blob/blob_test_host.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

using namespace blob_test;

class BlobFileTest : public ::testing::Test {
 protected:
  void SetUp() override { StartEngine(); }

  std::string BlobPath() const { return dir.File("t.BLB"); }

  // Opens the table's blob file (created fresh unless it exists).
  std::unique_ptr<TBlobFile> Open(uint32_t blockSize, bool exclusive = true) {
    if (!host) host = std::make_unique<FakeHost>(dir.File("t.DAT"), enciphered);
    auto blob = std::make_unique<TBlobFile>(*host, blockSize);
    EXPECT_EQ(blob->SetPath(dir.File("t.DAT")), kOk);
    if (!blob->Exists()) {
      EXPECT_EQ(CreateBlobFile(BlobPath(), enciphered, host->DataFilePath()), kOk);
    }
    EXPECT_EQ(blob->SetExclusive(exclusive), kOk);
    EXPECT_EQ(blob->Open(), kOk);
    host->blob = blob.get();
    return blob;
  }

  // Opens field of a record, replaces the value and saves it; the image gets
  // the stored reference back.
  void Store(TBlobFile& blob, Image& image, uint32_t record, const std::vector<uint8_t>& value,
             uint16_t field = kTextField) {
    ASSERT_EQ(blob.OpenBlob(image.data(), field, record), kOk);
    ASSERT_EQ(blob.SetBlobSize(image.data(), field, 0), kOk);
    ASSERT_EQ(blob.WriteBlob(image.data(), field, 0, uint32_t(value.size()), value.data()), kOk);
    ASSERT_EQ(blob.SaveAll(record), kOk);
    ASSERT_EQ(blob.CloseBlob(image.data(), field), kOk);
  }

  std::vector<uint8_t> Load(TBlobFile& blob, Image image, uint32_t record,
                            uint16_t field = kTextField) {
    EXPECT_EQ(blob.OpenBlob(image.data(), field, record), kOk);
    uint32_t size = 0;
    EXPECT_EQ(blob.GetBlobSize(image.data(), field, &size), kOk);
    std::vector<uint8_t> value(size);
    uint32_t done = 0;
    EXPECT_EQ(blob.ReadBlob(image.data(), field, 0, size, value.data(), &done), kOk);
    EXPECT_EQ(done, size);
    EXPECT_EQ(blob.CloseBlob(image.data(), field), kOk);
    return value;
  }

  int LastCode() const { return CurrentFileSession()->lastError.code; }

  testing_support::TempDir dir;
  bool enciphered = false;
  std::unique_ptr<FakeHost> host;
};

// Lengths that matter at block boundaries: empty, one byte, exactly one full
// block, one byte into a second block, several blocks, tens of kilobytes.
std::vector<uint32_t> EdgeLengths(uint32_t area) {
  return {0, 1, area, area + 1, 3 * area + 5, 40000};
}

struct FormatCase {
  uint32_t blockSize;  // as stored in the data file header (0 = 512)
  bool enciphered;
};

class BlobFormatTest : public BlobFileTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(BlobFormatTest, ReadsAFileLaidOutByHand) {
  enciphered = GetParam().enciphered;
  uint32_t blockSize = EffectiveBlobBlockSize(GetParam().blockSize);
  HandLayout layout(blockSize);
  std::vector<uint32_t> lengths = EdgeLengths(layout.Area());
  // Blocks are handed out from the back of the file so that no chain runs
  // forward through adjacent blocks.
  size_t total = 0;
  for (uint32_t length : lengths) total += (length + layout.Area() - 1) / layout.Area();
  uint32_t base = layout.AddBlocks(total);
  uint32_t nextBlock = uint32_t(total);
  std::vector<Image> images;
  for (size_t i = 0; i < lengths.size(); ++i) {
    std::vector<uint32_t> blocks;
    for (uint32_t k = 0; k < (lengths[i] + layout.Area() - 1) / layout.Area(); ++k) {
      blocks.push_back(base + --nextBlock * blockSize);
    }
    Image image = NewImage();
    SetRef(image, kTextField, int32_t(layout.PutValue(blocks, uint32_t(i + 1),
                                                      Pattern(lengths[i], uint8_t(i)))));
    images.push_back(image);
  }
  layout.SetCounter(41);
  WriteFile(BlobPath(), layout.Stored(enciphered));

  auto blob = Open(GetParam().blockSize);
  EXPECT_EQ(blob->Counter(), 41u);
  EXPECT_EQ(blob->Header().endOffset, layout.End());
  for (size_t i = 0; i < lengths.size(); ++i) {
    SCOPED_TRACE("length " + std::to_string(lengths[i]));
    EXPECT_EQ(Load(*blob, images[i], uint32_t(i + 1)), Pattern(lengths[i], uint8_t(i)));
  }
}

TEST_P(BlobFormatTest, WritesTheLayoutByteByByte) {
  enciphered = GetParam().enciphered;
  uint32_t blockSize = EffectiveBlobBlockSize(GetParam().blockSize);
  HandLayout expected(blockSize);
  auto blob = Open(GetParam().blockSize);
  EXPECT_EQ(ReadFile(BlobPath()), expected.Stored(enciphered)) << "fresh header";

  // Values saved one after the other take consecutive blocks from the end.
  std::vector<uint32_t> lengths = EdgeLengths(expected.Area());
  for (size_t i = 0; i < lengths.size(); ++i) {
    Image image = NewImage();
    std::vector<uint8_t> value = Pattern(lengths[i], uint8_t(i));
    Store(*blob, image, uint32_t(i + 1), value);
    uint32_t count = (lengths[i] + expected.Area() - 1) / expected.Area();
    std::vector<uint32_t> blocks;
    uint32_t first = count ? expected.AddBlocks(count) : 0;
    for (uint32_t k = 0; k < count; ++k) blocks.push_back(first + k * blockSize);
    expected.PutValue(blocks, uint32_t(i + 1), value);
    EXPECT_EQ(RefOf(image, kTextField), int32_t(first));
    EXPECT_EQ(image[14], first != 0 ? 1 : 0) << "null flag";
  }
  ASSERT_EQ(blob->Flush(true), kOk);
  expected.SetCounter(1);
  expected.Bytes()[17] = 1;  // the header was modified when it was written
  EXPECT_EQ(ReadFile(BlobPath()), expected.Stored(enciphered));

  // A forced write of an unchanged header only moves the counter.
  ASSERT_EQ(blob->Flush(true), kOk);
  expected.SetCounter(2);
  expected.Bytes()[17] = 0;
  EXPECT_EQ(ReadFile(BlobPath()), expected.Stored(enciphered));
  uint32_t onDisk = 0;
  ASSERT_EQ(blob->ReadDiskCounter(&onDisk), kOk);
  EXPECT_EQ(onDisk, 2u);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, BlobFormatTest,
                         ::testing::Values(FormatCase{0, false}, FormatCase{512, true},
                                           FormatCase{1024, false}, FormatCase{100, true}));


// Raw block header fields as they are on disk (plain table).
struct RawBlock {
  uint32_t prev, next;
  uint16_t used;
  uint32_t owner, total;
};
RawBlock BlockAt(const std::vector<uint8_t>& file, uint32_t at) {
  const uint8_t* p = file.data() + at;
  return {GetU32(p), GetU32(p + 4), GetU16(p + 8), GetU32(p + 10), GetU32(p + 14)};
}

TEST_F(BlobFileTest, ShrinksAndGrowsInPlaceAndReusesFreedBlocksLastInFirstOut) {
  auto blob = Open(512);  // data area 494
  Image one = NewImage(), two = NewImage();
  Store(*blob, one, 1, Pattern(1000, 1));  // blocks 512, 1024, 1536
  Store(*blob, two, 2, Pattern(10, 2));    // block 2048
  ASSERT_EQ(blob->Flush(false), kOk);

  Store(*blob, one, 1, Pattern(100, 3));
  EXPECT_EQ(RefOf(one, kTextField), 512) << "shrunk in place";
  ASSERT_EQ(blob->Flush(false), kOk);
  auto file = ReadFile(BlobPath());
  EXPECT_EQ(GetU32(file.data() + 9), 1536u) << "the chain's last block heads the free list";
  EXPECT_EQ(BlockAt(file, 1536).next, 1024u);
  EXPECT_EQ(BlockAt(file, 1024).next, 0u);
  EXPECT_EQ(BlockAt(file, 512).next, 0u);
  EXPECT_EQ(BlockAt(file, 512).total, 100u);

  Store(*blob, two, 2, Pattern(600, 4));  // needs a second block: 1536
  Store(*blob, one, 1, Pattern(1200, 5)); // second block 1024, third new: 2560
  ASSERT_EQ(blob->Flush(false), kOk);
  file = ReadFile(BlobPath());
  EXPECT_EQ(BlockAt(file, 2048).next, 1536u);
  EXPECT_EQ(BlockAt(file, 1536).prev, 2048u);
  EXPECT_EQ(BlockAt(file, 1536).owner, 2u);
  EXPECT_EQ(BlockAt(file, 1536).used, 106u);
  EXPECT_EQ(BlockAt(file, 1536).total, 0u);
  EXPECT_EQ(BlockAt(file, 512).next, 1024u);
  EXPECT_EQ(BlockAt(file, 1024).next, 2560u);
  EXPECT_EQ(GetU32(file.data() + 9), 0u);
  EXPECT_EQ(GetU32(file.data() + 13), 3072u);
  EXPECT_EQ(file.size(), 3072u);
  EXPECT_EQ(Load(*blob, one, 1), Pattern(1200, 5));
  EXPECT_EQ(Load(*blob, two, 2), Pattern(600, 4));
}

TEST_F(BlobFileTest, EmptyingAValueFreesItsChainAsADeleteDoes) {
  auto blob = Open(512);
  Image image = NewImage();
  Store(*blob, image, 7, Pattern(1000, 1));
  ASSERT_EQ(RefOf(image, kTextField), 512);
  // The data file's delete: open, size 0, save, close.
  ASSERT_EQ(blob->OpenBlob(image.data(), kTextField, 7), kOk);
  ASSERT_EQ(blob->SetBlobSize(image.data(), kTextField, 0), kOk);
  ASSERT_EQ(blob->SaveAll(7), kOk);
  ASSERT_EQ(blob->CloseBlob(image.data(), kTextField), kOk);
  EXPECT_EQ(RefOf(image, kTextField), 0);
  EXPECT_EQ(image[14], 0) << "null flag follows the empty value";
  EXPECT_EQ(blob->Header().freeHead, 1536u);
  // All three blocks come back before the file grows.
  Store(*blob, image, 8, Pattern(1400, 2));
  EXPECT_EQ(RefOf(image, kTextField), 1536);
  EXPECT_EQ(blob->Header().endOffset, 2048u);
  EXPECT_EQ(blob->Header().freeHead, 0u);
}

TEST_F(BlobFileTest, OpenValuesReadWriteAndCancel) {
  auto blob = Open(512);
  Image image = NewImage();
  Store(*blob, image, 3, Pattern(50, 1));
  Image edit = image;
  ASSERT_EQ(blob->OpenBlob(edit.data(), kTextField, 3), kOk);
  int32_t handle = RefOf(edit, kTextField);
  EXPECT_LT(handle, 0);
  EXPECT_TRUE(blob->IsOpenHandle(handle));
  EXPECT_EQ(blob->OpenBlob(edit.data(), kTextField, 3), kOk) << "already open: nothing happens";
  EXPECT_EQ(RefOf(edit, kTextField), handle);
  EXPECT_EQ(blob->OpenBlobCount(), 1u);

  // A read past the end returns what remains and 8711, without reporting it.
  uint8_t bytes[10];
  uint32_t done = 99;
  ReportError(kOk);
  EXPECT_EQ(blob->ReadBlob(edit.data(), kTextField, 49, 10, bytes, &done), kBlobEndedEarly);
  EXPECT_EQ(done, 1u);
  EXPECT_EQ(bytes[0], Pattern(50, 1)[49]);
  EXPECT_EQ(blob->ReadBlob(edit.data(), kTextField, 80, 10, bytes, &done), kBlobEndedEarly);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(LastCode(), kOk);

  // Writing past the end grows the value with zero bytes.
  const uint8_t abc[] = {'a', 'b', 'c'};
  ASSERT_EQ(blob->WriteBlob(edit.data(), kTextField, 60, 3, abc), kOk);
  uint32_t size = 0;
  ASSERT_EQ(blob->GetBlobSize(edit.data(), kTextField, &size), kOk);
  EXPECT_EQ(size, 63u);
  EXPECT_EQ(blob->OpenBlobSize(handle), 63u);
  ASSERT_EQ(blob->ReadBlob(edit.data(), kTextField, 50, 10, bytes, &done), kOk);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 10), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  // Cancel: closing without saving restores the untouched reference.
  edit[14] = 0;
  ASSERT_EQ(blob->CloseBlob(edit.data(), kTextField), kOk);
  EXPECT_EQ(RefOf(edit, kTextField), 512);
  EXPECT_EQ(edit[14], 0) << "flag left alone when the reference did not change";
  EXPECT_EQ(blob->OpenBlobCount(), 0u);
  EXPECT_EQ(Load(*blob, image, 3), Pattern(50, 1));

  // Store references writes the saved offsets into the record to be written.
  Image insert = NewImage();
  ASSERT_EQ(blob->OpenBlob(insert.data(), kTextField, 0), kOk);
  ASSERT_EQ(blob->OpenBlob(insert.data(), kPictField, 0), kOk);
  ASSERT_EQ(blob->WriteBlob(insert.data(), kPictField, 0, 3, abc), kOk);
  ASSERT_EQ(blob->SaveAll(9), kOk);
  Image stored = insert;
  blob->StoreReferences(stored.data());
  EXPECT_EQ(RefOf(stored, kTextField), 0);
  EXPECT_EQ(stored[14], 0);
  EXPECT_EQ(RefOf(stored, kPictField), 1024);
  EXPECT_EQ(stored[19], 1);
  blob->CloseImageBlobs(insert.data());
  EXPECT_EQ(blob->OpenBlobCount(), 0u);
  EXPECT_EQ(RefOf(insert, kPictField), 1024);
  EXPECT_EQ(Load(*blob, insert, 9, kPictField), std::vector<uint8_t>(abc, abc + 3));
}

TEST_F(BlobFileTest, RefusesWhatIsNotAnOpenValueOfABlobField) {
  auto blob = Open(512);
  Image image = NewImage(), other = NewImage();
  Store(*blob, other, 2, Pattern(30, 1));
  uint32_t size = 0;

  EXPECT_EQ(blob->OpenBlob(image.data(), kIdField, 1), kInvalidBlobField);
  EXPECT_EQ(CurrentFileSession()->lastError.fieldName, "ID");
  EXPECT_EQ(CurrentFileSession()->lastError.fileName, host->DataFilePath());
  EXPECT_EQ(blob->OpenBlob(image.data(), 9, 1), kInvalidBlobField);
  EXPECT_EQ(blob->GetBlobSize(image.data(), kIdField, &size), kInvalidBlobField);

  EXPECT_EQ(blob->GetBlobSize(image.data(), kTextField, &size), kInvalidBlobHandle);
  EXPECT_EQ(blob->CloseBlob(image.data(), kTextField), kInvalidBlobHandle);
  SetRef(image, kTextField, -12345);
  EXPECT_EQ(blob->OpenBlob(image.data(), kTextField, 1), kInvalidBlobOffset);
  EXPECT_EQ(blob->CloseBlob(image.data(), kTextField), kInvalidBlobHandle);

  // A handle copied into another field is no handle of that field.
  SetRef(image, kTextField, 0);
  ASSERT_EQ(blob->OpenBlob(image.data(), kTextField, 1), kOk);
  SetRef(image, kPictField, RefOf(image, kTextField));
  EXPECT_EQ(blob->GetBlobSize(image.data(), kPictField, &size), kInvalidBlobHandle);

  // Another record's chain is not handed out.
  EXPECT_EQ(blob->OpenBlob(other.data(), kTextField, 3), kBlobBuffersCorrupt);
  EXPECT_EQ(RefOf(other, kTextField), 512) << "a failed open leaves the reference";

  // Modified values of two records are never saved together.
  ASSERT_EQ(blob->OpenBlob(other.data(), kTextField, 2), kOk);
  ASSERT_EQ(blob->SetBlobSize(other.data(), kTextField, 5), kOk);
  ASSERT_EQ(blob->SetBlobSize(image.data(), kTextField, 5), kOk);
  EXPECT_EQ(blob->SaveAll(2), kBlobBuffersCorrupt);
  blob->DiscardAll();
  image = NewImage();

  // At most 64 values open at once.
  std::vector<Image> images(64, NewImage());
  for (size_t i = 0; i < images.size(); ++i) {
    ASSERT_EQ(blob->OpenBlob(images[i].data(), kTextField, uint32_t(i)), kOk);
  }
  EXPECT_EQ(blob->OpenBlob(image.data(), kPictField, 1), kTooManyBlobs);
  for (auto& each : images) EXPECT_EQ(blob->CloseBlob(each.data(), kTextField), kOk);
  EXPECT_EQ(blob->OpenBlob(image.data(), kPictField, 1), kOk);
}

TEST_F(BlobFileTest, OpenChecksVersionAndBlockSize) {
  HandLayout layout(512);
  layout.Bytes()[8] = 2;
  WriteFile(BlobPath(), layout.Bytes());
  host = std::make_unique<FakeHost>(dir.File("t.DAT"));
  TBlobFile blob(*host, 0);
  ASSERT_EQ(blob.SetPath(dir.File("t.DAT")), kOk);
  EXPECT_EQ(blob.Open(), kWrongVersion);
  EXPECT_EQ(CurrentFileSession()->lastError.fileName, BlobPath()) << "names the blob file";
  EXPECT_FALSE(blob.IsOpen());

  layout.Bytes()[8] = 3;
  WriteFile(BlobPath(), layout.Bytes());
  for (uint32_t bad : {1u, 18u, 70000u}) {
    TBlobFile odd(*host, bad);
    ASSERT_EQ(odd.SetPath(dir.File("t.DAT")), kOk);
    EXPECT_EQ(odd.Open(), kBlobFieldLimits) << bad;
  }
}

TEST_F(BlobFileTest, CacheSizesFollowTheBlockSize) {
  struct Case {
    uint32_t blockSize;
    size_t capacity;
    uint32_t readAhead;
  };
  for (Case c : {Case{512, 511, 127}, Case{100, 2621, 655}, Case{32, 4096, 2047},
                 Case{65535, 4, 1}}) {
    dir.~TempDir();
    new (&dir) testing_support::TempDir();
    host.reset();
    auto blob = Open(c.blockSize);
    EXPECT_EQ(blob->CacheCapacity(), c.capacity) << c.blockSize;
    EXPECT_EQ(blob->ReadAheadLimit(), c.readAhead) << c.blockSize;
  }
}

TEST_F(BlobFileTest, ReadAheadFetchesAChainWithFewReads) {
  auto blob = Open(512);
  Image image = NewImage();
  Store(*blob, image, 1, Pattern(40000, 9));  // 81 blocks
  ASSERT_EQ(blob->Flush(false), kOk);
  ASSERT_EQ(blob->Reload(), kOk);
  host->diskReads = 0;
  EXPECT_EQ(Load(*blob, image, 1), Pattern(40000, 9));
  EXPECT_EQ(host->diskReads, 2) << "the first block, then the rest in one run";
}

TEST_F(BlobFileTest, AChangeFoundDuringAReadOrASaveStartsItOver) {
  auto blob = Open(512, false);
  Image image = NewImage(), other = NewImage();
  Store(*blob, image, 1, Pattern(5000, 3));
  ASSERT_EQ(blob->Flush(false), kOk);
  ASSERT_EQ(blob->Reload(), kOk);
  host->restartNext = true;
  EXPECT_EQ(Load(*blob, image, 1), Pattern(5000, 3));
  EXPECT_FALSE(host->restartNext);

  // The save appends a new value first, then meets the change while reading
  // the old chain of the second: both are saved again from the start.
  ASSERT_EQ(blob->OpenBlob(other.data(), kPictField, 1), kOk);
  ASSERT_EQ(blob->OpenBlob(image.data(), kTextField, 1), kOk);
  ASSERT_EQ(blob->WriteBlob(other.data(), kPictField, 0, 700, Pattern(700, 4).data()), kOk);
  ASSERT_EQ(blob->WriteBlob(image.data(), kTextField, 0, 6000, Pattern(6000, 5).data()), kOk);
  ASSERT_EQ(blob->Flush(false), kOk);
  ASSERT_EQ(blob->Reload(), kOk);
  host->restartNext = true;
  ASSERT_EQ(blob->SaveAll(1), kOk);
  EXPECT_FALSE(host->restartNext);
  blob->CloseImageBlobs(image.data());
  blob->CloseImageBlobs(other.data());
  ASSERT_EQ(blob->Flush(false), kOk);
  ASSERT_EQ(blob->Reload(), kOk);
  EXPECT_EQ(Load(*blob, image, 1), Pattern(6000, 5));
  EXPECT_EQ(Load(*blob, other, 1, kPictField), Pattern(700, 4));
  EXPECT_EQ(blob->Header().endOffset, 512u + 15 * 512u) << "no block lost to the first attempt";
  EXPECT_EQ(RefOf(other, kPictField), 6144);
}

TEST_F(BlobFileTest, ASecondObjectSeesTheCounterMoveAndReloads) {
  auto writer = Open(512, false);
  FakeHost readerHost(dir.File("t.DAT"));
  TBlobFile reader(readerHost, 512);
  readerHost.blob = &reader;
  ASSERT_EQ(reader.SetPath(dir.File("t.DAT")), kOk);
  ASSERT_EQ(reader.Open(), kOk);

  Image image = NewImage();
  Store(*writer, image, 1, Pattern(700, 1));
  ASSERT_EQ(writer->Flush(true), kOk);
  uint32_t onDisk = 0;
  ASSERT_EQ(reader.ReadDiskCounter(&onDisk), kOk);
  EXPECT_EQ(onDisk, 1u);
  EXPECT_NE(onDisk, reader.Counter());
  ASSERT_EQ(reader.Reload(), kOk);
  EXPECT_EQ(reader.Counter(), 1u);
  EXPECT_EQ(Load(reader, image, 1), Pattern(700, 1));

  Store(*writer, image, 1, Pattern(300, 2));
  ASSERT_EQ(writer->Flush(true), kOk);
  ASSERT_EQ(reader.Reload(), kOk);
  EXPECT_EQ(Load(reader, image, 1), Pattern(300, 2)) << "no stale cached block";
}

TEST_F(BlobFileTest, EmptyCutsTheFileToItsHeader) {
  auto blob = Open(512);
  Image image = NewImage();
  Store(*blob, image, 1, Pattern(3000, 1));
  ASSERT_EQ(blob->Flush(false), kOk);
  ASSERT_EQ(blob->Empty(), kOk);
  ASSERT_EQ(blob->Flush(false), kOk);
  auto file = ReadFile(BlobPath());
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(GetU32(file.data() + 9), 0u);
  EXPECT_EQ(GetU32(file.data() + 13), 512u);
  EXPECT_EQ(file[8], 3);
  Image fresh = NewImage();
  Store(*blob, fresh, 1, Pattern(10, 1));
  EXPECT_EQ(RefOf(fresh, kTextField), 512);
}

}  // namespace
}  // namespace isam
