#include "engine/blob/block_cache.h"

#include <algorithm>

namespace isam {

void TBlock::Clear() {
  header = TBlockHeader{};
  std::fill(data.begin(), data.end(), uint8_t{0});
  modified = false;
  useCount = 0;
  reserved = false;
}

TBlockCache::TBlockCache(uint32_t dataSize, size_t capacity)
    : dataSize_(dataSize), baseCapacity_(capacity), capacity_(capacity) {}

TBlock* TBlockCache::Find(uint32_t offset) const {
  auto it = byOffset_.find(offset);
  return it == byOffset_.end() ? nullptr : it->second;
}

void TBlockCache::MoveToFront(TBlock* block) { list_.splice(list_.begin(), list_, block->where); }

TBlock* TBlockCache::TakeEvictable() {
  for (auto it = list_.rbegin(); it != list_.rend(); ++it) {
    TBlock* block = it->get();
    if (block->modified || block->useCount > 0 || block->reserved) continue;
    if (block->offset != 0) byOffset_.erase(block->offset);
    block->offset = 0;
    block->Clear();
    block->generation = generation_;
    MoveToFront(block);
    return block;
  }
  return nullptr;
}

TBlock* TBlockCache::TakeNew() {
  if (list_.size() >= capacity_) return nullptr;
  auto block = std::make_unique<TBlock>();
  block->data.assign(dataSize_, 0);
  block->generation = generation_;
  list_.push_front(std::move(block));
  list_.front()->where = list_.begin();
  return list_.front().get();
}

void TBlockCache::Assign(TBlock* block, uint32_t offset) {
  block->offset = offset;
  byOffset_[offset] = block;
}

void TBlockCache::Trim() {
  if (list_.size() <= baseCapacity_) {
    capacity_ = baseCapacity_;
    return;
  }
  for (auto it = list_.end(); it != list_.begin() && list_.size() > baseCapacity_;) {
    --it;
    TBlock* block = it->get();
    if (block->modified || block->useCount > 0 || block->reserved) continue;
    if (block->offset != 0) byOffset_.erase(block->offset);
    it = list_.erase(it);
  }
  capacity_ = std::max(baseCapacity_, list_.size());
}

void TBlockCache::DropAll() {
  ++generation_;
  byOffset_.clear();
  for (auto& block : list_) {
    block->offset = 0;
    block->Clear();
    block->generation = generation_;
  }
}

bool TBlockCache::HasModified() const {
  return std::any_of(list_.begin(), list_.end(), [](const auto& block) { return block->modified; });
}

std::vector<TBlock*> TBlockCache::WritableModified() const {
  std::vector<TBlock*> blocks;
  for (const auto& block : list_) {
    if (block->modified && block->useCount == 0 && !block->reserved && block->offset != 0) {
      blocks.push_back(block.get());
    }
  }
  std::sort(blocks.begin(), blocks.end(),
            [](const TBlock* a, const TBlock* b) { return a->offset < b->offset; });
  return blocks;
}

}  // namespace isam
