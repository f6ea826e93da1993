// TBlobFile: open values (TBlobBuffer) and the open-blob handles that stand
// in for their references in record images.
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "engine/blob/blob_buffer.h"
#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"

namespace isam {

int TBlobFile::CheckField(uint16_t field) const {
  const auto& fields = host_.Fields();
  if (field == 0 || field > fields.size()) {
    return ReportError(kInvalidBlobField, host_.DataFilePath(), std::to_string(field));
  }
  const TFieldDesc& desc = fields[field - 1];
  if (!desc.IsBlob()) return ReportError(kInvalidBlobField, host_.DataFilePath(), desc.name);
  return kOk;
}

int32_t TBlobFile::Reference(const uint8_t* image, uint16_t field) const {
  const auto& fields = host_.Fields();
  if (field == 0 || field > fields.size()) return 0;
  return GetI32(image + fields[field - 1].DataOffset());
}

void TBlobFile::WriteReference(uint8_t* image, const TBlobBuffer& buffer, bool setNullFlag) const {
  const TFieldDesc& desc = host_.Fields()[buffer.field - 1];
  PutI32(image + desc.DataOffset(), int32_t(buffer.firstBlock));
  if (setNullFlag) image[desc.offset] = buffer.firstBlock != 0 ? 1 : 0;
}

TBlobBuffer* TBlobFile::FindHandle(int32_t handle) const {
  if (handle >= 0) return nullptr;
  for (const auto& buffer : open_) {
    if (buffer->handle == handle) return buffer.get();
  }
  return nullptr;
}

bool TBlobFile::IsOpenHandle(int32_t reference) const { return FindHandle(reference) != nullptr; }

uint32_t TBlobFile::OpenBlobSize(int32_t reference) const {
  TBlobBuffer* buffer = FindHandle(reference);
  return buffer ? uint32_t(buffer->data.size()) : 0;
}

int TBlobFile::FindOpen(const uint8_t* image, uint16_t field, TBlobBuffer** buffer) const {
  if (int rc = CheckField(field)) return rc;
  TBlobBuffer* found = FindHandle(Reference(image, field));
  // A handle copied into another field is no handle of that field.
  if (!found || found->field != field) return Fail(kInvalidBlobHandle);
  *buffer = found;
  return kOk;
}

int TBlobFile::OpenBlob(uint8_t* image, uint16_t field, uint32_t recordNumber) {
  if (int rc = CheckField(field)) return rc;
  int32_t reference = Reference(image, field);
  if (reference < 0) {
    TBlobBuffer* open = FindHandle(reference);
    return open && open->field == field ? kOk : Fail(kInvalidBlobOffset);
  }
  if (open_.size() >= kMaxOpenBlobs) return Fail(kTooManyBlobs);
  auto buffer = std::make_unique<TBlobBuffer>();
  buffer->record = recordNumber;
  buffer->field = field;
  buffer->firstBlock = uint32_t(reference);
  buffer->openedReference = reference;
  if (int rc = ReadValue(*buffer)) return rc;
  do {
    buffer->handle = -nextHandle_;
    nextHandle_ = nextHandle_ == INT32_MAX ? 1 : nextHandle_ + 1;
  } while (FindHandle(buffer->handle));
  PutI32(image + host_.Fields()[field - 1].DataOffset(), buffer->handle);
  open_.push_back(std::move(buffer));
  return kOk;
}

int TBlobFile::ReadBlob(const uint8_t* image, uint16_t field, uint32_t position, uint32_t count,
                        void* destination, uint32_t* done) {
  *done = 0;
  TBlobBuffer* buffer = nullptr;
  if (int rc = FindOpen(image, field, &buffer)) return rc;
  uint64_t size = buffer->data.size();
  uint64_t end = uint64_t(position) + count;
  if (position < size && count > 0) {
    *done = uint32_t(std::min<uint64_t>(end, size) - position);
    std::memcpy(destination, buffer->data.data() + position, *done);
  }
  // Reading past the end is how the stream learns that the value is done:
  // returned, not reported.
  return end > size ? kBlobEndedEarly : kOk;
}

int TBlobFile::WriteBlob(const uint8_t* image, uint16_t field, uint32_t position, uint32_t count,
                         const void* source) {
  TBlobBuffer* buffer = nullptr;
  if (int rc = FindOpen(image, field, &buffer)) return rc;
  uint64_t end = uint64_t(position) + count;
  if (end > kMaxBlobFileOffset) return Fail(kFileFull);
  try {
    if (end > buffer->data.size()) buffer->data.resize(end, 0);
  } catch (const std::bad_alloc&) {
    return ReportError(kOutOfMemory);
  }
  if (count > 0) std::memcpy(buffer->data.data() + position, source, count);
  buffer->modified = true;
  return kOk;
}

int TBlobFile::SetBlobSize(const uint8_t* image, uint16_t field, uint32_t size) {
  TBlobBuffer* buffer = nullptr;
  if (int rc = FindOpen(image, field, &buffer)) return rc;
  if (size > kMaxBlobFileOffset) return Fail(kFileFull);
  if (size == buffer->data.size()) return kOk;
  try {
    buffer->data.resize(size, 0);
  } catch (const std::bad_alloc&) {
    return ReportError(kOutOfMemory);
  }
  buffer->modified = true;
  return kOk;
}

int TBlobFile::GetBlobSize(const uint8_t* image, uint16_t field, uint32_t* size) const {
  *size = 0;
  TBlobBuffer* buffer = nullptr;
  if (int rc = FindOpen(image, field, &buffer)) return rc;
  *size = uint32_t(buffer->data.size());
  return kOk;
}

int TBlobFile::CloseBlob(uint8_t* image, uint16_t field) {
  TBlobBuffer* buffer = nullptr;
  if (int rc = FindOpen(image, field, &buffer)) return rc;
  WriteReference(image, *buffer, buffer->firstBlock != uint32_t(buffer->openedReference));
  open_.erase(std::find_if(open_.begin(), open_.end(),
                           [&](const auto& entry) { return entry.get() == buffer; }));
  return kOk;
}

void TBlobFile::CloseImageBlobs(uint8_t* image) {
  const auto& fields = host_.Fields();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!fields[i].IsBlob()) continue;
    TBlobBuffer* buffer = FindHandle(Reference(image, uint16_t(i + 1)));
    if (buffer && buffer->field == i + 1) CloseBlob(image, uint16_t(i + 1));
  }
}

void TBlobFile::DiscardAll() { open_.clear(); }

int TBlobFile::SaveAll(uint32_t recordNumber) {
  // Values opened for different records must not end up in one chain owner.
  const TBlobBuffer* firstModified = nullptr;
  for (const auto& buffer : open_) {
    if (!buffer->modified) continue;
    if (firstModified && buffer->record != firstModified->record) {
      return Fail(kBlobBuffersCorrupt);
    }
    if (!firstModified) firstModified = buffer.get();
  }
  struct Saved {
    uint32_t record, firstBlock;
    bool modified;
  };
  std::vector<Saved> saved;
  for (const auto& buffer : open_) {
    saved.push_back({buffer->record, buffer->firstBlock, buffer->modified});
  }
  for (int attempt = 0; attempt < kBlobMaxRestarts; ++attempt) {
    int rc = kOk;
    for (auto& buffer : open_) buffer->record = recordNumber;
    for (auto& buffer : open_) {
      if (buffer->modified && (rc = WriteValue(*buffer)) != kOk) break;
    }
    if (rc != kRestart) return rc;
    // Another user's change dropped every cached block: whatever was written
    // went with them, so every value is saved again from the start.
    for (size_t i = 0; i < open_.size(); ++i) {
      open_[i]->record = saved[i].record;
      open_[i]->firstBlock = saved[i].firstBlock;
      open_[i]->modified = saved[i].modified;
    }
  }
  return Fail(kLockFailure);
}

void TBlobFile::StoreReferences(uint8_t* image) const {
  for (const auto& buffer : open_) WriteReference(image, *buffer, true);
}

}  // namespace isam
