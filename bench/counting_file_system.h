#pragma once
// A file system under the engine that counts what the engine reads from its
// data files (record images): the benchmark's "records read". Reads are
// counted at the engine's file interface, whether or not the operating
// system had the bytes cached.
#include <cstdint>

#include "engine/file/os_file.h"

namespace bench {

class TCountingFileSystem final : public isam::FileSystem {
 public:
  // Installs itself for the engine; the destructor restores the POSIX one.
  TCountingFileSystem();
  ~TCountingFileSystem() override;

  int Stat(const std::string& path, isam::FileStatus* status) override;
  int Open(const std::string& path, bool writable, isam::ShareMode share, bool writeThrough,
           std::unique_ptr<isam::OsFile>* file) override;
  int Create(const std::string& path, std::unique_ptr<isam::OsFile>* file) override;

  // Bytes read from ".DAT" files past their headers since the start.
  uint64_t DataBytesRead() const { return dataBytes_; }

 private:
  uint64_t dataBytes_ = 0;
};

}  // namespace bench
