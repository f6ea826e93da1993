#pragma once
// TTableLocks: the byte-range locks by which several table objects, in one
// process or in many, share a table. It works on the table's data, index and
// (optional) blob file handlers, which the owner opens and closes.
//
// The lock map. All regions lie beyond the end of every table file.
//
//   lock          file          region                              kind
//   read lock     index, blob   1 byte at 0x7FFFFFFF - r            one byte per reader
//                               (r drawn from 1..65534 before
//                               every attempt)
//   write lock 1  data          1 byte at 0x7FFFFFFF                writers queue here
//   write lock 2  index         65 535 bytes from 0x7FFF0000        covers every reader
//   write lock 3  blob          65 535 bytes from 0x7FFF0000        byte
//   record n      data          1 byte at 0x7FFFFFFE - n            one editor per record
//
// Read and write locks make up to 8 193 attempts per file with a 3 ms pause
// between two attempts (about 25 seconds) and then fail with 10249; a record
// lock makes LockRetryCount + 1 attempts with LockWaitTime ms between them and
// then fails with 10258. No request ever blocks in the operating system.
//
// The protocol (the caller's side):
//   - reading:   LockRead(); run the change check; read; UnlockRead().
//   - add, modify, delete: LockWrite(); run the change check; LockRecord(n)
//     where the operation needs it; write everything back; UnlockRecord(n);
//     UnlockWrite(). The write lock is taken data, index, blob and released
//     blob, index, data.
//   - editing:   LockRecord(n) at BeginEdit, UnlockRecord(n) at post or cancel.
//   - closing:   ReleaseAll() before the files are closed.
// The change check (comparing the update counters of the files with the
// headers in memory) is the caller's business: it runs right after LockRead()
// or LockWrite() returned 0. When the check itself fails, the caller releases
// the lock it just took.
//
// Each part of the write lock remembers that it is held: taking a held part
// does nothing, and a failure releases the parts already taken. While the
// write lock is held it covers reading too: LockRead() then takes nothing. A
// read lock still held when the write lock is taken is given up first (one
// handle cannot hold a reader byte inside its own writer range).
//
// When the table is open exclusively, or its data file carries the read-only
// attribute, nothing is locked and every call succeeds at once.
//
// Every failure reports its code with the data file's path as context.
#include <cstdint>
#include <vector>

#include "engine/file/file_handler.h"

namespace isam {

// The pauses between lock attempts and the draw of a reader byte, behind an
// interface so that tests can count attempts without waiting. Every pause
// sleeps until a deadline on the monotonic clock, also where a tick-counter
// loop would do: callers wait just as long and leave the processor to the
// holder of the lock.
class LockTiming {
 public:
  virtual ~LockTiming() = default;
  // Returns once the given number of milliseconds has passed (0: at once).
  virtual void Pause(uint32_t milliseconds) = 0;
  // A reader byte distance r, 1 <= r <= 65534.
  virtual uint32_t DrawReaderOffset() = 0;
};

// Sleeps until a deadline on CLOCK_MONOTONIC; draws from a pseudo-random
// generator seeded once per thread.
LockTiming& SystemLockTiming();

inline constexpr uint64_t kWriterByte = 0x7FFFFFFF;       // data file
inline constexpr uint64_t kReaderRangeStart = 0x7FFF0000;  // index and blob files
inline constexpr uint64_t kReaderRangeLength = 65535;
inline constexpr uint64_t kRecordLockBase = 0x7FFFFFFE;    // record n: base - n
inline constexpr int kTableLockAttempts = 8193;
inline constexpr uint32_t kTableLockPauseMs = 3;

class TTableLocks {
 public:
  // The handlers must outlive this object; blob may be null (no blob file).
  TTableLocks(TFileHandler& data, TFileHandler& index, TFileHandler* blob = nullptr);
  ~TTableLocks();  // releases whatever is still held
  TTableLocks(const TTableLocks&) = delete;
  TTableLocks& operator=(const TTableLocks&) = delete;

  // Only while nothing is held.
  void SetBlobFile(TFileHandler* blob) { blob_ = blob; }
  // Record lock retries: negative counts as 0. Defaults 15 and 100.
  void SetLockRetryCount(int count) { retryCount_ = count < 0 ? 0 : count; }
  void SetLockWaitTime(uint32_t milliseconds) { waitTime_ = milliseconds; }
  int LockRetryCount() const { return retryCount_; }
  uint32_t LockWaitTime() const { return waitTime_; }
  // Null restores SystemLockTiming().
  void SetTiming(LockTiming* timing) { timing_ = timing ? timing : &SystemLockTiming(); }

  // False when the table is open exclusively or read-only by attribute.
  bool Active() const;

  // 0, or 10249 when a reader byte could not be had.
  int LockRead();
  void UnlockRead();
  bool ReadLocked() const { return readIndex_ || readBlob_; }

  // 0, or 10249 when a part could not be had (the parts taken are released).
  int LockWrite();
  void UnlockWrite();
  bool WriteLocked() const { return writeData_ && writeIndex_ && (!blob_ || writeBlob_); }
  // Whether any part of the write lock or the read lock is held.
  bool HoldsTableLock() const { return ReadLocked() || writeData_ || writeIndex_ || writeBlob_; }

  // 0 (also when n is held already), or 10258 after the retries.
  int LockRecord(uint32_t n);
  // 0 (also when n is not held), or 10242 when the system refused; a refused
  // number stays in the list.
  int UnlockRecord(uint32_t n);
  // Releases every record lock; the list ends empty. Returns the first error.
  int UnlockAllRecords();
  bool RecordLocked(uint32_t n) const;
  const std::vector<uint32_t>& LockedRecords() const { return records_; }

  // Record locks, the read lock and the write lock, in that order, without
  // reporting anything (cleanup and close). Call it before closing the files.
  void ReleaseAll();

 private:
  // Takes [offset(), offset() + length) of file in up to 8 193 attempts.
  template <typename Offset>
  bool Acquire(TFileHandler& file, Offset offset, uint64_t length, uint64_t* taken);
  int Fail(int code) const;

  TFileHandler& data_;
  TFileHandler& index_;
  TFileHandler* blob_;
  LockTiming* timing_;
  int retryCount_ = 15;
  uint32_t waitTime_ = 100;

  // Offsets of the reader bytes held (0 = none).
  uint64_t readIndex_ = 0;
  uint64_t readBlob_ = 0;
  bool writeData_ = false;
  bool writeIndex_ = false;
  bool writeBlob_ = false;
  std::vector<uint32_t> records_;
};

}  // namespace isam
