#include "engine/data/record_cache.h"

#include <algorithm>

namespace isam {

void TRecordCache::Reset(uint16_t recordSize) {
  recordSize_ = recordSize;
  size_t perImage = recordSize ? recordSize : 1;
  baseCapacity_ = capacity_ = std::min<size_t>(131070 / perImage, 65535);
  if (capacity_ == 0) baseCapacity_ = capacity_ = 1;
  DropAll();
}

TRecord* TRecordCache::Find(uint32_t slot) {
  auto it = bySlot_.find(slot);
  if (it == bySlot_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, it->second);
  return &*it->second;
}

TRecord* TRecordCache::Peek(uint32_t slot) {
  auto it = bySlot_.find(slot);
  return it == bySlot_.end() ? nullptr : &*it->second;
}

void TRecordCache::Clear(TRecord& entry, uint32_t slot) {
  entry.image.assign(recordSize_, 0);
  entry.slot = slot;
  entry.modified = false;
  entry.useCount = 0;
  entry.marked = false;
}

TRecord* TRecordCache::Take(uint32_t slot) {
  if (TRecord* existing = Find(slot)) {
    Clear(*existing, slot);
    return existing;
  }
  if (entries_.size() < capacity_) {
    entries_.emplace_front();
    Clear(entries_.front(), slot);
    bySlot_[slot] = entries_.begin();
    return &entries_.front();
  }
  for (auto it = entries_.end(); it != entries_.begin();) {
    --it;
    if (it->modified || it->useCount || it->marked) continue;
    bySlot_.erase(it->slot);
    Clear(*it, slot);
    entries_.splice(entries_.begin(), entries_, it);
    bySlot_[slot] = entries_.begin();
    return &entries_.front();
  }
  return nullptr;
}

void TRecordCache::Trim() {
  capacity_ = baseCapacity_;
  for (auto it = entries_.end(); entries_.size() > capacity_ && it != entries_.begin();) {
    --it;
    if (it->modified || it->useCount || it->marked) continue;
    bySlot_.erase(it->slot);
    it = entries_.erase(it);
  }
}

void TRecordCache::Drop(uint32_t slot) {
  auto it = bySlot_.find(slot);
  if (it == bySlot_.end()) return;
  entries_.erase(it->second);
  bySlot_.erase(it);
}

void TRecordCache::DropAll() {
  entries_.clear();
  bySlot_.clear();
  capacity_ = baseCapacity_;
}

std::vector<TRecord*> TRecordCache::WritableModified() {
  std::vector<TRecord*> out;
  for (auto& e : entries_) {
    if (e.modified && !e.useCount && !e.marked) out.push_back(&e);
  }
  std::sort(out.begin(), out.end(), [](TRecord* a, TRecord* b) { return a->slot < b->slot; });
  return out;
}

std::vector<TRecord*> TRecordCache::All() {
  std::vector<TRecord*> out;
  for (auto& e : entries_) out.push_back(&e);
  return out;
}

}  // namespace isam
