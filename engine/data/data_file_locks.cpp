// TDataFile: operation frames, the read lock around disk reads, and the check
// for other users' changes (the update counters of the three files).
#include "engine/data/data_file.h"

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/file/le.h"
#include "engine/index/index_file.h"

namespace isam {

TDataFile::ReadFrame::ReadFrame(TDataFile& file) : file_(file) {
  if (file_.strictChangeDetection_ && file_.locks_ && file_.locks_->Active() && !file_.locks_->HoldsTableLock()) {
    status_ = file_.locks_->LockRead();
    bool changed = false;
    if (status_ == kOk) status_ = file_.CheckForChanges(&changed, true);
  }
}

TDataFile::ReadFrame::~ReadFrame() {
  file_.RunReloadListener();
  if (file_.locks_ && file_.locks_->ReadLocked() && !file_.locks_->WriteLocked()) file_.locks_->UnlockRead();
}

bool TDataFile::HoldsTableLock() const { return locks_ && locks_->WriteLocked(); }

int TDataFile::BeforeDiskRead() {
  if (insideCheck_ || !locks_ || !locks_->Active() || locks_->HoldsTableLock()) return kOk;
  if (int rc = locks_->LockRead()) return rc;
  bool changed = false;
  if (int rc = CheckForChanges(&changed, false)) {
    locks_->UnlockRead();
    return rc;
  }
  return changed ? kRestart : kOk;
}

int TDataFile::ReadHeader() {
  uint8_t raw[kDataHeaderSize];
  if (int rc = Read(0, raw, sizeof raw)) return rc;
  TDataHeader fresh = TDataHeader::Decode(raw);
  if (fresh.version != kFormatVersion || fresh.recordSize != header_.recordSize ||
      fresh.fieldCount != header_.fieldCount || fresh.nextRecord == 0) {
    return Fail(kHeaderCorrupt);
  }
  header_ = fresh;
  headerChanged_ = false;
  return kOk;
}

int TDataFile::WriteHeader() {
  ++header_.updateCounter;
  uint8_t raw[kDataHeaderSize];
  header_.timeStamp = HeaderTimeStamp();
  header_.Encode(raw, headerChanged_);
  if (int rc = Write(0, raw, sizeof raw)) return rc;
  headerChanged_ = false;
  return kOk;
}

int TDataFile::CheckForChanges(bool* changed, bool reposition) {
  *changed = false;
  // A table open exclusively (or read-only by attribute) has no other users
  // whose changes could show.
  if (insideCheck_ || !locks_ || !locks_->Active()) return kOk;
  insideCheck_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{insideCheck_};

  std::string bookmark = index_->CurrentKey();
  uint32_t diskCounter = 0;
  if (int rc = index_->ReadDiskCounter(&diskCounter)) return rc;
  if (diskCounter != index_->Counter()) {
    if (int rc = index_->Reload()) return rc;
    if (int rc = ReadHeader()) return rc;
    *changed = true;
  } else {
    uint8_t raw[4];
    if (int rc = ReadHead(0, raw, sizeof raw)) return rc;
    if (GetU32(raw) != header_.updateCounter) {
      if (int rc = ReadHeader()) return rc;
      *changed = true;
    }
  }
  if (*changed) {
    cache_.DropAll();
    currentSlot_ = 0;
    if (reposition && !bookmark.empty()) {
      uint32_t slot = 0;
      if (index_->GoToKey(bookmark, &slot) == kOk) currentSlot_ = slot;
    }
  }
  if (blob_) {
    uint32_t blobCounter = 0;
    if (int rc = blob_->ReadDiskCounter(&blobCounter)) return rc;
    if (blobCounter != blob_->Counter()) {
      if (int rc = blob_->Reload()) return rc;
      *changed = true;
    }
  }
  if (*changed) reloadPending_ = true;
  // A check made inside an index or blob operation (before one of its disk
  // reads) must not rebuild record bitmaps under that operation's feet: the
  // listener runs when the data file's operation ends.
  if (!reposition) return kOk;
  RunReloadListener();
  return kOk;
}

void TDataFile::RunReloadListener() {
  if (!reloadPending_ || insideListener_) return;
  reloadPending_ = false;
  insideListener_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{insideListener_};
  if (reloadListener_) reloadListener_();
}

int TDataFile::Refresh() {
  if (!locks_ || !locks_->Active()) return kOk;
  if (int rc = locks_->LockRead()) return rc;
  bool changed = false;
  int rc = CheckForChanges(&changed, true);
  locks_->UnlockRead();
  return rc;
}

int TDataFile::LockRecord(uint32_t slot) { return locks_->LockRecord(slot); }
int TDataFile::UnlockRecord(uint32_t slot) { return locks_->UnlockRecord(slot); }

}  // namespace isam
