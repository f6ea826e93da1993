// The blob file's format, open values and block reuse.
#include "engine/blob/blob_file.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/blob/blob_test_host.h"
#include "engine/errors.h"
#include "engine/file/file_session.h"
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
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, BlobFormatTest,
                         ::testing::Values(FormatCase{0, false}, FormatCase{512, true},
                                           FormatCase{1024, false}, FormatCase{100, true}));

}  // namespace
}  // namespace isam
