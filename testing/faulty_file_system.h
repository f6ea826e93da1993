#pragma once
// A file system for tests that puts a failing disk under the engine: writes
// that stop short after a number of bytes, a disk that fills up, reads that
// fail. Everything else goes to the file system it wraps (POSIX by default),
// and it counts what was written and how often a lock was asked for.
//
//   FaultyFileSystem faulty;
//   ScopedFileSystem installed(faulty);   // SetFileSystemForTesting
//   faulty.ShortWritesAfter(100);         // the 101st byte is never written
//
// Files opened through it must be closed before it is destroyed.
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/file/os_file.h"

namespace testing_support {

class FaultyFileSystem final : public isam::FileSystem {
 public:
  explicit FaultyFileSystem(isam::FileSystem& base = isam::PosixFileSystem()) : base_(base) {}

  // From now on, writes succeed for `bytes` more bytes in all; a write that
  // passes that budget writes what fits and reports no error (a short write).
  void ShortWritesAfter(uint64_t bytes) { SetBudget(bytes, 0); }
  // As above, but the write that passes the budget fails with ENOSPC.
  void DiskFullAfter(uint64_t bytes) { SetBudget(bytes, ENOSPC); }
  // Every read fails with the error (EIO by default) and reads nothing.
  void FailReads(int error = EIO) { readError_ = error; }
  // Back to a sound disk.
  void Heal() {
    budget_.reset();
    readError_ = 0;
  }

  uint64_t bytesWritten() const { return bytesWritten_; }
  // Lock requests made through files of this file system, granted or not.
  int lockAttempts() const { return lockAttempts_; }
  void ResetCounts() {
    bytesWritten_ = 0;
    lockAttempts_ = 0;
  }

  int Stat(const std::string& path, isam::FileStatus* status) override;
  int Open(const std::string& path, bool writable, isam::ShareMode share, bool writeThrough,
           std::unique_ptr<isam::OsFile>* file) override;
  int Create(const std::string& path, std::unique_ptr<isam::OsFile>* file) override;

 private:
  friend class FaultyFile;
  void SetBudget(uint64_t bytes, int error) {
    budget_ = bytes;
    writeError_ = error;
  }
  std::unique_ptr<isam::OsFile> Wrap(std::unique_ptr<isam::OsFile> file);

  isam::FileSystem& base_;
  std::optional<uint64_t> budget_;  // bytes that may still be written
  int writeError_ = 0;
  int readError_ = 0;
  uint64_t bytesWritten_ = 0;
  int lockAttempts_ = 0;
};

// Installs a file system for the lifetime of the object; restores the POSIX
// one afterwards.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(isam::FileSystem& fileSystem) { isam::SetFileSystemForTesting(&fileSystem); }
  ~ScopedFileSystem() { isam::SetFileSystemForTesting(nullptr); }
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;
};

}  // namespace testing_support
