// Record bitmaps from the indexes: key-range counts from subtree counts, and
// the record numbers of a key range collected into a bitmap.
#include <vector>

#include "engine/file/error_codes.h"
#include "engine/index/index_file.h"
#include "engine/index/index_tree.h"

namespace isam {
namespace {

// Absolute positions of the first and last key of a key range (last < first
// when it holds none).
int KeyRangeBounds(TIndexTree& tree, const uint8_t* low, size_t lowLength, const uint8_t* high,
                   size_t highLength, uint32_t* first, uint32_t* last) {
  uint32_t below = 0;
  if (low) {
    if (int rc = tree.CountBelow(low, lowLength, false, &below)) return rc;
  }
  *first = below + 1;
  if (high) return tree.CountBelow(high, highLength, true, last);
  return tree.Total(last);
}

// Record numbers of the keys at positions first..last.
int WalkPositions(TIndexTree& tree, uint32_t first, uint32_t last, std::vector<uint32_t>& records) {
  if (first > last || first == 0) return kOk;
  TIndexTree::Place place;
  const TIndexEntry* entry;
  if (int rc = tree.AtPosition(first, &place, &entry)) return rc;
  for (uint32_t position = first;; ++position) {
    records.push_back(entry->pointer);
    if (position == last) return kOk;
    if (int rc = tree.Step(&place, true, &entry)) return rc;
    if (!entry) return kOk;
  }
}

}  // namespace

int TIndexFile::CountKeyRange(int slot, const uint8_t* low, size_t lowLength, const uint8_t* high,
                              size_t highLength, uint32_t* count) {
  return Retrying([&] {
    TIndexTree tree(*this, slot);
    uint32_t first, last;
    if (int rc = KeyRangeBounds(tree, low, lowLength, high, highLength, &first, &last)) return rc;
    *count = last >= first ? last - first + 1 : 0;
    return int(kOk);
  });
}

int TIndexFile::CollectKeyRange(int slot, const uint8_t* low, size_t lowLength, const uint8_t* high,
                                size_t highLength, TRecordBitmap& out) {
  std::vector<uint32_t> records;
  int rc = Retrying([&] {
    records.clear();  // a restart collects again from fresh pages
    TIndexTree tree(*this, slot);
    uint32_t first, last;
    if (int rc = KeyRangeBounds(tree, low, lowLength, high, highLength, &first, &last)) return rc;
    return WalkPositions(tree, first, last, records);
  });
  if (rc) return rc;
  for (uint32_t record : records) out.Set(record);
  return kOk;
}

int TIndexFile::BuildRangeBitmap(TRecordBitmap& out) {
  out = TRecordBitmap(host_.SlotCount());
  if (!range_.active || PhysicalOrder()) {
    out.SetAll();
    return kOk;
  }
  std::vector<uint32_t> records;
  bool inverted = false;
  int rc = Retrying([&] {
    records.clear();
    TIndexTree tree(*this, slot_);
    uint32_t first, last, total;
    if (int rc = RangeBounds(tree, &first, &last)) return rc;
    if (int rc = tree.Total(&total)) return rc;
    const int64_t count = last >= first ? int64_t(last) - first + 1 : 0;
    // A range holding more than half the records is answered through the
    // keys outside it.
    inverted = int64_t(header_.recordCount) - count < count;
    if (!inverted) return WalkPositions(tree, first, last, records);
    if (int rc = WalkPositions(tree, 1, first - 1, records)) return rc;
    return WalkPositions(tree, last + 1, total, records);
  });
  if (rc) return rc;
  for (uint32_t record : records) out.Set(record);
  if (inverted) out.Invert();
  return kOk;
}

int TIndexFile::BuildLiveBitmap(TRecordBitmap& out) {
  const uint32_t slots = host_.SlotCount();
  out = TRecordBitmap(slots);
  if (!HasPrimary()) {
    // No record index: the data file's slots say which records are deleted.
    // Without such a source every slot counts as live.
    if (slotLiveSource_) return slotLiveSource_(out);
    out.SetAll();
    return kOk;
  }
  std::vector<uint32_t> records;
  bool inverted = false;
  int rc = Retrying([&] {
    records.clear();
    TIndexTree tree(*this, kRecordIndexSlot);
    const uint8_t deleted = 1, inUse = 0;
    uint32_t firstDeleted, lastDeleted, total;
    if (int rc = KeyRangeBounds(tree, &deleted, 1, &deleted, 1, &firstDeleted, &lastDeleted)) return rc;
    if (int rc = tree.Total(&total)) return rc;
    const int64_t deletedCount = lastDeleted >= firstDeleted ? int64_t(lastDeleted) - firstDeleted + 1 : 0;
    const int64_t inUseCount = int64_t(total) - deletedCount;
    // Walk whichever set is smaller.
    inverted = inUseCount - deletedCount >= deletedCount;
    if (inverted) return WalkPositions(tree, firstDeleted, lastDeleted, records);
    uint32_t firstInUse, lastInUse;
    if (int rc = KeyRangeBounds(tree, &inUse, 1, &inUse, 1, &firstInUse, &lastInUse)) return rc;
    return WalkPositions(tree, firstInUse, lastInUse, records);
  });
  if (rc) return rc;
  for (uint32_t record : records) out.Set(record);
  if (inverted) out.Invert();
  return kOk;
}

}  // namespace isam
