#include "engine/file/file_handler.h"

#include <algorithm>

#include "engine/file/error_codes.h"
#include "engine/file/guarded_copy.h"
#include "engine/file/file_session.h"

namespace isam {

TFileHandler::TFileHandler(std::string extension) : extension_(std::move(extension)) {}

TFileHandler::~TFileHandler() { file_.reset(); }

int TFileHandler::Fail(int code) const { return ReportError(code, ErrorPath()); }

int TFileHandler::SetPath(std::string_view path) {
  if (IsOpen()) return Fail(kFileInUse);
  path_ = NormaliseName(path);
  return kOk;
}

int TFileHandler::SetExclusive(bool exclusive) {
  if (IsOpen()) return Fail(kFileInUse);
  exclusive_ = exclusive;
  return kOk;
}

int TFileHandler::SetReadOnly(bool readOnly) {
  if (IsOpen()) return Fail(kFileInUse);
  configuredReadOnly_ = readOnly_ = readOnly;
  return kOk;
}

int TFileHandler::SetInMemory(bool inMemory) {
  if (IsOpen()) return Fail(kFileInUse);
  inMemory_ = inMemory;
  return kOk;
}

void TFileHandler::SetWriteThrough(bool writeThrough) {
  if (!IsOpen()) writeThrough_ = writeThrough;
}

std::string TFileHandler::NormaliseName(std::string_view path) const {
  while (!path.empty() && path.front() == ' ') path.remove_prefix(1);
  while (!path.empty() && path.back() == ' ') path.remove_suffix(1);
  std::string name(path);
  size_t slash = name.find_last_of('/');
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.resize(dot);
  return ShortString(name + extension_);
}

bool TFileHandler::Exists() const {
  if (inMemory_) {
    TFileSession* session = CurrentFileSession();
    return session && session->memoryFiles.Contains(path_);
  }
  FileStatus status;
  return CurrentFileSystem().Stat(path_, &status) == 0 && status.exists;
}

int TFileHandler::Open() {
  if (IsOpen()) return kOk;
  if (inMemory_) {
    // Nothing in this system creates an in-memory file, so the name is never
    // in the session's list.
    return ReportError(kInvalidPath, path_);
  }
  FileStatus status;
  if (int error = CurrentFileSystem().Stat(path_, &status)) {
    return ReportError(MapOsError(error), path_);
  }
  if (!status.exists) return ReportError(kInvalidPath, path_);
  readOnlyByAttribute_ = status.readOnlyAttribute;
  readOnly_ = configuredReadOnly_ || readOnlyByAttribute_;
  ShareMode share = exclusive_ ? ShareMode::kExclusive : ShareMode::kShared;
  if (int error = CurrentFileSystem().Open(path_, !readOnly_, share, writeThrough_, &file_)) {
    Close();
    return ReportError(MapOsError(error), path_);
  }
  return kOk;
}

void TFileHandler::Close() {
  file_.reset();
  locks_.clear();
  readOnlyByAttribute_ = false;
  readOnly_ = configuredReadOnly_;
}

int TFileHandler::Create() {
  if (IsOpen()) return Fail(kFileInUse);
  if (int error = CurrentFileSystem().Create(path_, &file_)) {
    file_.reset();
    return ReportError(MapOsError(error), path_);
  }
  readOnly_ = readOnlyByAttribute_ = false;
  return kOk;
}

int TFileHandler::Read(uint64_t offset, void* buffer, size_t count, bool partialAllowed,
                       size_t* done) {
  if (!IsOpen()) return Fail(kInvalidHandle);
  size_t got = 0;
  int error = file_->ReadAt(offset, buffer, count, &got);
  if (done) *done = got;
  if (error) return Fail(kReadError);
  if (got < count && !partialAllowed) return Fail(kReadError);
  return kOk;
}

int TFileHandler::ReadHead(uint64_t offset, void* buffer, size_t count) {
  if (!IsOpen()) return Fail(kInvalidHandle);
  const uint8_t* head = offset + count <= kHeadBytes ? file_->Head() : nullptr;
  if (!head) return Read(offset, buffer, count);
  if (!GuardedCopy(buffer, head + offset, count)) return Fail(kReadError);
  return kOk;
}

int TFileHandler::Write(uint64_t offset, const void* buffer, size_t count) {
  if (!IsOpen()) return Fail(kInvalidHandle);
  if (readOnly_) return Fail(kAccessDenied);
  if (count == 0) return file_->Truncate(offset) == 0 ? kOk : Fail(kWriteError);
  size_t written = 0;
  int error = file_->WriteAt(offset, buffer, count, &written);
  if (error || written < count) return Fail(kWriteError);
  return kOk;
}

int TFileHandler::Size(uint64_t* size) {
  if (!IsOpen()) return Fail(kInvalidHandle);
  if (int error = file_->Size(size)) return ReportError(MapOsError(error), ErrorPath());
  return kOk;
}

bool TFileHandler::Lock(uint64_t offset, uint64_t length) {
  if (exclusive_) return true;
  if (!IsOpen() || length == 0) return false;
  for (const Region& held : locks_) {
    if (offset < held.offset + held.length && held.offset < offset + length) return false;
  }
  if (file_->TryLock(offset, length) != 0) return false;
  locks_.push_back({offset, length});
  return true;
}

bool TFileHandler::Unlock(uint64_t offset, uint64_t length) {
  if (exclusive_) return true;
  auto held = std::find_if(locks_.begin(), locks_.end(), [&](const Region& r) {
    return r.offset == offset && r.length == length;
  });
  if (!IsOpen() || held == locks_.end()) return false;
  if (file_->Unlock(offset, length) != 0) return false;
  locks_.erase(held);
  return true;
}

}  // namespace isam
