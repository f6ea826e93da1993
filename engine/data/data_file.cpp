// TDataFile: configuration, opening (header, password, field descriptors,
// the index and blob files, the lock map) and closing.
#include "engine/data/data_file.h"

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/file/cipher.h"
#include "engine/file/field_values.h"
#include "engine/file/file_session.h"
#include "engine/index/index_file.h"

namespace isam {

TDataFile::TDataFile() : TFileHandler(".DAT") {}

TDataFile::~TDataFile() { Close(); }

int TDataFile::Fail(int code, std::string_view field) const {
  return ReportError(code, Path(), field);
}

void TDataFile::SetForceBufferFlush(bool on) {
  if (IsOpen()) return;
  forceBufferFlush_ = on;
  SetWriteThrough(on);
}

void TDataFile::SetLockRetryCount(int count) {
  lockRetryCount_ = count;
  if (locks_) locks_->SetLockRetryCount(count);
}

void TDataFile::SetLockWaitTime(uint32_t milliseconds) {
  lockWaitTime_ = milliseconds;
  if (locks_) locks_->SetLockWaitTime(milliseconds);
}

int TDataFile::Open() {
  if (IsOpen()) return kOk;
  int result = OpenFiles();
  if (result != kOk) CloseFiles();
  return result;
}

int TDataFile::OpenFiles() {
  if (int rc = TFileHandler::Open()) return rc;
  uint8_t raw[kDataHeaderSize];
  if (int rc = Read(0, raw, sizeof raw)) return rc;
  header_ = TDataHeader::Decode(raw);
  headerChanged_ = false;
  if (header_.version != kFormatVersion) return Fail(kWrongVersion);
  if (header_.languageId != 0) {
    locale_ = FindTableLocale(header_.languageId, header_.sortId);
    if (!locale_) return Fail(kLanguageDriverMissing);
  }
  if (int rc = CheckPassword()) return rc;
  if (int rc = CheckDescriptors()) return rc;

  cache_.Reset(header_.recordSize);
  currentSlot_ = 0;

  index_ = std::make_unique<TIndexFile>(*this);
  if (header_.hasBlobs) blob_ = std::make_unique<TBlobFile>(*this, header_.blobBlockSize);
  for (TFileHandler* file : {static_cast<TFileHandler*>(index_.get()), static_cast<TFileHandler*>(blob_.get())}) {
    if (!file) continue;
    file->SetPath(Path());
    file->SetErrorPath(Path());
    file->SetExclusive(Exclusive());
    file->SetReadOnly(ReadOnly());
    file->SetWriteThrough(forceBufferFlush_);
  }
  index_->SetSlotLiveSource([this](TRecordBitmap& out) { return BuildSlotLiveBitmap(out); });
  if (int rc = index_->Open()) return rc;
  if (blob_) {
    if (int rc = blob_->Open()) return rc;
  }
  locks_ = std::make_unique<TTableLocks>(*this, *index_, blob_.get());
  locks_->SetLockRetryCount(lockRetryCount_);
  locks_->SetLockWaitTime(lockWaitTime_);

  // The file's length must agree with the header's slot count. A writer of
  // another process appends a slot before it rewrites the header, so a shared
  // open looks under the read lock (which waits for writers to finish) and
  // reads the header again there.
  const bool shared = locks_->Active();
  if (shared) {
    if (int rc = locks_->LockRead()) return rc;
  }
  uint64_t size = 0;
  int rc = shared ? ReadHeader() : kOk;
  if (rc == kOk) rc = Size(&size);
  if (shared) locks_->UnlockRead();
  if (rc != kOk) return rc;
  const uint64_t descriptorsEnd = kDataHeaderSize + kFieldDescriptorSize * fields_.size();
  if (size < descriptorsEnd) return Fail(kHeaderCorrupt);
  const uint64_t body = size - descriptorsEnd;
  if (body % header_.recordSize != 0 || body / header_.recordSize + 1 != header_.nextRecord)
    return Fail(kHeaderCorrupt);
  return kOk;
}

int TDataFile::CheckPassword() {
  if (!header_.hasPassword) return kOk;
  for (;;) {
    TFileSession* session = CurrentFileSession();
    if (session && session->passwords.Contains(header_.password)) return kOk;
    if (!passwordCallback_ || !passwordCallback_()) return Fail(kPasswordRequired);
  }
}

int TDataFile::CheckDescriptors() {
  size_t count = header_.fieldCount;
  if (count == 0 || count > kMaxFields) return Fail(kHeaderCorrupt);
  std::vector<uint8_t> raw(count * kFieldDescriptorSize);
  if (int rc = Read(kDataHeaderSize, raw.data(), raw.size())) return rc;
  fields_.clear();
  uint32_t running = kRecordPrefixSize;
  for (size_t i = 0; i < count; ++i) {
    uint8_t* at = raw.data() + i * kFieldDescriptorSize;
    if (header_.hasPassword) ApplyCipher(at, kFieldDescriptorSize, kDataBlockCipher);
    TFieldDesc field = DecodeFieldDescriptor(at);
    field.storedSize = (field.type >= 1 && field.type <= 14) ? StoredSizeFor(field.type, field.declaredSize)
                                                             : field.declaredSize;
    field.storedScale = field.declaredScale;
    // A string of declared size 255 would need 256 bytes, more than a
    // descriptor's stored size can say.
    bool ok = field.number == i + 1 && !(field.type == kFieldString && field.declaredSize == 255);
    if (field.IsAutoIncrement()) {
      ok = ok && field.offset == kAutoIncrementOffset;
    } else if (field.IsComputed()) {
      ok = ok && field.offset == 0;
    } else {
      ok = ok && field.offset == running;
      running += field.storedSize + 1u;
    }
    if (!ok || running > 0xFFFF) return Fail(kHeaderCorrupt);
    fields_.push_back(std::move(field));
  }
  if (header_.recordSize != running || header_.mustBeZero != 0) return Fail(kHeaderCorrupt);

  // Limits and defaults, converted once.
  minimums_.assign(count, {});
  maximums_.assign(count, {});
  hasValidity_ = hasDefaults_ = false;
  for (size_t i = 0; i < count; ++i) {
    const TFieldDesc& f = fields_[i];
    hasDefaults_ |= !f.defaultText.empty();
    hasValidity_ |= f.required;
    bool limited = f.type != kFieldBoolean && f.type != kFieldBlob && f.type != kFieldBytes &&
                   f.type != kFieldInt32Raw && f.type != kFieldTenBytes && f.type != kFieldVarBytes;
    std::string error;
    auto encode = [&](const std::string& text, std::vector<uint8_t>& out) {
      if (text.empty() || !limited) return;
      out.assign(f.storedSize, 0);
      if (!EncodeValueText(f, text, out.data(), &error)) out.clear();
      hasValidity_ |= !out.empty();
    };
    encode(f.minText, minimums_[i]);
    encode(f.maxText, maximums_[i]);
  }
  return kOk;
}

void TDataFile::Close() {
  if (!IsOpen()) return;
  if (Exclusive() && !ReadOnly()) {
    WriteBack(false);
    cache_.Trim();
    if (index_ && index_->IsOpen()) index_->Flush(false);
    if (blob_ && blob_->IsOpen()) blob_->Flush(false);
  }
  CloseFiles();
}

void TDataFile::CloseFiles() {
  if (locks_) locks_->ReleaseAll();
  locks_.reset();
  if (blob_) blob_->Close();
  if (index_) index_->Close();
  blob_.reset();
  index_.reset();
  locale_.reset();
  cache_.DropAll();
  fields_.clear();
  currentSlot_ = 0;
  TFileHandler::Close();
}

}  // namespace isam
