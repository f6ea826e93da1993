// POSIX realisation of the file layer.
//
// Byte-range locks are open-file-description locks (F_OFD_SETLK): they belong
// to the handle, not the process, and survive the closing of other
// descriptors of the same file. A handle opened read-only cannot hold a write
// lock, so its locks are read locks; they still exclude every writer, which is
// all that a read-only reader needs.
//
// POSIX has no share modes. An exclusive open is emulated with a whole-file
// flock() per open file description (exclusive for an exclusive open, shared
// for a shared one, never blocking): refusal is a sharing violation. flock()
// is advisory and, on some network file systems, only local to one machine.
#include <cerrno>
#include <fcntl.h>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/file/error_codes.h"
#include "engine/file/guarded_copy.h"
#include "engine/file/os_file.h"

namespace isam {
namespace {

std::atomic<bool> gHeadMapping{true};
std::atomic<bool> gMappedReads{true};

class PosixFile final : public OsFile {
 public:
  PosixFile(int fd, bool writable) : fd_(fd), writable_(writable), mapHead_(gHeadMapping), mapAll_(gMappedReads) {}
  ~PosixFile() override {
    if (head_) ::munmap(head_, kHeadBytes);
    if (whole_) ::munmap(whole_, mapped_);
    ::close(fd_);
  }

  const uint8_t* Head() override {
    if (!head_ && mapHead_) {
      void* at = ::mmap(nullptr, kHeadBytes, PROT_READ, MAP_SHARED, fd_, 0);
      if (at == MAP_FAILED) {
        mapHead_ = false;  // reads go through pread from now on
      } else {
        head_ = at;
      }
    }
    return static_cast<const uint8_t*>(head_);
  }

  int ReadAt(uint64_t offset, void* buffer, size_t count, size_t* done) override {
    *done = 0;
    if (mapAll_ && MappedRead(offset, buffer, count, done)) return *done == count || !lostPages_ ? 0 : EIO;
    auto* out = static_cast<char*>(buffer);
    while (*done < count) {
      ssize_t n = ::pread(fd_, out + *done, count - *done, static_cast<off_t>(offset + *done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (n == 0) break;
      *done += static_cast<size_t>(n);
    }
    return 0;
  }

  int WriteAt(uint64_t offset, const void* buffer, size_t count, size_t* done) override {
    *done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (*done < count) {
      ssize_t n = ::pwrite(fd_, in + *done, count - *done, static_cast<off_t>(offset + *done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      if (n == 0) break;
      *done += static_cast<size_t>(n);
    }
    return 0;
  }

  int Truncate(uint64_t size) override {
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno;
  }

  int Size(uint64_t* size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return errno;
    *size = static_cast<uint64_t>(st.st_size);
    return 0;
  }

  int TryLock(uint64_t offset, uint64_t length) override {
    return SetLock(writable_ ? F_WRLCK : F_RDLCK, offset, length);
  }

  int Unlock(uint64_t offset, uint64_t length) override { return SetLock(F_UNLCK, offset, length); }

 private:
  int SetLock(short type, uint64_t offset, uint64_t length) {
    struct flock request {};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    request.l_start = static_cast<off_t>(offset);
    request.l_len = static_cast<off_t>(length);
    request.l_pid = 0;
    if (::fcntl(fd_, F_OFD_SETLK, &request) == 0) return 0;
    return errno == EACCES ? EAGAIN : errno;
  }

  // Serves a read from the whole-file mapping; false when the file cannot be
  // mapped (mapping is then off for this file and pread serves the read).
  bool MappedRead(uint64_t offset, void* buffer, size_t count, size_t* done) {
    lostPages_ = false;
    if (offset + count > known_) {
      struct stat st;
      if (::fstat(fd_, &st) != 0) return false;
      known_ = static_cast<uint64_t>(st.st_size);
      if (known_ > mapped_ && !Remap()) return false;
    }
    if (offset >= known_) return true;
    const size_t length = static_cast<size_t>(std::min<uint64_t>(count, known_ - offset));
    if (!GuardedCopy(buffer, static_cast<const uint8_t*>(whole_) + offset, length)) {
      lostPages_ = true;  // cut shorter under the mapping
      known_ = 0;         // ask for the size again next time
      return true;
    }
    *done = length;
    return true;
  }

  // Maps the file anew, with room to grow before the next remap.
  bool Remap() {
    const uint64_t want = std::max<uint64_t>(known_ + known_ / 4, uint64_t(1) << 20);
    if (want > SIZE_MAX) return Off();
    void* at = ::mmap(nullptr, static_cast<size_t>(want), PROT_READ, MAP_SHARED, fd_, 0);
    if (at == MAP_FAILED) return Off();
    if (whole_) ::munmap(whole_, mapped_);
    whole_ = at;
    mapped_ = static_cast<size_t>(want);
    return true;
  }

  bool Off() {
    mapAll_ = false;
    return false;
  }

  int fd_;
  bool writable_;
  bool mapHead_;
  bool mapAll_;
  void* head_ = nullptr;
  void* whole_ = nullptr;
  size_t mapped_ = 0;
  uint64_t known_ = 0;  // the file's size when last asked
  bool lostPages_ = false;
};

class PosixFiles final : public FileSystem {
 public:
  int Stat(const std::string& path, FileStatus* status) override {
    struct stat st;
    *status = FileStatus{};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    status->exists = true;
    status->readOnlyAttribute = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return 0;
  }

  int Open(const std::string& path, bool writable, ShareMode share, bool writeThrough,
           std::unique_ptr<OsFile>* file) override {
    int flags = (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    if (writeThrough) flags |= O_DSYNC;
    int fd = ::open(path.c_str(), flags);
    if (fd < 0) return errno;
    int how = (share == ShareMode::kExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(fd, how) != 0) {
      int error = errno == EWOULDBLOCK ? EBUSY : errno;
      ::close(fd);
      return error;
    }
    // The random-access hint of the engine's file opens.
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    *file = std::make_unique<PosixFile>(fd, writable);
    return 0;
  }

  int Create(const std::string& path, std::unique_ptr<OsFile>* file) override {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    *file = std::make_unique<PosixFile>(fd, true);
    return 0;
  }
};

FileSystem* g_installed = nullptr;

}  // namespace

FileSystem& PosixFileSystem() {
  static PosixFiles instance;
  return instance;
}

FileSystem& CurrentFileSystem() { return g_installed ? *g_installed : PosixFileSystem(); }

void SetFileSystemForTesting(FileSystem* fileSystem) { g_installed = fileSystem; }

int MapOsError(int osError) {
  switch (osError) {
    case 0: return kOk;
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kInvalidPath;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EROFS:
    case ETXTBSY:
    case EWOULDBLOCK: return kAccessDenied;
    case EBADF: return kInvalidHandle;
    case ENOMEM: return kOutOfMemory;
    case ENODEV:
    case ENXIO: return kDeviceAccessDenied;
    case EXDEV: return kFileMoved;
    default: return kOperatingSystemError;
  }
}

void SetHeadMappingEnabled(bool on) { gHeadMapping = on; }
bool HeadMappingEnabled() { return gHeadMapping; }
void SetMappedReadsEnabled(bool on) { gMappedReads = on; }
bool MappedReadsEnabled() { return gMappedReads; }

}  // namespace isam
