#pragma once
// The operating-system side of file access, behind a small interface so that
// tests can put a failing or full disk under the engine (FaultyFileSystem).
//
// Results are 0 or an errno value; MapOsError() turns errno values into
// engine codes in one place.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace isam {

enum class ShareMode { kShared, kExclusive };

// One open file description. Byte-range locks belong to it: two OsFile
// objects of one process exclude each other, as two processes do.
class OsFile {
 public:
  virtual ~OsFile() = default;
  // Reads up to count bytes at offset; *done receives the count read.
  virtual int ReadAt(uint64_t offset, void* buffer, size_t count, size_t* done) = 0;
  // Writes up to count bytes at offset; *done receives the count written.
  virtual int WriteAt(uint64_t offset, const void* buffer, size_t count, size_t* done) = 0;
  virtual int Truncate(uint64_t size) = 0;
  virtual int Size(uint64_t* size) = 0;
  // Never blocks: EAGAIN when another handle holds a conflicting lock.
  virtual int TryLock(uint64_t offset, uint64_t length) = 0;
  virtual int Unlock(uint64_t offset, uint64_t length) = 0;
  // A read-only shared mapping of the file's first kHeadBytes, made at the
  // first call and kept while the file is open; null where the file is not
  // mapped (mapping switched off, or not possible): the caller then reads
  // with ReadAt. The mapping shows every process's writes at once. Bytes
  // past the end of the file read as zero within its last page; pages wholly
  // past it raise SIGBUS (see GuardedCopy).
  virtual const uint8_t* Head() { return nullptr; }
};

inline constexpr size_t kHeadBytes = 4096;

// Whether files opened from now on map their first page (on by default).
void SetHeadMappingEnabled(bool on);
bool HeadMappingEnabled();
// Whether files opened from now on read through a read-only mapping of the
// whole file instead of pread (on by default; pread where mapping fails).
// Reads past the size the file had when last looked at ask the system for
// its size again and grow the mapping. A file cut shorter by another process
// under the mapping makes a read of the lost pages a read error (SIGBUS is
// caught); within the last page the lost bytes read as zero.
void SetMappedReadsEnabled(bool on);
bool MappedReadsEnabled();

struct FileStatus {
  bool exists = false;
  bool readOnlyAttribute = false;  // no write permission bit is set
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual int Stat(const std::string& path, FileStatus* status) = 0;
  virtual int Open(const std::string& path, bool writable, ShareMode share, bool writeThrough,
                   std::unique_ptr<OsFile>* file) = 0;
  // Creates (or empties) a file for writing, shared.
  virtual int Create(const std::string& path, std::unique_ptr<OsFile>* file) = 0;
};

// The POSIX file system, unless a test installed another one.
FileSystem& CurrentFileSystem();
// Installs a file system for tests; null restores the POSIX one.
void SetFileSystemForTesting(FileSystem* fileSystem);
FileSystem& PosixFileSystem();

// errno -> engine error code (11010 ... 11047).
int MapOsError(int osError);

}  // namespace isam
