#include "engine/file/table_locks.h"

#include <algorithm>
#include <cerrno>
#include <random>
#include <time.h>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"

namespace isam {
namespace {

constexpr uint64_t kReaderTop = 0x7FFFFFFF;

// The pause between attempts sleeps until a deadline read from
// CLOCK_MONOTONIC instead of spinning on a tick counter: every caller waits
// the same time either way, and a waiting process leaves the processor to the
// one that holds the lock.
class SystemTiming final : public LockTiming {
 public:
  void Pause(uint32_t milliseconds) override {
    if (milliseconds == 0) return;
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
  }

  uint32_t DrawReaderOffset() override {
    thread_local std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<uint32_t>(1, 65534)(generator);
  }
};

}  // namespace

LockTiming& SystemLockTiming() {
  static SystemTiming instance;
  return instance;
}

TTableLocks::TTableLocks(TFileHandler& data, TFileHandler& index, TFileHandler* blob)
    : data_(data), index_(index), blob_(blob), timing_(&SystemLockTiming()) {}

TTableLocks::~TTableLocks() { ReleaseAll(); }

int TTableLocks::Fail(int code) const { return ReportError(code, data_.ErrorPath()); }

bool TTableLocks::Active() const { return !data_.Exclusive() && !data_.ReadOnlyByAttribute(); }

template <typename Offset>
bool TTableLocks::Acquire(TFileHandler& file, Offset offset, uint64_t length, uint64_t* taken) {
  for (int attempt = 1;; ++attempt) {
    uint64_t start = offset();
    if (file.Lock(start, length)) {
      *taken = start;
      return true;
    }
    if (attempt >= kTableLockAttempts) return false;
    timing_->Pause(kTableLockPauseMs);
  }
}

int TTableLocks::LockRead() {
  if (!Active() || ReadLocked() || writeIndex_) return kOk;
  auto readerByte = [this] { return kReaderTop - timing_->DrawReaderOffset(); };
  if (!Acquire(index_, readerByte, 1, &readIndex_)) return Fail(kLockFailure);
  if (blob_ && !Acquire(*blob_, readerByte, 1, &readBlob_)) {
    UnlockRead();
    return Fail(kLockFailure);
  }
  return kOk;
}

void TTableLocks::UnlockRead() {
  if (readBlob_ && blob_) blob_->Unlock(readBlob_, 1);
  if (readIndex_) index_.Unlock(readIndex_, 1);
  readBlob_ = readIndex_ = 0;
}

int TTableLocks::LockWrite() {
  if (!Active()) return kOk;
  UnlockRead();
  uint64_t unused;
  auto fixed = [](uint64_t at) { return [at] { return at; }; };
  bool ok = (writeData_ || (writeData_ = Acquire(data_, fixed(kWriterByte), 1, &unused))) &&
            (writeIndex_ ||
             (writeIndex_ = Acquire(index_, fixed(kReaderRangeStart), kReaderRangeLength, &unused))) &&
            (!blob_ || writeBlob_ ||
             (writeBlob_ = Acquire(*blob_, fixed(kReaderRangeStart), kReaderRangeLength, &unused)));
  if (ok) return kOk;
  UnlockWrite();
  return Fail(kLockFailure);
}

void TTableLocks::UnlockWrite() {
  if (writeBlob_ && blob_) blob_->Unlock(kReaderRangeStart, kReaderRangeLength);
  if (writeIndex_) index_.Unlock(kReaderRangeStart, kReaderRangeLength);
  if (writeData_) data_.Unlock(kWriterByte, 1);
  writeBlob_ = writeIndex_ = writeData_ = false;
}

bool TTableLocks::RecordLocked(uint32_t n) const {
  return std::find(records_.begin(), records_.end(), n) != records_.end();
}

int TTableLocks::LockRecord(uint32_t n) {
  if (!Active() || RecordLocked(n)) return kOk;
  for (int refusals = 0;;) {
    if (data_.Lock(kRecordLockBase - n, 1)) break;
    if (++refusals > retryCount_) return Fail(kRecordInUse);
    timing_->Pause(waitTime_);
  }
  records_.push_back(n);
  return kOk;
}

int TTableLocks::UnlockRecord(uint32_t n) {
  auto it = std::find(records_.begin(), records_.end(), n);
  if (it == records_.end()) return kOk;
  if (!data_.Unlock(kRecordLockBase - n, 1)) return Fail(kCannotUnlock);
  records_.erase(it);
  return kOk;
}

int TTableLocks::UnlockAllRecords() {
  int first = kOk;
  for (uint32_t n : records_) {
    if (!data_.Unlock(kRecordLockBase - n, 1) && first == kOk) first = Fail(kCannotUnlock);
  }
  records_.clear();
  return first;
}

void TTableLocks::ReleaseAll() {
  // Quietly: this runs on cleanup paths whose own error must stay the one
  // reported, and closing the files frees whatever could not be unlocked.
  for (uint32_t n : records_) data_.Unlock(kRecordLockBase - n, 1);
  records_.clear();
  UnlockRead();
  UnlockWrite();
}

}  // namespace isam
