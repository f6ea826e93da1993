// TBlobFile: opening, closing, the header, writing back and emptying.
#include "engine/blob/blob_file.h"

#include <algorithm>

#include "engine/blob/blob_buffer.h"
#include "engine/blob/block_cache.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/cipher.h"
#include "engine/file/le.h"

namespace isam {

int CreateBlobFile(const std::string& path, bool enciphered, const std::string& errorPath) {
  TFileHandler file(".BLB");
  if (int rc = file.SetPath(path)) return rc;
  file.SetErrorPath(errorPath);
  if (int rc = file.Create()) return rc;
  uint8_t raw[kBlobHeaderSize];
  EncodeBlobHeader(TBlobHeader{}, false, raw);
  if (enciphered) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
  int rc = file.Write(0, raw, sizeof raw);
  file.Close();
  return rc;
}

TBlobFile::TBlobFile(TTableHost& host, uint32_t blockSize)
    : TFileHandler(".BLB"), host_(host), blockSize_(EffectiveBlobBlockSize(blockSize)) {}

TBlobFile::~TBlobFile() { TBlobFile::Close(); }

int TBlobFile::Fail(int code) const { return ReportError(code, host_.DataFilePath()); }

int TBlobFile::Open() {
  if (IsOpen()) return kOk;
  if (!ValidBlobBlockSize(blockSize_)) return Fail(kBlobFieldLimits);
  SetErrorPath(host_.DataFilePath());
  if (int rc = TFileHandler::Open()) return rc;
  int rc = ReadHeader();
  if (rc == kOk && header_.version != kBlobVersion) rc = ReportError(kWrongVersion, Path());
  if (rc != kOk) {
    TFileHandler::Close();
    return rc;
  }
  headerModified_ = false;
  size_t capacity = std::min(kBlobCacheBytes / blockSize_, kBlobCacheMaxBlocks);
  readAhead_ = std::max<uint32_t>(1, kBlobReadAheadBytes / blockSize_);
  cache_ = std::make_unique<TBlockCache>(DataAreaSize(), std::max<size_t>(capacity, 1));
  return kOk;
}

void TBlobFile::Close() {
  DiscardAll();
  bool pending = cache_ && (headerModified_ || cache_->HasModified());
  if (IsOpen() && pending && !ReadOnly() && (Exclusive() || host_.HoldsTableLock())) {
    // Shared and unlocked, nothing may be written: another user could be
    // writing, and every change of ours was written back when it was made.
    Flush(false);
  }
  cache_.reset();
  headerModified_ = false;
  TFileHandler::Close();
}

int TBlobFile::ReadHeader() {
  uint8_t raw[kBlobHeaderSize];
  if (int rc = Read(0, raw, sizeof raw)) return rc;
  if (host_.Enciphered()) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
  header_ = DecodeBlobHeader(raw);
  return kOk;
}

int TBlobFile::WriteHeader() {
  ++header_.counter;
  uint8_t raw[kBlobHeaderSize];
  EncodeBlobHeader(header_, headerModified_, raw);
  if (host_.Enciphered()) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
  if (int rc = Write(0, raw, sizeof raw)) {
    --header_.counter;
    return rc;
  }
  headerModified_ = false;
  return kOk;
}

int TBlobFile::ReadDiskCounter(uint32_t* counter) {
  uint8_t raw[4];
  if (int rc = ReadHead(0, raw, sizeof raw)) return rc;
  if (host_.Enciphered()) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
  *counter = GetU32(raw);
  return kOk;
}

int TBlobFile::Reload() {
  if (cache_) cache_->DropAll();
  headerModified_ = false;
  return ReadHeader();
}

int TBlobFile::DropCaches() {
  if (cache_) cache_->DropAll();
  if (!headerModified_) return kOk;
  // Blocks appended or freed in memory are gone with the cache, so the
  // header that counted them must go too.
  headerModified_ = false;
  return ReadHeader();
}

int TBlobFile::Flush(bool forceHeader) {
  if (!IsOpen() || !cache_) return kOk;
  if (int rc = WriteBlocks()) return rc;
  if (headerModified_ || forceHeader) {
    if (int rc = WriteHeader()) return rc;
  }
  cache_->Trim();
  return kOk;
}

int TBlobFile::Empty() {
  if (int rc = Write(kBlobFirstBlock, nullptr, 0)) return rc;
  if (cache_) cache_->DropAll();
  header_.version = kBlobVersion;
  header_.freeHead = 0;
  header_.endOffset = kBlobFirstBlock;
  headerModified_ = true;
  for (auto& buffer : open_) buffer->firstBlock = 0;
  return kOk;
}

bool TBlobFile::ValidBlockOffset(uint32_t offset) const {
  return offset >= kBlobFirstBlock && offset < header_.endOffset &&
         (offset - kBlobFirstBlock) % blockSize_ == 0;
}

size_t TBlobFile::CachedBlocks() const { return cache_ ? cache_->Size() : 0; }
size_t TBlobFile::CacheCapacity() const { return cache_ ? cache_->Capacity() : 0; }

}  // namespace isam
