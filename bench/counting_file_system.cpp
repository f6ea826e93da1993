#include "bench/counting_file_system.h"

#include <strings.h>

#include "engine/file/field_desc.h"

namespace bench {
namespace {

class CountingFile final : public isam::OsFile {
 public:
  CountingFile(std::unique_ptr<isam::OsFile> inner, uint64_t* bytes) : inner_(std::move(inner)), bytes_(bytes) {}
  int ReadAt(uint64_t offset, void* buffer, size_t count, size_t* done) override {
    int rc = inner_->ReadAt(offset, buffer, count, done);
    // The header (read by every change check of a shared table) is no record.
    if (bytes_ && offset >= isam::kDataHeaderSize) *bytes_ += *done;
    return rc;
  }
  int WriteAt(uint64_t offset, const void* buffer, size_t count, size_t* done) override {
    return inner_->WriteAt(offset, buffer, count, done);
  }
  int Truncate(uint64_t size) override { return inner_->Truncate(size); }
  int Size(uint64_t* size) override { return inner_->Size(size); }
  int TryLock(uint64_t offset, uint64_t length) override { return inner_->TryLock(offset, length); }
  int Unlock(uint64_t offset, uint64_t length) override { return inner_->Unlock(offset, length); }
  const uint8_t* Head() override { return inner_->Head(); }

 private:
  std::unique_ptr<isam::OsFile> inner_;
  uint64_t* bytes_;  // null: not a data file
};

bool IsDataFile(const std::string& path) {
  return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".DAT") == 0;
}

}  // namespace

TCountingFileSystem::TCountingFileSystem() { isam::SetFileSystemForTesting(this); }
TCountingFileSystem::~TCountingFileSystem() { isam::SetFileSystemForTesting(nullptr); }

int TCountingFileSystem::Stat(const std::string& path, isam::FileStatus* status) {
  return isam::PosixFileSystem().Stat(path, status);
}

int TCountingFileSystem::Open(const std::string& path, bool writable, isam::ShareMode share,
                              bool writeThrough, std::unique_ptr<isam::OsFile>* file) {
  std::unique_ptr<isam::OsFile> inner;
  int rc = isam::PosixFileSystem().Open(path, writable, share, writeThrough, &inner);
  if (rc == 0) *file = std::make_unique<CountingFile>(std::move(inner), IsDataFile(path) ? &dataBytes_ : nullptr);
  return rc;
}

int TCountingFileSystem::Create(const std::string& path, std::unique_ptr<isam::OsFile>* file) {
  std::unique_ptr<isam::OsFile> inner;
  int rc = isam::PosixFileSystem().Create(path, &inner);
  if (rc == 0) *file = std::make_unique<CountingFile>(std::move(inner), IsDataFile(path) ? &dataBytes_ : nullptr);
  return rc;
}

}  // namespace bench
