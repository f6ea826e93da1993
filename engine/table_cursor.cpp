// Moving a table cursor, its record buffer, bookmarks and key searches.
//
// The data file is kept on the record the buffer holds: every move that
// fails or runs off an end puts it back (Resync), so that the next move
// starts from the record the caller sees.
#include <algorithm>

#include "engine/blob/blob_file.h"
#include "engine/filter/dataset_error.h"
#include "engine/errors.h"
#include "engine/data/data_file.h"
#include "engine/file/file_session.h"
#include "engine/index/index_file.h"
#include "engine/session.h"
#include "engine/table.h"

namespace isam {

void TIsamTable::Enter() const {
  if (session_) session_->MakeCurrent();
}

// ---------------------------------------------------------------- the buffer

void TIsamTable::DiscardBufferBlobs() noexcept {
  if (file_ && file_->Blob() && buffer_.Size()) file_->Blob()->CloseImageBlobs(buffer_.Image());
  std::fill(blobModified_.begin(), blobModified_.end(), false);
}

void TIsamTable::LoadCurrent() {
  int rc = file_->ReadCurrent(spare_.Image());
  uint32_t position = 0;
  if (rc == kOk) rc = file_->Position(&position);
  if (rc != kOk) RaiseAfterResync(rc);
  spare_.SetRecordNumber(static_cast<int32_t>(position));
  spare_.SetFlag(bfCurrent);
  spare_.SetBookmark(file_->Bookmark());
  DiscardBufferBlobs();
  std::swap(buffer_, spare_);
  modified_ = false;
}

void TIsamTable::LoadEmpty(TBookmarkFlag flag) {
  DiscardBufferBlobs();
  buffer_.ClearAs(flag);
  modified_ = false;
}

void TIsamTable::Resync() noexcept {
  if (!file_) return;
  if (HasCurrentRecord()) {
    file_->MoveToBookmark(buffer_.Bookmark());
  } else {
    file_->BeforeFirst();
  }
}

void TIsamTable::RaiseAfterResync(int rc) {
  TFileSession* record = CurrentFileSession();
  ErrorContext context = record ? record->lastError : ErrorContext{};
  Resync();
  if (record) record->lastError = context;
  ThrowEngineError(rc);
}

void TIsamTable::Moved() {
  LoadCurrent();
  atStart_ = atEnd_ = false;
}

void TIsamTable::EndPendingEdit() {
  switch (State()) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
      UpdateRecord();
      if (modified_) {
        PostRecord();
      } else {
        CancelRecord();
      }
      break;
    case TDataSetState::dsSetKey: SetState(TDataSetState::dsBrowse); break;
    default: break;
  }
}

// ---------------------------------------------------------------- moves

void TIsamTable::MoveFirst() { MoveToEnd(false); }
void TIsamTable::MoveLast() { MoveToEnd(true); }

void TIsamTable::MoveToEnd(bool last) {
  CheckActive();
  EndPendingEdit();
  Fire(BeforeScroll);
  Enter();
  int rc = last ? file_->MoveLast() : file_->MoveFirst();
  if (rc == kEndOfFile || rc == kBeginningOfFile) {
    LoadEmpty(last ? bfEOF : bfBOF);
    atStart_ = atEnd_ = true;
  } else {
    if (rc != kOk) RaiseAfterResync(rc);
    Moved();
    (last ? atEnd_ : atStart_) = true;
  }
  Fire(AfterScroll);
  DataEvent(TDataEvent::deDataSetScroll);
}

void TIsamTable::MoveNext() { MoveStep(true); }
void TIsamTable::MovePrior() { MoveStep(false); }

void TIsamTable::MoveStep(bool forward) {
  CheckActive();
  EndPendingEdit();
  Fire(BeforeScroll);
  Enter();
  int rc = forward ? file_->MoveNext() : file_->MovePrior();
  if (rc == (forward ? kEndOfFile : kBeginningOfFile)) {
    // Past the end: the current record stays what it was.
    (forward ? atEnd_ : atStart_) = true;
    Resync();
    return;
  }
  if (rc != kOk) RaiseAfterResync(rc);
  Moved();
  Fire(AfterScroll);
  DataEvent(TDataEvent::deDataSetScroll);
}

int32_t TIsamTable::RecordNumber() const {
  CheckActive();
  return buffer_.RecordNumber();
}

void TIsamTable::SetRecordNumber(int32_t number) {
  CheckActive();
  EndPendingEdit();
  if (number == buffer_.RecordNumber()) return;
  Fire(BeforeScroll);
  Enter();
  int rc = number > 0 ? file_->MoveToPosition(static_cast<uint32_t>(number))
                      : ReportError(kRecordNotFound, path_);
  if (rc != kOk) RaiseAfterResync(rc);
  Moved();
  Fire(AfterScroll);
  DataEvent(TDataEvent::deDataSetScroll);
}

int32_t TIsamTable::CountRecords() {
  CheckActive();
  Enter();
  uint32_t count = 0;
  Check(file_->Count(&count));
  return static_cast<int32_t>(count);
}

bool TIsamTable::IsTableEmpty() { return CountRecords() == 0; }

// ---------------------------------------------------------------- bookmarks

TBookmark TIsamTable::SaveBookmark() const {
  CheckActive();
  return HasCurrentRecord() ? buffer_.Bookmark() : TBookmark{};
}

void TIsamTable::ReturnToBookmark(const TBookmark& bookmark) {
  CheckActive();
  EndPendingEdit();
  if (bookmark.empty()) return;
  Fire(BeforeScroll);
  Enter();
  int rc = file_->MoveToBookmark(bookmark);
  if (rc != kOk) RaiseAfterResync(rc);
  Moved();
  Fire(AfterScroll);
  DataEvent(TDataEvent::deDataSetScroll);
}

// ---------------------------------------------------------------- key search

void TIsamTable::BeginKeySearch() {
  CheckActive();
  EndPendingEdit();
  savedKey_ = keyBuffers_[0];
  keyBuffers_[0].Clear();
  SetState(TDataSetState::dsSetKey);
  DataEvent(TDataEvent::deDataSetChange);
}

bool TIsamTable::SeekKey() {
  CheckActive();
  if (State() == TDataSetState::dsSetKey) SetState(TDataSetState::dsBrowse);
  EndPendingEdit();
  Enter();
  TIndexFile& index = file_->Index();
  if (index.PhysicalOrder()) return false;  // no index, no key
  int slot = index.CurrentIndex();
  const TKeyBuffer& keyBuffer = keyBuffers_[0];
  int fields = static_cast<int>(keyBuffer.FieldCount());
  if (fields == 0) fields = index.Descriptor(slot).fieldCount;
  std::vector<uint8_t> key(index.KeyLength(slot));
  size_t length = index.BuildKey(slot, keyBuffer.Image(), 0, key.data(), fields);
  bool exact = false;
  int rc = file_->MoveToKey(key.data(), length, &exact);
  if (rc == kOk && exact) {
    Fire(BeforeScroll);
    Moved();
    Fire(AfterScroll);
    DataEvent(TDataEvent::deDataSetScroll);
    return true;
  }
  if (rc != kOk && rc != kEndOfFile && rc != kBeginningOfFile && rc != kKeyNotFound) RaiseAfterResync(rc);
  Resync();
  return false;
}

}  // namespace isam
