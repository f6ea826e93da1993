// TDataFile: adding, modifying and deleting records under the write lock.
#include "engine/data/data_file.h"

#include <cstring>

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/index/index_file.h"

namespace isam {

namespace {
constexpr uint32_t kMaxRecordNumber = 100000000;
constexpr uint64_t kMaxFileBytes = 2000000000;
}  // namespace

namespace {

// Releases the parts of the write lock (and a record lock) when an add,
// modify or delete ends, also on failure.
class WriteFrame {
 public:
  explicit WriteFrame(TTableLocks& locks) : locks_(locks) {}
  ~WriteFrame() {
    // Cleanup must not replace the error of the operation that failed.
    TFileSession* session = CurrentFileSession();
    ErrorContext saved = session ? session->lastError : ErrorContext{};
    if (record_) locks_.UnlockRecord(record_);
    locks_.UnlockWrite();
    if (session) session->lastError = saved;
  }
  void HoldRecord(uint32_t slot) { record_ = slot; }

 private:
  TTableLocks& locks_;
  uint32_t record_ = 0;
};

}  // namespace

int TDataFile::DecideSlot(uint32_t* slot) const {
  if (header_.freeHead != 0 && index_->HasPrimary()) {
    *slot = header_.freeHead;
    return kOk;
  }
  *slot = header_.nextRecord;
  return kOk;
}

int TDataFile::TakeSlot(uint32_t* slot) {
  if (header_.freeHead != 0 && index_->HasPrimary()) {
    *slot = header_.freeHead;
    if (*slot > header_.SlotCount()) return Fail(kHeaderCorrupt);
    if (int rc = Fetch(*slot, 0)) return rc;
    TRecord* entry = cache_.Peek(*slot);
    if (!entry || !SlotIsDeleted(entry->image.data())) return Fail(kHeaderCorrupt);
    header_.freeHead = FreeListLink(entry->image.data());
    headerChanged_ = true;
    return kOk;
  }
  if (uint64_t(header_.nextRecord) + 1 > kMaxRecordNumber ||
      uint64_t(header_.nextRecord) * header_.recordSize > kMaxFileBytes) {
    return Fail(kFileFull);
  }
  *slot = header_.nextRecord++;
  headerChanged_ = true;
  return kOk;
}

int TDataFile::SaveBlobs(uint32_t slot, uint8_t* image) {
  if (!blob_ || blob_->OpenBlobCount() == 0) return kOk;
  if (int rc = blob_->SaveAll(slot)) return rc;
  blob_->StoreReferences(image);
  return kOk;
}

int TDataFile::FinishChange(uint32_t slot, uint8_t* stored, uint8_t* image) {
  // The open blob values of the posted record reach the blob file, and both
  // images get their first-block offsets in place of the open handles.
  if (int rc = SaveBlobs(slot, stored)) return rc;
  if (blob_) {
    blob_->StoreReferences(image);
    blob_->DiscardAll();
  }
  currentSlot_ = slot;
  index_->Resync(slot, stored);
  return WriteThroughAll();
}

int TDataFile::AddRecord(uint8_t* image) {
  ReadFrame frame(*this);
  if (ReadOnly()) return Fail(kAccessDenied);
  WriteFrame write(*locks_);
  if (int rc = locks_->LockWrite()) return rc;
  bool changed = false;
  if (int rc = CheckForChanges(&changed, false)) return rc;

  uint32_t slot = 0;
  DecideSlot(&slot);
  if (int rc = locks_->LockRecord(slot)) return rc;
  write.HoldRecord(slot);
  if (int rc = Validate(image)) return rc;

  uint32_t autoValue = header_.lastAutoIncrement >= 2147483647u ? 1 : header_.lastAutoIncrement + 1;
  SetAutoIncrementOf(image, autoValue);
  SetSlotStatus(image, kSlotLive);
  if (int rc = index_->CheckUnique(image)) return rc;

  uint32_t taken = 0;
  if (int rc = TakeSlot(&taken)) return rc;
  if (taken != slot) return Fail(kHeaderCorrupt);
  SetSlotNumberOf(image, slot);
  if (int rc = index_->InsertRecord(slot, image)) return rc;

  TRecord* entry = TakeEntry(slot);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  header_.lastAutoIncrement = autoValue;
  headerChanged_ = true;
  std::memcpy(entry->image.data(), image, header_.recordSize);
  entry->modified = true;
  return FinishChange(slot, entry->image.data(), image);
}

int TDataFile::LockWriteOnCurrent(uint32_t* slot) {
  if (int rc = locks_->LockWrite()) return rc;
  bool changed = false;
  if (int rc = CheckForChanges(&changed, true)) return rc;
  *slot = currentSlot_;  // the check may have found the record gone
  return *slot == 0 ? Fail(kRecordNotFound) : kOk;
}

int TDataFile::ModifyCurrent(uint8_t* image, bool releaseRecordLock) {
  ReadFrame frame(*this);
  if (ReadOnly()) return Fail(kAccessDenied);
  // A change check since the record was read (opening its blob reads the
  // blob file) drops the cache and forgets the current slot; the index
  // cursor still knows the record, as it does for ReadCurrent.
  if (currentSlot_ == 0) currentSlot_ = index_->CurrentRecord();
  if (currentSlot_ == 0) return Fail(kRecordNotFound);
  WriteFrame write(*locks_);
  uint32_t slot = 0;
  if (int rc = LockWriteOnCurrent(&slot)) return rc;
  if (releaseRecordLock) write.HoldRecord(slot);
  if (int rc = Validate(image)) return rc;
  if (int rc = Fetch(slot, 0)) return rc;
  TRecord* entry = cache_.Peek(slot);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  std::vector<uint8_t> old = entry->image;
  std::memcpy(image, old.data(), kRecordPrefixSize);  // the slot's prefix stays as stored
  if (int rc = index_->CheckUniqueChanged(old.data(), image, slot)) return rc;
  if (int rc = index_->ModifyRecord(slot, old.data(), image)) return rc;
  entry = cache_.Peek(slot);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  std::memcpy(entry->image.data() + kRecordPrefixSize, image + kRecordPrefixSize,
              header_.recordSize - kRecordPrefixSize);
  entry->modified = true;
  return FinishChange(slot, entry->image.data(), image);
}

int TDataFile::DeleteCurrent() {
  ReadFrame frame(*this);
  if (ReadOnly()) return Fail(kAccessDenied);
  if (currentSlot_ == 0) currentSlot_ = index_->CurrentRecord();  // as in ModifyCurrent
  if (currentSlot_ == 0) return Fail(kRecordNotFound);
  WriteFrame write(*locks_);
  uint32_t slot = 0;
  if (int rc = LockWriteOnCurrent(&slot)) return rc;
  if (int rc = locks_->LockRecord(slot)) return rc;
  write.HoldRecord(slot);
  if (int rc = Fetch(slot, 0)) return rc;
  TRecord* entry = cache_.Peek(slot);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  std::vector<uint8_t> image = entry->image;
  if (int rc = index_->DeleteRecord(slot, image.data())) return rc;

  if (blob_) {
    for (const TFieldDesc& f : fields_) {
      if (!f.IsBlob() || GetI32(image.data() + f.DataOffset()) == 0) continue;
      if (int rc = blob_->OpenBlob(image.data(), f.number, slot)) return rc;
      if (int rc = blob_->SetBlobSize(image.data(), f.number, 0)) return rc;
      if (int rc = blob_->SaveAll(slot)) return rc;
      if (int rc = blob_->CloseBlob(image.data(), f.number)) return rc;
    }
  }
  SetSlotStatus(image.data(), kSlotDeleted);
  SetFreeListLink(image.data(), index_->HasPrimary() ? header_.freeHead : 0);
  header_.freeHead = slot;
  headerChanged_ = true;
  entry = cache_.Peek(slot);
  if (!entry) entry = TakeEntry(slot);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  entry->image = image;
  entry->modified = true;
  currentSlot_ = 0;  // the cursor layer moves on from the deleted record
  return WriteThroughAll();
}

int TDataFile::RemoveAll() {
  if (!Exclusive()) return Fail(kNeedsExclusive);
  if (ReadOnly()) return Fail(kAccessDenied);
  if (int rc = Write(kDataHeaderSize + kFieldDescriptorSize * fields_.size(), nullptr, 0)) return rc;
  header_.updateCounter = 0;
  header_.freeHead = 0;
  header_.lastAutoIncrement = 0;
  header_.nextRecord = 1;
  headerChanged_ = true;
  cache_.DropAll();
  if (int rc = index_->Empty()) return rc;
  if (blob_) {
    if (int rc = blob_->Empty()) return rc;
  }
  BeforeFirst();
  return kOk;
}

}  // namespace isam
