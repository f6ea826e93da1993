// TDataFile: the record cache: fetching records in runs, reading slots for
// scans, and writing modified records back.
#include "engine/data/data_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/file/cipher.h"
#include "engine/file/record_fields.h"
#include "engine/index/index_file.h"

namespace isam {

namespace {
constexpr uint32_t kMaxRunBytes = 32767;
}  // namespace

TRecord* TDataFile::TakeEntry(uint32_t slot) {
  if (TRecord* entry = cache_.Take(slot)) return entry;
  WriteBack(false);
  if (TRecord* entry = cache_.Take(slot)) return entry;
  if (HoldsTableLock()) {
    cache_.Grow(1024);
    return cache_.Take(slot);
  }
  return nullptr;
}

int TDataFile::ReadRun(uint32_t first, uint32_t count) {
  const uint16_t size = header_.recordSize;
  // Left uninitialised: the read fills it, and zeroing up to 32 KB for every
  // run cost more than the copies into the cache.
  const size_t length = size_t(count) * size;
  std::unique_ptr<uint8_t[]> run = std::make_unique_for_overwrite<uint8_t[]>(length);
  size_t got = 0;
  if (int rc = Read(SlotOffset(first), run.get(), length, true, &got)) return rc;
  if (got < length && !Exclusive()) return Fail(kReadError);
  uint32_t whole = static_cast<uint32_t>(got / size);
  // Entries of the run are marked while it fills the cache, so that taking
  // an entry for one slot never evicts another slot of the same run.
  std::vector<TRecord*> marked;
  struct Unmark {
    std::vector<TRecord*>& entries;
    ~Unmark() {
      for (TRecord* e : entries) e->marked = false;
    }
  } unmark{marked};
  for (uint32_t i = 0; i < whole; ++i) {
    if (TRecord* entry = cache_.Peek(first + i); entry && !entry->marked) {
      entry->marked = true;
      marked.push_back(entry);
    }
  }
  for (uint32_t i = 0; i < whole; ++i) {
    uint32_t slot = first + i;
    TRecord* entry = cache_.Peek(slot);
    if (entry && (entry->modified || entry->useCount)) continue;
    if (!entry) {
      entry = TakeEntry(slot);
      if (!entry) return Fail(kRecordBuffersCorrupt);
      entry->marked = true;
      marked.push_back(entry);
    }
    uint8_t* image = entry->image.data();
    std::memcpy(image, run.get() + size_t(i) * size, size);
    if (header_.hasPassword) ApplyCipher(image, size, kDataBlockCipher);
    if (SlotIsLive(image)) SetSlotNumberOf(image, slot);
  }
  return kOk;
}

int TDataFile::Fetch(uint32_t slot, int direction) {
  for (int attempt = 0;; ++attempt) {
    if (slot == 0 || slot > header_.SlotCount()) {
      currentSlot_ = 0;
      return slot == 0 ? kOk : Fail(kRecordBuffersCorrupt);
    }
    if (cache_.Find(slot)) {
      currentSlot_ = slot;
      return kOk;
    }
    if (!strictChangeDetection_ && locks_->Active() && !locks_->HoldsTableLock() && attempt < 16) {
      if (int rc = locks_->LockRead()) return rc;
      bool changed = false;
      if (int rc = CheckForChanges(&changed, true)) return rc;
      if (changed) {
        // Another user wrote: ask the index again which record is current.
        slot = index_->CurrentRecord();
        continue;
      }
    }
    if (int rc = ReadAhead(slot, direction)) return rc;
    if (!cache_.Find(slot)) return Fail(kRecordBuffersCorrupt);
    currentSlot_ = slot;
    return kOk;
  }
}

// What the cursor shows next comes with the record, under the one lock and
// change check of this miss: in index order, the next records in the move's
// direction (their slots need not be consecutive), as many as half the record
// cache holds; in physical order, a run of consecutive slots of at most
// 32 767 bytes. The first blocks of their memos come too.
int TDataFile::ReadAhead(uint32_t slot, int direction) {
  const uint32_t perRun = std::max<uint32_t>(1, kMaxRunBytes / header_.recordSize);
  std::vector<uint32_t> slots;
  if (direction != 0 && !index_->PhysicalOrder()) {
    index_->PeekAhead(direction > 0, uint32_t(std::max<size_t>(cache_.Capacity() / 2, 1) - 1), &slots);
    std::erase_if(slots, [&](uint32_t s) { return s == 0 || s > header_.SlotCount() || cache_.Peek(s); });
  } else {
    uint32_t count = 1;
    if (direction > 0) {
      count = std::min(perRun, header_.SlotCount() - slot + 1);
    } else if (direction < 0) {
      count = std::min(perRun, slot);
    }
    if (const TRecordBitmap* visible = index_->VisibleBitmap(); visible && count > 1) {
      // Behind a filter, only the records the cursor shows next: a sparse
      // filter otherwise read whole runs to use one record of each.
      uint32_t shown = 1;
      while (shown < count && visible->Test(direction > 0 ? slot + shown : slot - shown)) ++shown;
      count = shown;
    }
    for (uint32_t i = 1; i < count; ++i) slots.push_back(direction > 0 ? slot + i : slot - i);
  }
  slots.push_back(slot);
  std::sort(slots.begin(), slots.end());
  slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
  // Adjacent slots are read with one call, up to 32 767 bytes each.
  for (size_t i = 0; i < slots.size();) {
    size_t j = i + 1;
    while (j < slots.size() && slots[j] == slots[j - 1] + 1 && j - i < perRun) ++j;
    if (int rc = ReadRun(slots[i], uint32_t(j - i))) return rc;
    i = j;
  }
  if (blob_) {
    for (uint32_t s : slots) {
      if (TRecord* entry = cache_.Peek(s); entry && SlotIsLive(entry->image.data())) blob_->Prefetch(entry->image.data());
    }
  }
  return kOk;
}

int TDataFile::ReadSlot(uint32_t slot, uint8_t* image) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  if (slot == 0 || slot > header_.SlotCount()) return Fail(kRecordNotFound);
  TRecord* entry = cache_.Peek(slot);
  if (!entry) {
    uint32_t perRun = std::max<uint32_t>(1, kMaxRunBytes / header_.recordSize);
    if (int rc = ReadRun(slot, std::min(perRun, header_.SlotCount() - slot + 1))) return rc;
    entry = cache_.Peek(slot);
    if (!entry) return Fail(kRecordBuffersCorrupt);
  }
  std::memcpy(image, entry->image.data(), header_.recordSize);
  return kOk;
}

int TDataFile::BuildSlotLiveBitmap(TRecordBitmap& out) {
  out.Resize(header_.SlotCount());
  out.ClearAll();
  std::vector<uint8_t> image(header_.recordSize);
  for (uint32_t slot = 1; slot <= header_.SlotCount(); ++slot) {
    if (int rc = ReadSlot(slot, image.data())) return rc;
    if (SlotIsLive(image.data())) out.Set(slot);
  }
  return kOk;
}

int TDataFile::WriteBack(bool forceHeader) {
  if (ReadOnly()) return kOk;
  std::vector<TRecord*> modified = cache_.WritableModified();
  const uint16_t size = header_.recordSize;
  std::vector<uint8_t> run;
  for (size_t i = 0; i < modified.size();) {
    size_t j = i + 1;
    while (j < modified.size() && modified[j]->slot == modified[j - 1]->slot + 1) ++j;
    run.resize((j - i) * size);
    for (size_t k = i; k < j; ++k) {
      uint8_t* at = run.data() + (k - i) * size;
      std::memcpy(at, modified[k]->image.data(), size);
      if (header_.hasPassword) ApplyCipher(at, size, kDataBlockCipher);
    }
    if (int rc = Write(SlotOffset(modified[i]->slot), run.data(), run.size())) return rc;
    for (size_t k = i; k < j; ++k) modified[k]->modified = false;
    i = j;
  }
  if (headerChanged_ || forceHeader) return WriteHeader();
  return kOk;
}

int TDataFile::WriteThroughAll() {
  if (Exclusive() || ReadOnlyByAttribute()) return kOk;
  // Blob blocks go first: a writer that dies halfway then never leaves a
  // record on disk whose reference points at a chain not written yet (the
  // other users wait behind the write lock, so the order is ours to choose).
  if (blob_) {
    if (int rc = blob_->Flush(true)) return rc;
  }
  if (int rc = WriteBack(true)) return rc;
  if (int rc = index_->Flush(false)) return rc;
  return kOk;
}

}  // namespace isam
