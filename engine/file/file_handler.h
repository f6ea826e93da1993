#pragma once
// TFileHandler: the base of the data, index and blob file objects. It owns one
// open operating-system file, reads and writes it at offsets, and takes the
// byte-range locks of the table's lock map.
//
// Settings (path, exclusive, read-only, in-memory) change only while the file
// is closed (10031 otherwise); write-through likewise, ignored while open.
// Every failure stores its context (naming ErrorPath()) and returns the code.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file/os_file.h"

namespace isam {

class TFileHandler {
 public:
  // extension: the one every path of this kind of file is given (".DAT").
  explicit TFileHandler(std::string extension);
  virtual ~TFileHandler();
  TFileHandler(const TFileHandler&) = delete;
  TFileHandler& operator=(const TFileHandler&) = delete;

  int SetPath(std::string_view path);
  int SetExclusive(bool exclusive);
  int SetReadOnly(bool readOnly);
  int SetInMemory(bool inMemory);
  void SetWriteThrough(bool writeThrough);
  // The path named by errors other than open failures (the data file's path
  // for index and blob files); defaults to this file's own path.
  void SetErrorPath(std::string path) { errorPath_ = std::move(path); }

  const std::string& Path() const { return path_; }
  const std::string& ErrorPath() const { return errorPath_.empty() ? path_ : errorPath_; }
  bool Exclusive() const { return exclusive_; }
  bool ReadOnly() const { return readOnly_; }
  bool ReadOnlyByAttribute() const { return readOnlyByAttribute_; }
  bool InMemory() const { return inMemory_; }
  bool WriteThrough() const { return writeThrough_; }
  bool IsOpen() const { return file_ != nullptr; }

  // Trims blanks and puts this kind's extension in place of any other.
  std::string NormaliseName(std::string_view path) const;

  // Opens the existing file in the configured mode; does nothing when open.
  virtual int Open();
  virtual void Close();
  // Creates the file (emptying an existing one) and opens it shared, writable.
  int Create();
  bool Exists() const;

  // Reads count bytes at offset. A short read is 9217 unless partial reads
  // are allowed; *done (optional) receives the count read.
  int Read(uint64_t offset, void* buffer, size_t count, bool partialAllowed = false,
           size_t* done = nullptr);
  // Writes count bytes at offset (short write: 9218); a write of 0 bytes cuts
  // the file at offset.
  int Write(uint64_t offset, const void* buffer, size_t count);
  // Reads count bytes inside the first kHeadBytes: from the file's mapping
  // when it has one (no system call), else as Read does. A file cut shorter
  // under the mapping is a read error (9217).
  int ReadHead(uint64_t offset, void* buffer, size_t count);
  int Size(uint64_t* size);

  // Byte-range lock primitive: never waits. On a file opened exclusively both
  // succeed at once and do nothing. Locks belong to this handler: a region
  // held through another handler, of this process or another, is refused.
  // A region is released only with the offset and length it was locked with;
  // a region that overlaps one this handler holds, and an empty region, are
  // refused (the system would merge or split them, or lock to the end of the
  // file). Closing releases every lock.
  bool Lock(uint64_t offset, uint64_t length);
  bool Unlock(uint64_t offset, uint64_t length);

 private:
  int Fail(int code) const;

  std::string extension_;
  std::string path_;
  std::string errorPath_;
  bool exclusive_ = false;
  bool readOnly_ = false;
  bool readOnlyByAttribute_ = false;
  bool configuredReadOnly_ = false;
  bool inMemory_ = false;
  bool writeThrough_ = false;
  std::unique_ptr<OsFile> file_;
  struct Region {
    uint64_t offset;
    uint64_t length;
  };
  std::vector<Region> locks_;  // held through this handler
};

}  // namespace isam
