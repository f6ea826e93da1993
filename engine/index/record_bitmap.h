#pragma once
// A record bitmap: one bit per record slot, bit n - 1 for record number n.
// Used for the live, range, per-filter and visible record sets.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace isam {

class TRecordBitmap {
 public:
  TRecordBitmap() = default;
  explicit TRecordBitmap(uint32_t slots, bool set = false) { Resize(slots, set); }

  uint32_t slots() const { return slots_; }

  // Grows or shrinks to a slot count; new bits take the given value.
  void Resize(uint32_t slots, bool set = false) {
    uint32_t old = slots_;
    words_.resize((slots + 63) / 64, 0);
    slots_ = slots;
    if (set) {
      for (uint32_t n = old + 1; n <= slots; ++n) Set(n);
    } else {
      TrimTail();
    }
  }

  bool Test(uint32_t record) const {
    return record >= 1 && record <= slots_ &&
           (words_[(record - 1) / 64] >> ((record - 1) % 64)) & 1;
  }
  void Set(uint32_t record) {
    if (record >= 1 && record <= slots_) words_[(record - 1) / 64] |= Bit(record);
  }
  void Clear(uint32_t record) {
    if (record >= 1 && record <= slots_) words_[(record - 1) / 64] &= ~Bit(record);
  }
  void Assign(uint32_t record, bool value) { value ? Set(record) : Clear(record); }

  void SetAll() {
    for (auto& w : words_) w = ~uint64_t{0};
    TrimTail();
  }
  void ClearAll() {
    for (auto& w : words_) w = 0;
  }
  void Invert() {
    for (auto& w : words_) w = ~w;
    TrimTail();
  }
  // Bitwise AND / OR with a bitmap of the same size.
  void And(const TRecordBitmap& other) {
    for (std::size_t i = 0; i < words_.size(); ++i) words_[i] &= i < other.words_.size() ? other.words_[i] : 0;
  }
  void Or(const TRecordBitmap& other) {
    for (std::size_t i = 0; i < words_.size() && i < other.words_.size(); ++i) words_[i] |= other.words_[i];
    TrimTail();
  }

  uint32_t Count() const {
    uint32_t count = 0;
    for (uint64_t w : words_) count += static_cast<uint32_t>(std::popcount(w));
    return count;
  }

  // The first set record number after `after` (0 = from the start); 0 if none.
  uint32_t NextSet(uint32_t after) const {
    for (uint32_t n = after + 1; n <= slots_;) {
      uint64_t w = words_[(n - 1) / 64] >> ((n - 1) % 64);
      if (w) return n + static_cast<uint32_t>(std::countr_zero(w));
      n = ((n - 1) / 64 + 1) * 64 + 1;
    }
    return 0;
  }
  // The last set record number before `before` (0 = from the end); 0 if none.
  uint32_t PrevSet(uint32_t before) const {
    uint32_t n = (before == 0 || before > slots_ + 1) ? slots_ : before - 1;
    while (n >= 1) {
      uint64_t w = words_[(n - 1) / 64] << (63 - (n - 1) % 64);
      if (w) return n - static_cast<uint32_t>(std::countl_zero(w));
      n = ((n - 1) / 64) * 64;
    }
    return 0;
  }

  bool operator==(const TRecordBitmap& other) const {
    return slots_ == other.slots_ && words_ == other.words_;
  }

 private:
  static uint64_t Bit(uint32_t record) { return uint64_t{1} << ((record - 1) % 64); }
  void TrimTail() {
    if (slots_ % 64 && !words_.empty()) words_.back() &= (uint64_t{1} << (slots_ % 64)) - 1;
  }

  std::vector<uint64_t> words_;
  uint32_t slots_ = 0;
};

}  // namespace isam
