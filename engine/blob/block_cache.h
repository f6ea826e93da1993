#pragma once
// The blob file's cache of blocks: a most-recently-used list of TBlock slots
// with a lookup by offset. The cache only keeps memory; reading, writing and
// the eviction policy that needs the disk live in TBlobFile.
//
// Slots are never freed while the cache lives (only trimmed between
// operations), so a TBlockRef may outlive DropAll(): every drop starts a new
// generation, and releasing a reference from an older generation does
// nothing.
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/blob/blob_format.h"

namespace isam {

class TBlockCache;

// One cached block, always plain (deciphered).
struct TBlock {
  uint32_t offset = 0;        // 0 = slot unused
  TBlockHeader header;        // the unpacked 18-byte block header
  std::vector<uint8_t> data;  // the data area, B - 18 bytes
  bool modified = false;      // differs from the disk
  uint16_t useCount = 0;      // operations holding the block (at most 64)
  bool reserved = false;      // being filled by a multi-block read
  uint64_t generation = 0;    // the cache generation it was filled in
  std::list<std::unique_ptr<TBlock>>::iterator where;  // its place in the list

  // Header and data zero, flags clear (offset untouched).
  void Clear();
};

class TBlockCache {
 public:
  TBlockCache(uint32_t dataSize, size_t capacity);

  // The cached block at offset, or null.
  TBlock* Find(uint32_t offset) const;
  void MoveToFront(TBlock* block);
  // The least recently used block that is neither modified, in use nor
  // reserved, cleared and unmapped; null when there is none.
  TBlock* TakeEvictable();
  // A new cleared slot at the front when the cache is below capacity; null
  // when it is full.
  TBlock* TakeNew();
  // Gives a cleared slot its offset (the caller made sure none holds it).
  void Assign(TBlock* block, uint32_t offset);
  void Grow(size_t slots) { capacity_ += slots; }
  // Frees clean, unused slots beyond the base capacity; back to base when
  // nothing stands in the way.
  void Trim();
  // Forgets every block, modified or not; outstanding references go stale.
  void DropAll();

  bool HasModified() const;
  // Modified blocks that are neither in use nor reserved, sorted by offset.
  std::vector<TBlock*> WritableModified() const;

  uint64_t Generation() const { return generation_; }
  size_t Size() const { return list_.size(); }
  size_t Capacity() const { return capacity_; }

 private:
  uint32_t dataSize_;
  size_t baseCapacity_;
  size_t capacity_;
  uint64_t generation_ = 1;
  std::list<std::unique_ptr<TBlock>> list_;  // most recently used first
  std::unordered_map<uint32_t, TBlock*> byOffset_;
};

// Holds one fetched block (its use count) for the length of an operation.
class TBlockRef {
 public:
  TBlockRef() = default;
  ~TBlockRef() { Release(); }
  TBlockRef(TBlockRef&& other) noexcept { *this = std::move(other); }
  TBlockRef& operator=(TBlockRef&& other) noexcept {
    if (this != &other) {
      Release();
      block_ = other.block_;
      generation_ = other.generation_;
      other.block_ = nullptr;
    }
    return *this;
  }
  TBlockRef(const TBlockRef&) = delete;
  TBlockRef& operator=(const TBlockRef&) = delete;

  TBlock* get() const { return block_; }
  TBlock* operator->() const { return block_; }
  TBlock& operator*() const { return *block_; }
  explicit operator bool() const { return block_ != nullptr; }

  // Takes a hold (the caller checked the 64-use limit).
  void Hold(TBlock* block) {
    Release();
    block_ = block;
    generation_ = block->generation;
    ++block->useCount;
  }
  void Release() {
    if (block_ && block_->generation == generation_ && block_->useCount > 0) --block_->useCount;
    block_ = nullptr;
  }

 private:
  TBlock* block_ = nullptr;
  uint64_t generation_ = 0;
};

}  // namespace isam
