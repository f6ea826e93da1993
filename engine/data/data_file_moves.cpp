// TDataFile: moves. The index names the record; the data file fetches it.
#include "engine/data/data_file.h"

#include <cstring>

#include "engine/file/error_codes.h"
#include "engine/index/index_file.h"

namespace isam {

// One move in one frame: locate asks the index for the slot of the record to
// go to (0 with 0 returned: none, past the given end); the record is then
// fetched, reading ahead in the direction of the move.
template <class Locate>
int TDataFile::Move(int direction, int noRecord, Locate locate) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = locate(&slot);
  if (rc == kOk && slot == 0 && noRecord != kOk) rc = noRecord;
  if (rc == kEndOfFile || rc == kBeginningOfFile) {
    currentSlot_ = 0;
    return Fail(rc);
  }
  if (rc != kOk) return rc;
  return Fetch(slot, direction);
}

int TDataFile::MoveFirst() {
  return Move(+1, kEndOfFile, [&](uint32_t* slot) { return index_->First(slot); });
}

int TDataFile::MoveLast() {
  return Move(-1, kBeginningOfFile, [&](uint32_t* slot) { return index_->Last(slot); });
}

int TDataFile::MoveNext() {
  return Move(+1, kOk, [&](uint32_t* slot) { return index_->Next(slot); });
}

int TDataFile::MovePrior() {
  return Move(-1, kOk, [&](uint32_t* slot) { return index_->Prior(slot); });
}

int TDataFile::MoveBy(int32_t n) {
  return Move(n < 0 ? -1 : +1, kOk, [&](uint32_t* slot) { return index_->MoveBy(n, slot); });
}

int TDataFile::MoveToPosition(uint32_t position) {
  return Move(0, kOk, [&](uint32_t* slot) { return index_->GoToPosition(position, slot); });
}

int TDataFile::MoveToBookmark(std::string_view bookmark) {
  return Move(0, kOk, [&](uint32_t* slot) {
    int rc = index_->GoToKey(bookmark, slot);
    return rc == kOk && *slot == 0 ? Fail(kRecordNotFound) : rc;
  });
}

int TDataFile::MoveToKey(const uint8_t* key, size_t length, bool* exact) {
  *exact = false;
  return Move(0, kOk, [&](uint32_t* slot) { return index_->Find(key, length, exact, slot); });
}

void TDataFile::BeforeFirst() {
  index_->BeforeFirst();
  currentSlot_ = 0;
}

void TDataFile::AfterLast() {
  index_->AfterLast();
  currentSlot_ = 0;
}

std::string TDataFile::Bookmark() const { return index_->CurrentKey(); }

int TDataFile::Position(uint32_t* position) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  return index_->Position(position);
}

int TDataFile::Count(uint32_t* count) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  return index_->Count(count);
}

int TDataFile::ReadCurrent(uint8_t* image, bool lock) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  if (currentSlot_ == 0) currentSlot_ = index_->CurrentRecord();
  if (currentSlot_ == 0) {
    InitRecord(image);
    return Fail(index_->AtStart() ? kBeginningOfFile : kEndOfFile);
  }
  if (lock) {
    if (int rc = LockRecord(currentSlot_)) return rc;
  }
  if (int rc = Fetch(currentSlot_, 0)) return rc;
  TRecord* entry = cache_.Peek(currentSlot_);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  std::memcpy(image, entry->image.data(), header_.recordSize);
  return kOk;
}

}  // namespace isam
