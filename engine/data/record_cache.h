#pragma once
// The record cache of a data file: plain record images, most recently used
// first, with a capacity of min(131 070 / R, 65 535) images. Only eviction
// and write-back touch the disk; the data file does both.
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace isam {

// One cached record image.
struct TRecord {
  std::vector<uint8_t> image;  // R bytes, plain
  uint32_t slot = 0;           // 0 while the entry is free
  bool modified = false;
  uint16_t useCount = 0;       // operations holding the image (at most 64)
  bool marked = false;         // inside a run being read
};

class TRecordCache {
 public:
  static constexpr uint16_t kMaxUses = 64;

  void Reset(uint16_t recordSize);  // drops everything, sets the capacity
  size_t Capacity() const { return capacity_; }
  size_t Size() const { return entries_.size(); }
  uint16_t RecordSize() const { return recordSize_; }

  // The entry of a slot, moved to the front; null when not cached.
  TRecord* Find(uint32_t slot);
  // The entry of a slot without touching the order; null when not cached.
  TRecord* Peek(uint32_t slot);

  // A free entry for a slot, cleared and put at the front: a new one while
  // below capacity, else the least recently used entry that is neither
  // modified, in use nor marked. Null when there is none (the caller writes
  // back modified entries and asks again, or grows the cache).
  TRecord* Take(uint32_t slot);
  void Grow(size_t extra) { capacity_ += extra; }
  // Cuts the cache back to its capacity (dropping unused clean entries).
  void Trim();

  // Forgets the slot of an entry (it becomes free and is dropped).
  void Drop(uint32_t slot);
  // Drops every entry; modified images are lost.
  void DropAll();

  // Modified entries that are neither in use nor marked, by slot number.
  std::vector<TRecord*> WritableModified();
  std::vector<TRecord*> All();

 private:
  void Clear(TRecord& entry, uint32_t slot);

  uint16_t recordSize_ = 0;
  size_t capacity_ = 0;
  size_t baseCapacity_ = 0;
  std::list<TRecord> entries_;  // front = most recently used
  std::unordered_map<uint32_t, std::list<TRecord>::iterator> bySlot_;
};

}  // namespace isam
