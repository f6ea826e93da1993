// The block cache: growth under the table lock, eviction that writes back,
// and runs of adjacent blocks written with one write.
#include <gtest/gtest.h>

#include <memory>

#include "engine/blob/blob_file.h"
#include "engine/blob/blob_test_host.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/os_file.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

using namespace blob_test;

// Passes everything to the POSIX file system and counts the writes.
class CountingFileSystem : public FileSystem {
 public:
  struct File : OsFile {
    File(std::unique_ptr<OsFile> inner, CountingFileSystem& owner)
        : inner(std::move(inner)), owner(owner) {}
    int ReadAt(uint64_t offset, void* buffer, size_t count, size_t* done) override {
      return inner->ReadAt(offset, buffer, count, done);
    }
    int WriteAt(uint64_t offset, const void* buffer, size_t count, size_t* done) override {
      owner.writes.push_back({offset, count});
      return inner->WriteAt(offset, buffer, count, done);
    }
    int Truncate(uint64_t size) override { return inner->Truncate(size); }
    int Size(uint64_t* size) override { return inner->Size(size); }
    int TryLock(uint64_t offset, uint64_t length) override { return inner->TryLock(offset, length); }
    int Unlock(uint64_t offset, uint64_t length) override { return inner->Unlock(offset, length); }
    std::unique_ptr<OsFile> inner;
    CountingFileSystem& owner;
  };

  int Stat(const std::string& path, FileStatus* status) override {
    return PosixFileSystem().Stat(path, status);
  }
  int Open(const std::string& path, bool writable, ShareMode share, bool writeThrough,
           std::unique_ptr<OsFile>* file) override {
    std::unique_ptr<OsFile> inner;
    int rc = PosixFileSystem().Open(path, writable, share, writeThrough, &inner);
    if (rc == 0) *file = std::make_unique<File>(std::move(inner), *this);
    return rc;
  }
  int Create(const std::string& path, std::unique_ptr<OsFile>* file) override {
    return PosixFileSystem().Create(path, file);
  }

  struct Write {
    uint64_t offset;
    size_t count;
  };
  std::vector<Write> writes;
};

class BlobCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartEngine();
    ASSERT_EQ(CreateBlobFile(dir.File("t.BLB"), false, host.DataFilePath()), kOk);
    ASSERT_EQ(blob.SetPath(dir.File("t.DAT")), kOk);
    ASSERT_EQ(blob.SetExclusive(true), kOk);
    SetFileSystemForTesting(&files);
    ASSERT_EQ(blob.Open(), kOk);
    host.blob = &blob;
  }
  void TearDown() override {
    blob.Close();
    SetFileSystemForTesting(nullptr);
  }

  void Save(uint32_t record, const std::vector<uint8_t>& value) {
    Image image = NewImage();
    ASSERT_EQ(blob.OpenBlob(image.data(), kTextField, record), kOk);
    ASSERT_EQ(blob.WriteBlob(image.data(), kTextField, 0, uint32_t(value.size()), value.data()), kOk);
    ASSERT_EQ(blob.SaveAll(record), kOk);
    ASSERT_EQ(blob.CloseBlob(image.data(), kTextField), kOk);
    references.push_back(RefOf(image, kTextField));
  }
  std::vector<uint8_t> Load(uint32_t record, int32_t reference) {
    Image image = NewImage();
    SetRef(image, kTextField, reference);
    EXPECT_EQ(blob.OpenBlob(image.data(), kTextField, record), kOk);
    std::vector<uint8_t> value(blob.OpenBlobSize(RefOf(image, kTextField)));
    uint32_t done = 0;
    EXPECT_EQ(blob.ReadBlob(image.data(), kTextField, 0, uint32_t(value.size()), value.data(), &done),
              kOk);
    EXPECT_EQ(blob.CloseBlob(image.data(), kTextField), kOk);
    return value;
  }

  testing_support::TempDir dir;
  FakeHost host{dir.File("t.DAT")};
  TBlobFile blob{host, 512};  // 511 cached blocks of 494 data bytes
  CountingFileSystem files;
  std::vector<int32_t> references;
};

TEST_F(BlobCacheTest, UnderTheTableLockTheCacheGrowsAndNothingIsWrittenUntilTheFlush) {
  host.lockHeld = true;
  const auto value = Pattern(600 * 494, 1);  // 600 blocks
  Save(1, value);
  EXPECT_TRUE(files.writes.empty());
  EXPECT_EQ(blob.CacheCapacity(), 511u + 256u);

  ASSERT_EQ(blob.Flush(false), kOk);
  ASSERT_EQ(files.writes.size(), 2u) << "one run of adjacent blocks, then the header";
  EXPECT_EQ(files.writes[0].offset, 512u);
  EXPECT_EQ(files.writes[0].count, 600u * 512u);
  EXPECT_EQ(files.writes[1].offset, 0u);
  EXPECT_EQ(blob.CacheCapacity(), 511u) << "back to its size once the blocks are clean";
  host.lockHeld = false;
  ASSERT_EQ(blob.Reload(), kOk);
  EXPECT_EQ(Load(1, references[0]), value);
}

TEST_F(BlobCacheTest, WithoutTheLockEvictionWritesModifiedBlocksBack) {
  const auto value = Pattern(600 * 494 - 7, 2);
  Save(1, value);
  EXPECT_FALSE(files.writes.empty()) << "the cache filled up and was written back";
  EXPECT_EQ(blob.CacheCapacity(), 511u);
  ASSERT_EQ(blob.Flush(false), kOk);
  ASSERT_EQ(blob.Reload(), kOk);
  EXPECT_EQ(Load(1, references[0]), value);
}

TEST_F(BlobCacheTest, AFlushWritesEachRunOfAdjacentBlocksOnce) {
  for (uint32_t record = 1; record <= 5; ++record) Save(record, Pattern(100, uint8_t(record)));
  ASSERT_EQ(blob.Flush(false), kOk);
  files.writes.clear();
  // Rewrite the values in blocks 1, 2, 3 and 5 (offsets 512, 1024, 1536, 2560).
  for (uint32_t record : {1u, 2u, 3u, 5u}) {
    Image image = NewImage();
    SetRef(image, kTextField, references[record - 1]);
    ASSERT_EQ(blob.OpenBlob(image.data(), kTextField, record), kOk);
    ASSERT_EQ(blob.WriteBlob(image.data(), kTextField, 0, 1, "x"), kOk);
    ASSERT_EQ(blob.SaveAll(record), kOk);
    ASSERT_EQ(blob.CloseBlob(image.data(), kTextField), kOk);
  }
  ASSERT_EQ(blob.Flush(false), kOk);
  ASSERT_EQ(files.writes.size(), 2u) << "no header write: it did not change";
  EXPECT_EQ(files.writes[0].offset, 512u);
  EXPECT_EQ(files.writes[0].count, 3u * 512u);
  EXPECT_EQ(files.writes[1].offset, 2560u);
  EXPECT_EQ(files.writes[1].count, 512u);
}

}  // namespace
}  // namespace isam
