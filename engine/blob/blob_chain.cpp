// TBlobFile: block chains. Allocation from the free list (last freed, first
// reused) or the end of the file, freeing chains, and reading and writing a
// whole value. Every walk keeps the offsets it has seen, so a damaged chain
// (a cycle, a pointer into the header or past the end, a block of another
// record) ends in an engine error instead of an endless loop.
#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

#include "engine/blob/blob_buffer.h"
#include "engine/blob/blob_file.h"
#include "engine/blob/block_cache.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"

namespace isam {

uint32_t TBlobFile::BlocksFor(uint32_t length) const {
  return uint32_t((uint64_t(length) + DataAreaSize() - 1) / DataAreaSize());
}

// The head of the free list, or a new block at the end of the file; cleared
// and marked modified.
int TBlobFile::Allocate(TBlockRef* out) {
  uint32_t head = header_.freeHead;
  if (head == 0) {
    if (int rc = Fetch(header_.endOffset, 1, true, out)) return rc;
  } else {
    if (int rc = Fetch(head, 1, false, out)) return rc;
    uint32_t next = (*out)->header.next;
    // A free block that somebody holds is in use; a next pointer that leads
    // nowhere would hand out rubbish on the next allocation.
    if ((*out)->useCount > 1 || (next != 0 && (next == head || !ValidBlockOffset(next)))) {
      out->Release();
      return Fail(kBlobBuffersCorrupt);
    }
    header_.freeHead = next;
  }
  TBlock& block = **out;
  block.header = TBlockHeader{};
  std::fill(block.data.begin(), block.data.end(), uint8_t{0});
  block.modified = true;
  headerModified_ = true;
  return kOk;
}

// Puts a block at the head of the free list; only its next pointer changes.
void TBlobFile::FreeBlock(TBlock& block) {
  block.header.next = header_.freeHead;
  header_.freeHead = block.offset;
  block.modified = true;
  headerModified_ = true;
}

// Follows a chain from first and lists its blocks. Every block must belong to
// owner (the first: firstOwnerCode, the others: 9998) and nobody else may
// hold it; a pointer outside the file or back into the chain is 9998.
int TBlobFile::WalkChain(uint32_t first, uint32_t owner, int firstOwnerCode, uint32_t blockCount,
                         std::vector<uint32_t>* chain) {
  chain->clear();
  std::unordered_set<uint32_t> seen;
  uint32_t ahead = std::max<uint32_t>(blockCount, 1);
  for (uint32_t at = first; at != 0;) {
    if (!seen.insert(at).second) return Fail(kInvalidBlobOffset);
    TBlockRef block;
    if (int rc = Fetch(at, ahead, false, &block)) return rc;
    bool isFirst = chain->empty();
    if (block->header.owner != owner) return Fail(isFirst ? firstOwnerCode : kInvalidBlobOffset);
    if (block->useCount > 1) return Fail(isFirst ? kBlobBuffersCorrupt : kInvalidBlobOffset);
    chain->push_back(at);
    at = block->header.next;
    if (ahead > 1) --ahead;
  }
  return kOk;
}

// Frees chain[from..], in order, so that the chain's last block ends up at
// the head of the free list. Callers walk (and so check) the whole chain
// first: a half-freed chain would leave its record pointing into the free
// list.
int TBlobFile::FreeBlocks(const std::vector<uint32_t>& chain, size_t from) {
  for (size_t i = from; i < chain.size(); ++i) {
    TBlockRef block;
    if (int rc = Fetch(chain[i], uint32_t(chain.size() - i), false, &block)) return rc;
    FreeBlock(*block);
  }
  return kOk;
}

int TBlobFile::ReadValue(TBlobBuffer& buffer) {
  for (int attempt = 0; attempt < kBlobMaxRestarts; ++attempt) {
    int rc = ReadValueOnce(buffer);
    if (rc != kRestart) return rc;
  }
  return Fail(kLockFailure);
}

int TBlobFile::ReadValueOnce(TBlobBuffer& buffer) {
  buffer.data.clear();
  buffer.modified = false;
  if (buffer.firstBlock == 0) return kOk;
  TBlockRef current;
  if (int rc = Fetch(buffer.firstBlock, 1, false, &current)) return rc;
  if (current->header.owner != buffer.record) return Fail(kBlobBuffersCorrupt);
  const uint32_t total = current->header.total;
  const uint32_t area = DataAreaSize();
  // A length the file cannot hold is not trusted with an allocation.
  uint64_t blocksInFile = (header_.endOffset - kBlobFirstBlock) / blockSize_;
  if (total > blocksInFile * area) return Fail(kInvalidBlobLength);
  try {
    buffer.data.resize(total);
  } catch (const std::bad_alloc&) {
    return ReportError(kOutOfMemory);
  }
  std::unordered_set<uint32_t> seen{buffer.firstBlock};
  uint32_t done = 0;
  while (done < total) {
    if (current->useCount > 1) return Fail(kBlobBuffersCorrupt);
    if (current->header.used > area) return Fail(kInvalidBlobLength);
    uint32_t wanted = std::min(area, total - done);
    uint32_t copied = std::min<uint32_t>(wanted, current->header.used);
    std::memcpy(buffer.data.data() + done, current->data.data(), copied);
    done += copied;
    uint32_t next = current->header.next;
    if (copied < wanted || done >= total || next == 0) break;
    if (!seen.insert(next).second) return Fail(kBlobBuffersCorrupt);
    TBlockRef following;
    if (int rc = Fetch(next, BlocksFor(total - done), false, &following)) return rc;
    // A chain that runs into another record's blocks would hand out that
    // record's data.
    if (following->header.owner != buffer.record) return Fail(kBlobBuffersCorrupt);
    current = std::move(following);
  }
  if (done < total) {
    buffer.data.clear();
    return Fail(kBlobEndedEarly);
  }
  return kOk;
}

// Writes a value over its old chain, reusing the old blocks in order,
// allocating more when it grew and freeing the old tail when it shrank. A
// value of size 0 frees its whole chain. The old chain is walked (and so
// checked) before anything changes.
int TBlobFile::WriteValue(TBlobBuffer& buffer) {
  const uint32_t size = uint32_t(buffer.data.size());
  const uint32_t area = DataAreaSize();
  std::vector<uint32_t> old;
  if (buffer.firstBlock != 0) {
    TBlockRef first;
    if (int rc = Fetch(buffer.firstBlock, 1, false, &first)) return rc;
    if (first->header.owner != buffer.record) return Fail(kBlobBuffersCorrupt);
    uint32_t oldBlocks = BlocksFor(first->header.total);
    first.Release();
    if (int rc = WalkChain(buffer.firstBlock, buffer.record, kBlobBuffersCorrupt, oldBlocks, &old)) {
      return rc;
    }
  }
  if (size == 0) {
    if (int rc = FreeBlocks(old, 0)) return rc;
    buffer.firstBlock = 0;
    buffer.modified = false;
    return kOk;
  }
  const uint32_t need = BlocksFor(size);
  std::unordered_set<uint32_t> inChain(old.begin(), old.end());
  TBlockRef current;
  if (old.empty()) {
    if (int rc = Allocate(&current)) return rc;
    inChain.insert(current->offset);
  } else if (int rc = Fetch(old[0], 1, false, &current)) {
    return rc;
  }
  const uint32_t newFirst = current->offset;
  uint32_t previous = 0;
  for (uint32_t i = 0; i < need; ++i) {
    uint32_t at = i * area;
    uint32_t count = std::min(area, size - at);
    TBlock& block = *current;
    block.header.prev = previous;
    block.header.owner = buffer.record;
    block.header.total = i == 0 ? size : 0;
    block.header.used = uint16_t(count);
    std::memcpy(block.data.data(), buffer.data.data() + at, count);
    std::fill(block.data.begin() + count, block.data.end(), uint8_t{0});
    block.header.next = 0;
    block.modified = true;
    if (i + 1 == need) break;
    TBlockRef following;
    if (i + 1 < old.size()) {
      if (int rc = Fetch(old[i + 1], uint32_t(old.size() - i - 1), false, &following)) return rc;
    } else {
      if (int rc = Allocate(&following)) return rc;
      // The free list led into this very chain: the file is damaged.
      if (!inChain.insert(following->offset).second) return Fail(kBlobBuffersCorrupt);
    }
    block.header.next = following->offset;
    previous = block.offset;
    current = std::move(following);
  }
  current.Release();
  if (int rc = FreeBlocks(old, need)) return rc;
  buffer.firstBlock = newFirst;
  buffer.modified = false;
  return kOk;
}

}  // namespace isam
