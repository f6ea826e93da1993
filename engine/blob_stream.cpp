#include "engine/blob_stream.h"

#include <algorithm>

#include "engine/blob/blob_file.h"
#include "engine/filter/dataset_error.h"
#include "engine/errors.h"
#include "engine/field.h"
#include "engine/data/data_file.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/table.h"
#include "engine/file/file_session.h"

namespace isam {

namespace {

TBlobFile& BlobOf(TIsamTable& table, const TIsamField& field) {
  TBlobFile* blob = table.DataFile()->Blob();
  if (!blob || !field.IsBlob()) ThrowEngineError(ReportError(kInvalidBlobField, table.Path(), field.FieldName()));
  return *blob;
}

}  // namespace

class TIsamBlobStream::Operation {
 public:
  explicit Operation(TIsamTable& table) : frame_((table.Enter(), *table.DataFile())) { Check(frame_.status()); }

 private:
  TDataFile::ReadFrame frame_;
};

TIsamBlobStream::TIsamBlobStream(TIsamField& field, TBlobStreamMode mode)
    : field_(field), table_(field.Table()), mode_(mode) {
  table_.CheckActive();
  if (mode != TBlobStreamMode::bmRead) {
    if (field.ReadOnly()) throw EDatabaseError::WithArg("Field '%s' cannot be modified", field.FieldName());
    TDataSetState state = table_.State();
    if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert) {
      throw EDatabaseError("Dataset not in edit or insert mode");
    }
  }
  Operation operation(table_);
  TBlobFile& blob = BlobOf(table_, field);
  uint8_t* image = table_.buffer_.Image();
  if (!table_.BlobModified(field)) {
    // A record's blocks carry its slot number; a new record has none yet.
    uint32_t record = table_.buffer_.Flag() == bfCurrent ? SlotNumberOf(image) : 0;
    Check(blob.OpenBlob(image, field.FieldNo(), record));
  }
  open_ = true;
  if (mode == TBlobStreamMode::bmWrite) Truncate();
}

TIsamBlobStream::~TIsamBlobStream() {
  try {
    Close();
  } catch (...) {
    // Closing cannot report from a destructor; the buffer keeps its state.
  }
}

uint32_t TIsamBlobStream::Read(void* buffer, uint32_t count) {
  if (!open_) return 0;
  Operation operation(table_);
  uint32_t done = 0;
  int rc = BlobOf(table_, field_).ReadBlob(table_.buffer_.Image(), field_.FieldNo(), position_, count, buffer, &done);
  if (rc == kInvalidBlobOffset) return 0;
  if (rc != kOk && rc != kBlobEndedEarly) Check(rc);
  position_ += done;
  return done;
}

uint32_t TIsamBlobStream::Write(const void* buffer, uint32_t count) {
  if (!open_ || mode_ == TBlobStreamMode::bmRead) {
    throw EDatabaseError::WithArg("Field '%s' cannot be modified", field_.FieldName());
  }
  Operation operation(table_);
  Check(BlobOf(table_, field_).WriteBlob(table_.buffer_.Image(), field_.FieldNo(), position_, count, buffer));
  position_ += count;
  written_ = true;
  return count;
}

uint32_t TIsamBlobStream::Size() const {
  if (!open_) return 0;
  Operation operation(table_);
  uint32_t size = 0;
  Check(BlobOf(table_, field_).GetBlobSize(table_.buffer_.Image(), field_.FieldNo(), &size));
  return size;
}

uint32_t TIsamBlobStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : Size();
  position_ = static_cast<uint32_t>(std::clamp<int64_t>(base + offset, 0, UINT32_MAX));
  return position_;
}

void TIsamBlobStream::Truncate() {
  if (!open_ || mode_ == TBlobStreamMode::bmRead) {
    throw EDatabaseError::WithArg("Field '%s' cannot be modified", field_.FieldName());
  }
  Operation operation(table_);
  Check(BlobOf(table_, field_).SetBlobSize(table_.buffer_.Image(), field_.FieldNo(), position_));
  written_ = true;
}

void TIsamBlobStream::Close() {
  if (!open_) return;
  open_ = false;
  if (!table_.Active()) return;
  if (written_) {
    table_.MarkBlobModified(field_);
  } else if (!table_.BlobModified(field_)) {
    Operation operation(table_);
    // The value may already have gone with the buffer (the cursor moved).
    if (TBlobFile* blob = table_.DataFile()->Blob()) blob->CloseBlob(table_.buffer_.Image(), field_.FieldNo());
  }
}

}  // namespace isam
