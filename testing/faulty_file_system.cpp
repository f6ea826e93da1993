#include "testing/faulty_file_system.h"

#include <algorithm>
#include <cerrno>

namespace testing_support {

class FaultyFile final : public isam::OsFile {
 public:
  FaultyFile(FaultyFileSystem& owner, std::unique_ptr<isam::OsFile> base)
      : owner_(owner), base_(std::move(base)) {}

  int ReadAt(uint64_t offset, void* buffer, size_t count, size_t* done) override {
    *done = 0;
    if (owner_.readError_) return owner_.readError_;
    return base_->ReadAt(offset, buffer, count, done);
  }

  int WriteAt(uint64_t offset, const void* buffer, size_t count, size_t* done) override {
    *done = 0;
    size_t allowed = count;
    if (owner_.budget_) allowed = static_cast<size_t>(std::min<uint64_t>(count, *owner_.budget_));
    int error = allowed ? base_->WriteAt(offset, buffer, allowed, done) : 0;
    if (owner_.budget_) *owner_.budget_ -= *done;
    owner_.bytesWritten_ += *done;
    if (error) return error;
    return *done < count ? owner_.writeError_ : 0;
  }

  int Truncate(uint64_t size) override { return base_->Truncate(size); }
  int Size(uint64_t* size) override { return base_->Size(size); }
  int TryLock(uint64_t offset, uint64_t length) override {
    ++owner_.lockAttempts_;
    return base_->TryLock(offset, length);
  }
  int Unlock(uint64_t offset, uint64_t length) override { return base_->Unlock(offset, length); }

 private:
  FaultyFileSystem& owner_;
  std::unique_ptr<isam::OsFile> base_;
};

std::unique_ptr<isam::OsFile> FaultyFileSystem::Wrap(std::unique_ptr<isam::OsFile> file) {
  return std::make_unique<FaultyFile>(*this, std::move(file));
}

int FaultyFileSystem::Stat(const std::string& path, isam::FileStatus* status) {
  return base_.Stat(path, status);
}

int FaultyFileSystem::Open(const std::string& path, bool writable, isam::ShareMode share,
                           bool writeThrough, std::unique_ptr<isam::OsFile>* file) {
  std::unique_ptr<isam::OsFile> opened;
  if (int error = base_.Open(path, writable, share, writeThrough, &opened)) return error;
  *file = Wrap(std::move(opened));
  return 0;
}

int FaultyFileSystem::Create(const std::string& path, std::unique_ptr<isam::OsFile>* file) {
  std::unique_ptr<isam::OsFile> created;
  if (int error = base_.Create(path, &created)) return error;
  *file = Wrap(std::move(created));
  return 0;
}

}  // namespace testing_support
