// TBlobFile: fetching blocks through the cache, read-ahead, eviction and
// writing modified blocks back.
#include <algorithm>
#include <cstring>
#include <new>

#include "engine/blob/blob_file.h"
#include "engine/blob/block_cache.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/cipher.h"
#include "engine/file/file_session.h"

namespace isam {

int TBlobFile::Fetch(uint32_t offset, uint32_t wanted, bool append, TBlockRef* out) {
  out->Release();
  if (!cache_) return Fail(kInvalidHandle);
  TBlock* block = nullptr;
  if (append) {
    // Only a header whose end offset lies on a block boundary may grow;
    // anything else would lay new blocks across old ones.
    uint32_t end = header_.endOffset;
    if (end < kBlobFirstBlock || (end - kBlobFirstBlock) % blockSize_ != 0) {
      return Fail(kBlobBuffersCorrupt);
    }
    if (end > kMaxBlobFileOffset) return Fail(kFileFull);
    if (cache_->Find(end)) return Fail(kBlobBuffersCorrupt);
    if (int rc = TakeSlot(&block)) return rc;
    cache_->Assign(block, end);
    header_.endOffset = end + blockSize_;
    headerModified_ = true;
  } else {
    if (!ValidBlockOffset(offset)) return Fail(kInvalidBlobOffset);
    block = cache_->Find(offset);
    if (block) {
      cache_->MoveToFront(block);
    } else {
      int rc = host_.BeforeDiskRead();
      if (rc == kRestart) {
        DropCaches();
        return kRestart;
      }
      if (rc != kOk) return rc;
      uint32_t count = std::min({readAhead_, std::max<uint32_t>(wanted, 1),
                                 (header_.endOffset - offset) / blockSize_});
      if (int rc2 = ReadRun(offset, std::max<uint32_t>(count, 1))) return rc2;
      block = cache_->Find(offset);
      if (!block) return Fail(kBlobBuffersCorrupt);
      cache_->MoveToFront(block);
    }
  }
  if (block->useCount >= kMaxBlockUses) return Fail(kBlobBuffersCorrupt);
  out->Hold(block);
  return kOk;
}

void TBlobFile::Prefetch(const uint8_t* image) {
  if (!cache_) return;
  // Blocks read past a first block: the rest of a short value's chain, which
  // its writer laid right behind it.
  constexpr uint32_t kTailBlocks = 2;
  uint32_t firsts[kMaxOpenBlobs];
  size_t count = 0;
  for (const TFieldDesc& f : host_.Fields()) {
    if (!f.IsBlob() || count == kMaxOpenBlobs) continue;
    const int32_t reference = Reference(image, f.number);
    if (reference <= 0 || !ValidBlockOffset(uint32_t(reference)) || cache_->Find(uint32_t(reference))) continue;
    firsts[count++] = uint32_t(reference);
  }
  std::sort(firsts, firsts + count);
  const uint32_t limit = std::max<uint32_t>(1, std::min<uint32_t>(readAhead_, uint32_t(CacheCapacity() / 2)));
  TFileSession* session = CurrentFileSession();
  const ErrorContext saved = session ? session->lastError : ErrorContext{};
  // Values whose first blocks lie close together share one read.
  for (size_t i = 0; i < count;) {
    size_t j = i + 1;
    while (j < count && (firsts[j] - firsts[i]) / blockSize_ + 1 + kTailBlocks <= limit &&
           firsts[j] - firsts[j - 1] <= (kTailBlocks + 1) * blockSize_) {
      ++j;
    }
    const uint32_t blocks = std::min({(firsts[j - 1] - firsts[i]) / blockSize_ + 1 + kTailBlocks,
                                      (header_.endOffset - firsts[i]) / blockSize_, limit});
    ReadRun(firsts[i], std::max<uint32_t>(blocks, 1));
    i = j;
  }
  if (session) session->lastError = saved;
}

// Reads count blocks from offset with one file read and files them in the
// cache. Blocks already cached keep their contents when modified or held;
// the rest are refreshed. Slots filled here are reserved until the run is
// done so that eviction for a later block of the run cannot take them.
int TBlobFile::ReadRun(uint32_t offset, uint32_t count) {
  std::vector<uint8_t> raw;
  try {
    raw.resize(size_t(count) * blockSize_);
  } catch (const std::bad_alloc&) {
    return ReportError(kOutOfMemory);
  }
  size_t got = 0;
  if (int rc = Read(offset, raw.data(), raw.size(), true, &got)) return rc;
  size_t whole = got / blockSize_;
  // The block asked for must exist on disk; blocks after it may lie beyond
  // the end of the file when they were appended and not written yet.
  if (whole == 0) return Fail(kInvalidBlobOffset);
  const bool enciphered = host_.Enciphered();
  std::vector<TBlock*> reserved;
  int result = kOk;
  for (size_t i = 0; i < whole; ++i) {
    uint32_t at = offset + uint32_t(i) * blockSize_;
    TBlock* block = cache_->Find(at);
    if (block) {
      if (block->modified || block->useCount > 0 || block->reserved) continue;
    } else {
      if ((result = TakeSlot(&block)) != kOk) break;
      cache_->Assign(block, at);
    }
    uint8_t* image = raw.data() + i * blockSize_;
    if (enciphered) {
      ApplyCipher(image, kBlobBlockHeaderSize, kDataBlockCipher);
      ApplyCipher(image + kBlobBlockHeaderSize, DataAreaSize(), kDataBlockCipher);
    }
    block->header = DecodeBlockHeader(image);
    std::memcpy(block->data.data(), image + kBlobBlockHeaderSize, DataAreaSize());
    block->reserved = true;
    reserved.push_back(block);
  }
  for (TBlock* block : reserved) block->reserved = false;
  return result;
}

// A cleared slot for a new block: a free slot while the cache is below its
// capacity, else the least recently used clean one. When all are modified,
// they are written back first, unless this object holds the table lock: then
// the cache grows instead, so that nothing reaches the disk before the lock
// ends.
int TBlobFile::TakeSlot(TBlock** slot) {
  TBlock* block = cache_->TakeNew();
  if (!block) block = cache_->TakeEvictable();
  if (!block && !host_.HoldsTableLock()) {
    if (int rc = WriteBlocks()) return rc;
    block = cache_->TakeEvictable();
  }
  if (!block && host_.HoldsTableLock()) {
    cache_->Grow(kBlobCacheGrowth);
    block = cache_->TakeNew();
  }
  if (!block) return Fail(kBlobBuffersCorrupt);
  *slot = block;
  return kOk;
}

// Writes the modified blocks that nobody holds, each run of adjacent blocks
// with one write (enciphered copies when the table has a password).
int TBlobFile::WriteBlocks() {
  if (!cache_) return kOk;
  std::vector<TBlock*> blocks = cache_->WritableModified();
  const bool enciphered = host_.Enciphered();
  // A run is cut at 1 MiB so that the staging buffer stays small.
  const size_t maxRun = std::max<size_t>(1, (size_t(1) << 20) / blockSize_);
  std::vector<uint8_t> raw;
  for (size_t start = 0; start < blocks.size();) {
    size_t end = start + 1;
    while (end < blocks.size() && end - start < maxRun &&
           blocks[end]->offset == blocks[end - 1]->offset + blockSize_) {
      ++end;
    }
    raw.assign((end - start) * blockSize_, 0);
    for (size_t i = start; i < end; ++i) {
      uint8_t* image = raw.data() + (i - start) * blockSize_;
      EncodeBlockHeader(blocks[i]->header, image);
      std::memcpy(image + kBlobBlockHeaderSize, blocks[i]->data.data(), DataAreaSize());
      if (enciphered) {
        ApplyCipher(image, kBlobBlockHeaderSize, kDataBlockCipher);
        ApplyCipher(image + kBlobBlockHeaderSize, DataAreaSize(), kDataBlockCipher);
      }
    }
    if (int rc = Write(blocks[start]->offset, raw.data(), raw.size())) return rc;
    for (size_t i = start; i < end; ++i) blocks[i]->modified = false;
    start = end;
  }
  return kOk;
}

int TBlobFile::ReadBlockCopy(uint32_t offset, TBlockHeader* header, std::vector<uint8_t>* data) {
  for (int attempt = 0; attempt < kBlobMaxRestarts; ++attempt) {
    TBlockRef block;
    int rc = Fetch(offset, readAhead_, false, &block);
    if (rc == kRestart) continue;
    if (rc != kOk) return rc;
    *header = block->header;
    data->assign(block->data.begin(), block->data.end());
    return kOk;
  }
  return Fail(kLockFailure);
}

}  // namespace isam
