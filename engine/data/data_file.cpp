#include "engine/data/data_file.h"

#include <algorithm>
#include <cstring>

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"
#include "engine/file/cipher.h"
#include "engine/file/field_values.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/index/index_file.h"
#include "engine/text/names.h"

namespace isam {

namespace {
constexpr uint32_t kMaxRunBytes = 32767;
constexpr uint32_t kMaxRecordNumber = 100000000;
constexpr uint64_t kMaxFileBytes = 2000000000;
}  // namespace

// Releases, when an operation ends, the read lock that a disk read inside it
// took. With strict change detection it takes the lock (and checks for other
// users' changes) when the operation begins.
class TDataFile::ReadFrame {
 public:
  explicit ReadFrame(TDataFile& file) : file_(file) {
    if (file_.strictChangeDetection_ && file_.locks_ && file_.locks_->Active() &&
        !file_.locks_->HoldsTableLock()) {
      status_ = file_.locks_->LockRead();
      bool changed = false;
      if (status_ == kOk) status_ = file_.CheckForChanges(&changed, true);
    }
  }
  ~ReadFrame() {
    file_.RunReloadListener();
    if (file_.locks_ && file_.locks_->ReadLocked() && !file_.locks_->WriteLocked()) {
      file_.locks_->UnlockRead();
    }
  }
  int status() const { return status_; }

 private:
  TDataFile& file_;
  int status_ = kOk;
};

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

// ---------------------------------------------------------------- opening

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

// ---------------------------------------------------------------- fields

int TDataFile::FieldByNumber(uint16_t number, const TFieldDesc** field) {
  if (number < 1 || number > fields_.size()) return Fail(kInvalidField, std::to_string(number));
  *field = &fields_[number - 1];
  return kOk;
}

int TDataFile::FieldByName(std::string_view name, const TFieldDesc** field) {
  for (const TFieldDesc& f : fields_) {
    if (SameName(f.name, name)) {
      *field = &f;
      return kOk;
    }
  }
  return Fail(kInvalidField, name);
}

bool TDataFile::IsNull(const TFieldDesc& field, const uint8_t* image) {
  if (field.IsBlob() && blob_) {
    int32_t reference = GetI32(image + field.DataOffset());
    if (reference < 0 && blob_->IsOpenHandle(reference)) return blob_->OpenBlobSize(reference) == 0;
  }
  return FieldIsNull(field, image);
}

int TDataFile::GetField(uint16_t number, const uint8_t* image, uint8_t* data, bool* isNull) {
  const TFieldDesc* field = nullptr;
  if (int rc = FieldByNumber(number, &field)) return rc;
  *isNull = IsNull(*field, image);
  if (field->IsBlob()) {
    std::memcpy(data, image + field->DataOffset(), field->storedSize);
  } else {
    GetFieldData(*field, image, data);
  }
  return kOk;
}

std::string TDataFile::InitRecord(uint8_t* image) {
  std::memset(image, 0, header_.recordSize);
  if (!hasDefaults_) return {};
  for (const TFieldDesc& f : fields_) {
    if (f.defaultText.empty() || f.IsComputed() || f.IsBlob()) continue;
    if (f.type == kFieldString) {
      PutFieldString(f, image, f.defaultText);
      continue;
    }
    std::vector<uint8_t> data(f.storedSize);
    std::string error;
    if (!EncodeValueText(f, f.defaultText, data.data(), &error)) return error;
    PutFieldData(f, image, data.data());
  }
  return {};
}

int TDataFile::Validate(const uint8_t* image) {
  if (!hasValidity_) return kOk;
  std::vector<uint8_t> value;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const TFieldDesc& f = fields_[i];
    if (f.IsComputed()) continue;
    if (f.required && IsNull(f, image)) return Fail(kValueRequired, f.name);
    if (minimums_[i].empty() && maximums_[i].empty()) continue;
    value.assign(f.storedSize, 0);
    GetFieldData(f, image, value.data());
    if (!minimums_[i].empty() && CompareStoredValues(f, value.data(), minimums_[i].data()) < 0)
      return Fail(kBelowMinimum, f.name);
    if (!maximums_[i].empty() && CompareStoredValues(f, value.data(), maximums_[i].data()) > 0)
      return Fail(kAboveMaximum, f.name);
  }
  return kOk;
}

// ---------------------------------------------------------------- locks and changes

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
  PutF64(header_.raw.data() + 27, HeaderTimeStamp());
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
    if (int rc = Read(0, raw, sizeof raw)) return rc;
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

// ---------------------------------------------------------------- the record cache

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
    if (image[0] == 0) PutU32(image + 1, slot);
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
    uint32_t perRun = std::max<uint32_t>(1, kMaxRunBytes / header_.recordSize);
    uint32_t first = slot, count = 1;
    if (direction > 0) {
      count = std::min(perRun, header_.SlotCount() - slot + 1);
    } else if (direction < 0) {
      count = std::min(perRun, slot);
    }
    if (const TRecordBitmap* visible = index_->VisibleBitmap(); visible && count > 1) {
      // Behind a filter, read ahead only the records the cursor shows next:
      // a sparse filter otherwise read whole runs to use one record of each.
      uint32_t shown = 1;
      while (shown < count && visible->Test(direction > 0 ? slot + shown : slot - shown)) ++shown;
      count = shown;
    }
    if (direction < 0) first = slot - count + 1;
    if (int rc = ReadRun(first, count)) return rc;
    if (!cache_.Find(slot)) return Fail(kRecordBuffersCorrupt);
    currentSlot_ = slot;
    return kOk;
  }
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
    if (image[0] == 0) out.Set(slot);
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

// ---------------------------------------------------------------- moves

int TDataFile::AfterMove(int result, uint32_t slot, int direction) {
  if (result == kEndOfFile || result == kBeginningOfFile) {
    currentSlot_ = 0;
    return Fail(result);
  }
  if (result != kOk) return result;
  return Fetch(slot, direction);
}

int TDataFile::MoveFirst() {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = index_->First(&slot);
  if (rc == kOk && slot == 0) rc = kEndOfFile;
  return AfterMove(rc, slot, +1);
}

int TDataFile::MoveLast() {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = index_->Last(&slot);
  if (rc == kOk && slot == 0) rc = kBeginningOfFile;
  return AfterMove(rc, slot, -1);
}

int TDataFile::MoveNext() {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = index_->Next(&slot);
  return AfterMove(rc, slot, +1);
}

int TDataFile::MovePrior() {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = index_->Prior(&slot);
  return AfterMove(rc, slot, -1);
}

int TDataFile::MoveBy(int32_t n) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = index_->MoveBy(n, &slot);
  return AfterMove(rc, slot, n < 0 ? -1 : +1);
}

int TDataFile::MoveToPosition(uint32_t position) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = index_->GoToPosition(position, &slot);
  return AfterMove(rc, slot, 0);
}

int TDataFile::MoveToBookmark(std::string_view bookmark) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  int rc = index_->GoToKey(bookmark, &slot);
  if (rc == kOk && slot == 0) return Fail(kRecordNotFound);
  return AfterMove(rc, slot, 0);
}

int TDataFile::MoveToKey(const uint8_t* key, size_t length, bool* exact) {
  ReadFrame frame(*this);
  if (frame.status()) return frame.status();
  uint32_t slot = 0;
  *exact = false;
  int rc = index_->Find(key, length, exact, &slot);
  return AfterMove(rc, slot, 0);
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

// ---------------------------------------------------------------- changes

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
    if (!entry || entry->image[0] != 1) return Fail(kHeaderCorrupt);
    header_.freeHead = GetU32(entry->image.data() + 1);
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
  PutU32(image + 5, autoValue);
  image[0] = 0;
  if (int rc = index_->CheckUnique(image)) return rc;

  uint32_t taken = 0;
  if (int rc = TakeSlot(&taken)) return rc;
  if (taken != slot) return Fail(kHeaderCorrupt);
  PutU32(image + 1, slot);
  if (int rc = index_->InsertRecord(slot, image)) return rc;

  TRecord* entry = TakeEntry(slot);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  header_.lastAutoIncrement = autoValue;
  headerChanged_ = true;
  std::memcpy(entry->image.data(), image, header_.recordSize);
  entry->modified = true;
  return FinishChange(slot, entry->image.data(), image);
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
  if (int rc = locks_->LockWrite()) return rc;
  bool changed = false;
  if (int rc = CheckForChanges(&changed, true)) return rc;
  uint32_t slot = currentSlot_;
  if (slot == 0) return Fail(kRecordNotFound);
  if (releaseRecordLock) write.HoldRecord(slot);
  if (int rc = Validate(image)) return rc;
  if (int rc = Fetch(slot, 0)) return rc;
  TRecord* entry = cache_.Peek(slot);
  if (!entry) return Fail(kRecordBuffersCorrupt);
  std::vector<uint8_t> old = entry->image;
  std::memcpy(image, old.data(), kRecordPrefixSize);  // status, slot, auto-increment value
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
  if (int rc = locks_->LockWrite()) return rc;
  bool changed = false;
  if (int rc = CheckForChanges(&changed, true)) return rc;
  uint32_t slot = currentSlot_;
  if (slot == 0) return Fail(kRecordNotFound);
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
  image[0] = 1;
  PutU32(image.data() + 1, index_->HasPrimary() ? header_.freeHead : 0);
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
