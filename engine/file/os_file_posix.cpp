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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/file/error_codes.h"
#include "engine/file/os_file.h"

namespace isam {
namespace {

class PosixFile final : public OsFile {
 public:
  PosixFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
  ~PosixFile() override { ::close(fd_); }

  int ReadAt(uint64_t offset, void* buffer, size_t count, size_t* done) override {
    *done = 0;
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

  int fd_;
  bool writable_;
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

}  // namespace isam
