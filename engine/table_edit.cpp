// Editing with a table cursor: edit, insert, post, cancel, delete, and the
// rules for writing fields into the buffer.
#include <algorithm>
#include <utility>

#include "engine/blob/blob_file.h"
#include "engine/filter/dataset_error.h"
#include "engine/errors.h"
#include "engine/data/data_file.h"
#include "engine/file/file_session.h"
#include "engine/index/index_file.h"
#include "engine/table.h"

namespace isam {

void TIsamTable::CheckWritable() const {
  if (readOnly_) {
    Enter();
    ThrowEngineError(ReportError(kAccessDenied, path_));
  }
}

// ---------------------------------------------------------------- edit and insert

void TIsamTable::BeginEdit() {
  CheckActive();
  if (State() == TDataSetState::dsEdit || State() == TDataSetState::dsInsert) return;
  if (!HasCurrentRecord()) {
    BeginInsert();  // nothing to edit: a new record instead
    return;
  }
  EndPendingEdit();
  CheckWritable();
  Fire(BeforeEdit);
  Enter();
  // Lock the record (retrying as LockRetryCount says), then look for other
  // users' changes before reading it: an image served from the cache could
  // predate them, and posting it would undo their work.
  uint32_t slot = file_->CurrentSlot();
  int rc = file_->LockRecord(slot);
  if (rc != kOk) ThrowEngineError(rc);
  rc = file_->Refresh();
  if (rc == kOk) rc = file_->ReadCurrent(spare_.Image());
  if (rc != kOk) {
    TFileSession* record = CurrentFileSession();
    ErrorContext context = record ? record->lastError : ErrorContext{};
    file_->UnlockRecord(slot);
    if (record) record->lastError = context;
    ThrowEngineError(rc);
  }
  spare_.SetRecordNumber(buffer_.RecordNumber());
  spare_.SetFlag(bfCurrent);
  spare_.SetBookmark(buffer_.Bookmark());
  DiscardBufferBlobs();
  std::swap(buffer_, spare_);
  saved_ = buffer_;
  modified_ = false;
  SetState(TDataSetState::dsEdit);
  Fire(AfterEdit);
  DataEvent(TDataEvent::deRecordChange);
}

void TIsamTable::BeginInsert() {
  CheckActive();
  EndPendingEdit();
  CheckWritable();
  Fire(BeforeInsert);
  Enter();
  spare_.ClearAs(bfInserted);
  std::string error = file_->InitRecord(spare_.Image());
  if (!error.empty()) throw EDatabaseError(error);
  DiscardBufferBlobs();
  saved_ = buffer_;  // a cancel returns to it
  std::swap(buffer_, spare_);
  modified_ = false;
  SetState(TDataSetState::dsInsert);
  Fire(OnNewRecord);
  Fire(AfterInsert);
  DataEvent(TDataEvent::deDataSetChange);
}

// Records have no order of their own beyond the index: appending and
// inserting both post a new record that the index places.
void TIsamTable::BeginAppend() { BeginInsert(); }

// ---------------------------------------------------------------- post and cancel

void TIsamTable::PostRecord() {
  CheckActive();
  TDataSetState state = State();
  if (state == TDataSetState::dsSetKey) {
    SetState(TDataSetState::dsBrowse);
    return;
  }
  if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert) return;
  UpdateRecord();
  Fire(BeforePost);
  Enter();
  int rc = state == TDataSetState::dsInsert ? file_->AddRecord(buffer_.Image())
                                            : file_->ModifyCurrent(buffer_.Image(), true);
  if (rc != kOk) ThrowEngineError(rc);  // still editing, the buffer as it was
  // The data file saved the open blob values and put their references back.
  std::fill(blobModified_.begin(), blobModified_.end(), false);
  SetState(TDataSetState::dsBrowse);
  FilterRecordChanged();
  Moved();
  Fire(AfterPost);
  DataEvent(TDataEvent::deDataSetChange);
}

void TIsamTable::CancelRecord() {
  CheckActive();
  TDataSetState state = State();
  if (state == TDataSetState::dsSetKey) {
    keyBuffers_[0] = savedKey_;
    SetState(TDataSetState::dsBrowse);
    return;
  }
  if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert) return;
  Fire(BeforeCancel);
  Enter();
  DiscardBufferBlobs();
  int rc = kOk;
  if (state == TDataSetState::dsEdit) rc = file_->UnlockRecord(file_->CurrentSlot());
  std::swap(buffer_, saved_);
  modified_ = false;
  SetState(TDataSetState::dsBrowse);
  if (rc != kOk) ThrowEngineError(rc);
  Fire(AfterCancel);
  DataEvent(TDataEvent::deDataSetChange);
}

// ---------------------------------------------------------------- delete

void TIsamTable::DeleteRecord() {
  CheckActive();
  TDataSetState state = State();
  if (state == TDataSetState::dsInsert || state == TDataSetState::dsSetKey) {
    CancelRecord();
    return;
  }
  if (!HasCurrentRecord()) throw EDatabaseError("Cannot perform this operation on an empty dataset");
  CheckWritable();
  Fire(BeforeDelete);
  Fire(BeforeScroll);
  Enter();
  if (state == TDataSetState::dsEdit) DiscardBufferBlobs();
  uint32_t slot = file_->CurrentSlot();
  int rc = file_->DeleteCurrent();  // also releases an edit's record lock
  if (rc != kOk) ThrowEngineError(rc);
  if (state == TDataSetState::dsEdit) {
    std::swap(buffer_, saved_);
    SetState(TDataSetState::dsBrowse);
  }
  FilterRecordDeleted(slot);
  // On to the record that followed, or the new last one.
  rc = file_->MoveNext();
  if (rc == kEndOfFile) rc = file_->MovePrior();
  if (rc == kEndOfFile || rc == kBeginningOfFile) {
    LoadEmpty(bfEOF);
    atStart_ = atEnd_ = true;
  } else {
    if (rc != kOk) ThrowEngineError(rc);
    Moved();
  }
  Fire(AfterDelete);
  Fire(AfterScroll);
  DataEvent(TDataEvent::deDataSetChange);
}

// ---------------------------------------------------------------- field writes

uint8_t* TIsamTable::ActiveImage() {
  return const_cast<uint8_t*>(std::as_const(*this).ActiveImage());
}

const uint8_t* TIsamTable::ActiveImage() const {
  switch (State()) {
    case TDataSetState::dsSetKey: return keyBuffers_[0].Image();
    case TDataSetState::dsFilter: return filterImage_.data();
    default: return buffer_.Image();
  }
}

uint8_t* TIsamTable::BeginFieldWrite(TIsamField& field) {
  CheckActive();
  TDataSetState state = State();
  bool keyEdit = state == TDataSetState::dsSetKey;
  if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert && !keyEdit &&
      state != TDataSetState::dsCalcFields && state != TDataSetState::dsFilter) {
    throw EDatabaseError("Dataset not in edit or insert mode");
  }
  if (field.ReadOnly() && !keyEdit && state != TDataSetState::dsFilter) {
    throw EDatabaseError::WithArg("Field '%s' cannot be modified", field.FieldName());
  }
  if (keyEdit) {
    TIndexFile& index = file_->Index();
    int position = -1;
    if (!index.PhysicalOrder()) {
      const TIndexDescriptor& desc = index.Descriptor(index.CurrentIndex());
      for (int i = 0; i < desc.fieldCount && position < 0; ++i) {
        if (desc.fields[i] == field.FieldNo()) position = i;
      }
    }
    if (position < 0) {
      throw EDatabaseError::WithArg("Field '%s' is not indexed and cannot be modified", field.FieldName());
    }
    TKeyBuffer& key = keyBuffers_[0];
    key.SetFieldCount(std::max<uint32_t>(key.FieldCount(), position + 1));
    key.SetModified(true);
  }
  return ActiveImage();
}

void TIsamTable::EndFieldWrite(TIsamField& field) {
  TDataSetState state = State();
  if (state == TDataSetState::dsEdit || state == TDataSetState::dsInsert) modified_ = true;
  DataEvent(TDataEvent::deFieldChange, &field);
}

void TIsamTable::MarkBlobModified(TIsamField& field) {
  if (field.FieldNo() < blobModified_.size()) blobModified_[field.FieldNo()] = true;
  modified_ = true;
  DataEvent(TDataEvent::deFieldChange, &field);
}

bool TIsamTable::BlobModified(const TIsamField& field) const {
  return field.FieldNo() < blobModified_.size() && blobModified_[field.FieldNo()];
}

}  // namespace isam
