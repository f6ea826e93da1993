#include "engine/file/table_locks.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "testing/faulty_file_system.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

// Pauses cost nothing and are counted; reader draws come from a script
// (then 1, 2, 3, ...); a test may act on a given pause.
class FakeTiming final : public LockTiming {
 public:
  void Pause(uint32_t milliseconds) override {
    pauses.push_back(milliseconds);
    if (onPause) onPause(pauses.size());
  }
  uint32_t DrawReaderOffset() override {
    if (!draws.empty()) {
      uint32_t next = draws.front();
      draws.erase(draws.begin());
      return next;
    }
    return ++counter;
  }

  std::vector<uint32_t> pauses;
  std::vector<uint32_t> draws;
  std::function<void(size_t)> onPause;
  uint32_t counter = 0;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// One table object: its three files and its lock map.
struct Table {
  Table(const testing_support::TempDir& dir, bool exclusive = false, bool withBlob = true) {
    for (TFileHandler* file : {&data, &index, &blob}) {
      EXPECT_EQ(file->SetPath(dir.File("T")), kOk);
      EXPECT_EQ(file->SetExclusive(exclusive), kOk);
      file->SetErrorPath(data.Path());
      EXPECT_EQ(file->Open(), kOk);
    }
    locks.SetBlobFile(withBlob ? &blob : nullptr);
    locks.SetTiming(&timing);
  }

  TFileHandler data{".DAT"};
  TFileHandler index{".IDX"};
  TFileHandler blob{".BLB"};
  TTableLocks locks{data, index};
  FakeTiming timing;
};

class LockTest : public ::testing::Test {
 protected:
  LockTest() {
    for (const char* name : {"T.DAT", "T.IDX", "T.BLB"}) WriteFile(dir_.File(name), "0123456789");
  }

  int LastErrorCode() const { return CurrentFileSession()->lastError.code; }
  std::string LastErrorFile() const { return CurrentFileSession()->lastError.fileName; }

  EngineScope engine_;
  testing_support::TempDir dir_;
  // Counts the lock requests that reach the system.
  testing_support::FaultyFileSystem files_;
  testing_support::ScopedFileSystem installed_{files_};
};

// ---- The byte-range lock primitive of one handler ----

TEST_F(LockTest, HandlesOfOneProcessExcludeEachOther) {
  Table a(dir_), b(dir_);
  // Far beyond the end of the 10-byte file, where every table lock lies.
  EXPECT_TRUE(a.data.Lock(kWriterByte, 1));
  EXPECT_FALSE(b.data.Lock(kWriterByte, 1));
  EXPECT_TRUE(b.data.Lock(kWriterByte - 1, 1));  // a neighbouring byte is free
  EXPECT_TRUE(a.data.Unlock(kWriterByte, 1));
  EXPECT_TRUE(b.data.Lock(kWriterByte, 1));
  uint64_t size = 0;
  ASSERT_EQ(a.data.Size(&size), kOk);
  EXPECT_EQ(size, 10u);
}

TEST_F(LockTest, UnlockNeedsTheSameRegion) {
  Table a(dir_), b(dir_);
  ASSERT_TRUE(a.index.Lock(1000, 10));
  EXPECT_FALSE(a.index.Unlock(1000, 5));
  EXPECT_FALSE(a.index.Unlock(1001, 10));
  EXPECT_FALSE(a.index.Unlock(2000, 1));
  EXPECT_FALSE(b.index.Lock(1000, 1));  // the failed unlocks freed nothing
  EXPECT_FALSE(b.index.Lock(1009, 1));
  EXPECT_FALSE(b.index.Unlock(1000, 10));  // not b's lock
  EXPECT_FALSE(b.index.Lock(1000, 1));
  EXPECT_TRUE(a.index.Unlock(1000, 10));
  EXPECT_FALSE(a.index.Unlock(1000, 10));  // released once only
  EXPECT_TRUE(b.index.Lock(1000, 10));
}

TEST_F(LockTest, OverlappingOrEmptyRegionsOfOneHandleAreRefused) {
  Table a(dir_), b(dir_);
  ASSERT_TRUE(a.index.Lock(kReaderRangeStart, kReaderRangeLength));
  // Taking a reader byte inside its own writer range and releasing it would
  // punch a hole into the range for other handles.
  EXPECT_FALSE(a.index.Lock(kReaderRangeStart + 5, 1));
  EXPECT_FALSE(a.index.Lock(0, 0));  // to the end of the file, for the system
  EXPECT_FALSE(b.index.Lock(kReaderRangeStart + 5, 1));
  EXPECT_TRUE(a.index.Lock(kReaderRangeStart - 1, 1));
}

TEST_F(LockTest, ExclusiveHandlersLockNothing) {
  Table a(dir_, /*exclusive=*/true);
  EXPECT_TRUE(a.data.Lock(5, 1));
  EXPECT_TRUE(a.data.Lock(5, 1));
  EXPECT_TRUE(a.data.Unlock(7, 3));
}

TEST_F(LockTest, ClosingReleasesLocks) {
  Table a(dir_), b(dir_);
  ASSERT_TRUE(a.data.Lock(kWriterByte, 1));
  a.data.Close();
  EXPECT_TRUE(b.data.Lock(kWriterByte, 1));
  ASSERT_EQ(a.data.Open(), kOk);
  EXPECT_FALSE(a.data.Unlock(kWriterByte, 1));  // forgotten with the old handle
}

// ---- The lock map ----

TEST_F(LockTest, ReadersShareAndRedrawAfterACollision) {
  Table a(dir_), b(dir_);
  a.timing.draws = {7, 7};
  ASSERT_EQ(a.locks.LockRead(), kOk);
  EXPECT_TRUE(a.locks.ReadLocked());
  b.timing.draws = {7, 9, 7, 9};  // index: 7 taken, 9; blob: 7 taken, 9
  ASSERT_EQ(b.locks.LockRead(), kOk);
  EXPECT_EQ(b.timing.pauses, (std::vector<uint32_t>{3, 3}));
  // The bytes held are 0x7FFFFFFF - r.
  TFileHandler probe(".IDX");
  ASSERT_EQ(probe.SetPath(dir_.File("T")), kOk);
  ASSERT_EQ(probe.Open(), kOk);
  EXPECT_FALSE(probe.Lock(0x7FFFFFFF - 7, 1));
  EXPECT_FALSE(probe.Lock(0x7FFFFFFF - 9, 1));
  EXPECT_TRUE(probe.Lock(0x7FFFFFFF - 8, 1));
  probe.Unlock(0x7FFFFFFF - 8, 1);
  a.locks.UnlockRead();
  b.locks.UnlockRead();
  EXPECT_FALSE(b.locks.ReadLocked());
  EXPECT_TRUE(probe.Lock(kReaderRangeStart, kReaderRangeLength));
}

TEST_F(LockTest, WriterWaitsForAReader) {
  Table reader(dir_), writer(dir_);
  ASSERT_EQ(reader.locks.LockRead(), kOk);
  writer.timing.onPause = [&](size_t pauses) {
    if (pauses == 5) reader.locks.UnlockRead();
  };
  ASSERT_EQ(writer.locks.LockWrite(), kOk);
  EXPECT_EQ(writer.timing.pauses.size(), 5u);
  EXPECT_TRUE(writer.locks.WriteLocked());
  // New readers are kept out while the writer holds the reader range.
  EXPECT_EQ(reader.locks.LockRead(), kLockFailure);
}

TEST_F(LockTest, WriterGivesUpWhenTheReaderNeverGoes) {
  Table reader(dir_), writer(dir_), third(dir_);
  reader.locks.SetBlobFile(nullptr);
  ASSERT_EQ(reader.locks.LockRead(), kOk);
  files_.ResetCounts();
  EXPECT_EQ(writer.locks.LockWrite(), kLockFailure);
  EXPECT_EQ(files_.lockAttempts(), 1 + 8193);  // the data file's byte, then the index range
  EXPECT_EQ(LastErrorCode(), kLockFailure);
  EXPECT_EQ(LastErrorFile(), dir_.File("T.DAT"));
  // 8 192 pauses of 3 ms between those attempts.
  EXPECT_EQ(writer.timing.pauses.size(), 8192u);
  EXPECT_EQ(writer.timing.pauses.front(), 3u);
  // The data file's writer byte it had taken is given back.
  EXPECT_FALSE(writer.locks.HoldsTableLock());
  reader.locks.UnlockRead();
  EXPECT_EQ(third.locks.LockWrite(), kOk);
  EXPECT_TRUE(third.timing.pauses.empty());
}

TEST_F(LockTest, WritersQueueOnTheDataFile) {
  Table first(dir_), second(dir_);
  ASSERT_EQ(first.locks.LockWrite(), kOk);
  ASSERT_EQ(first.locks.LockWrite(), kOk);  // held: nothing happens
  second.timing.onPause = [&](size_t pauses) {
    if (pauses == 2) first.locks.UnlockWrite();
  };
  ASSERT_EQ(second.locks.LockWrite(), kOk);
  EXPECT_EQ(second.timing.pauses.size(), 2u);
  EXPECT_FALSE(first.locks.HoldsTableLock());
}

TEST_F(LockTest, AHeldBlobByteFailsTheLastStepAndReleasesTheOthers) {
  Table first(dir_), second(dir_);
  ASSERT_TRUE(first.blob.Lock(kReaderRangeStart + 100, 1));  // a reader of the blob file only
  EXPECT_EQ(second.locks.LockWrite(), kLockFailure);
  EXPECT_FALSE(second.locks.HoldsTableLock());
  // Data and index parts were released: the first can take them.
  first.blob.Unlock(kReaderRangeStart + 100, 1);
  EXPECT_EQ(first.locks.LockWrite(), kOk);
}

TEST_F(LockTest, WriteLockCoversReading) {
  Table a(dir_), b(dir_);
  ASSERT_EQ(a.locks.LockRead(), kOk);
  ASSERT_EQ(a.locks.LockWrite(), kOk);  // gives up its own reader bytes first
  EXPECT_FALSE(a.locks.ReadLocked());
  EXPECT_EQ(a.locks.LockRead(), kOk);   // takes nothing inside its own range
  EXPECT_FALSE(a.locks.ReadLocked());
  a.locks.UnlockRead();
  EXPECT_EQ(b.locks.LockRead(), kLockFailure);  // the range is whole
  a.locks.UnlockWrite();
  EXPECT_EQ(b.locks.LockWrite(), kOk);
}

TEST_F(LockTest, RecordLockRetriesThenFails) {
  struct Case {
    int retryCount;
    uint32_t waitTime;
    size_t pauses;  // attempts - 1
  } cases[] = {{15, 100, 15}, {2, 7, 2}, {0, 100, 0}, {-3, 100, 0}};
  Table holder(dir_), editor(dir_);
  ASSERT_EQ(holder.locks.LockRecord(7), kOk);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.retryCount);
    editor.timing.pauses.clear();
    editor.locks.SetLockRetryCount(c.retryCount);
    editor.locks.SetLockWaitTime(c.waitTime);
    files_.ResetCounts();
    EXPECT_EQ(editor.locks.LockRecord(7), kRecordInUse);
    EXPECT_EQ(files_.lockAttempts(), static_cast<int>(c.pauses) + 1);
    EXPECT_EQ(LastErrorFile(), dir_.File("T.DAT"));
    EXPECT_EQ(editor.timing.pauses, std::vector<uint32_t>(c.pauses, c.waitTime));
    EXPECT_TRUE(editor.locks.LockedRecords().empty());
  }
  // Other records stay free; the record's byte is 0x7FFFFFFE - n.
  EXPECT_EQ(editor.locks.LockRecord(8), kOk);
  EXPECT_FALSE(holder.data.Lock(0x7FFFFFFE - 8, 1));
}

TEST_F(LockTest, RecordLockWaitsForTheHolder) {
  Table holder(dir_), editor(dir_);
  ASSERT_EQ(holder.locks.LockRecord(7), kOk);
  editor.timing.onPause = [&](size_t pauses) {
    if (pauses == 3) {
      EXPECT_EQ(holder.locks.UnlockRecord(7), kOk);
    }
  };
  EXPECT_EQ(editor.locks.LockRecord(7), kOk);
  EXPECT_EQ(editor.timing.pauses.size(), 3u);
  EXPECT_TRUE(holder.locks.LockedRecords().empty());
}

TEST_F(LockTest, RecordLockListAndRelease) {
  Table a(dir_), b(dir_);
  ASSERT_EQ(a.locks.LockRecord(7), kOk);
  ASSERT_EQ(a.locks.LockRecord(7), kOk);  // in the list: not locked again
  ASSERT_EQ(a.locks.LockRecord(3), kOk);
  EXPECT_EQ(a.locks.LockedRecords(), (std::vector<uint32_t>{7, 3}));
  EXPECT_EQ(a.locks.UnlockRecord(9), kOk);  // not held: nothing to do
  EXPECT_EQ(a.locks.LockedRecords(), (std::vector<uint32_t>{7, 3}));
  EXPECT_EQ(a.locks.UnlockRecord(7), kOk);
  EXPECT_EQ(a.locks.LockedRecords(), (std::vector<uint32_t>{3}));
  b.locks.SetLockRetryCount(0);
  EXPECT_EQ(b.locks.LockRecord(7), kOk);
  EXPECT_EQ(b.locks.LockRecord(3), kRecordInUse);

  ASSERT_EQ(a.locks.LockRecord(4), kOk);
  EXPECT_EQ(a.locks.UnlockAllRecords(), kOk);
  EXPECT_TRUE(a.locks.LockedRecords().empty());
  EXPECT_EQ(b.locks.LockRecord(3), kOk);
  EXPECT_EQ(b.locks.LockRecord(4), kOk);
}

TEST_F(LockTest, RefusedRecordReleaseIsReported) {
  Table a(dir_);
  ASSERT_EQ(a.locks.LockRecord(7), kOk);
  a.data.Close();
  EXPECT_EQ(a.locks.UnlockRecord(7), kCannotUnlock);
  EXPECT_EQ(LastErrorFile(), dir_.File("T.DAT"));
  EXPECT_EQ(a.locks.LockedRecords(), (std::vector<uint32_t>{7}));
  EXPECT_EQ(a.locks.UnlockAllRecords(), kCannotUnlock);
  EXPECT_TRUE(a.locks.LockedRecords().empty());
}

TEST_F(LockTest, ReleaseAllLeavesNothingHeldAndReportsNothing) {
  Table a(dir_), b(dir_);
  ASSERT_EQ(a.locks.LockRecord(7), kOk);
  ASSERT_EQ(a.locks.LockWrite(), kOk);
  ReportError(kHeaderCorrupt, "cause");
  a.locks.ReleaseAll();
  EXPECT_EQ(LastErrorCode(), kHeaderCorrupt);
  EXPECT_FALSE(a.locks.HoldsTableLock());
  EXPECT_TRUE(a.locks.LockedRecords().empty());
  b.locks.SetLockRetryCount(0);
  EXPECT_EQ(b.locks.LockWrite(), kOk);
  EXPECT_EQ(b.locks.LockRecord(7), kOk);
}

TEST_F(LockTest, NothingIsLockedExclusivelyOrOnAReadOnlyTable) {
  {
    Table exclusive(dir_, /*exclusive=*/true);
    EXPECT_FALSE(exclusive.locks.Active());
    EXPECT_EQ(exclusive.locks.LockRead(), kOk);
    EXPECT_EQ(exclusive.locks.LockWrite(), kOk);
    EXPECT_EQ(exclusive.locks.LockRecord(7), kOk);
    EXPECT_FALSE(exclusive.locks.HoldsTableLock());
    EXPECT_TRUE(exclusive.locks.LockedRecords().empty());
  }
  ASSERT_EQ(chmod(dir_.File("T.DAT").c_str(), 0444), 0);
  Table readOnly(dir_), other(dir_);
  EXPECT_FALSE(readOnly.locks.Active());
  EXPECT_EQ(readOnly.locks.LockRead(), kOk);
  EXPECT_EQ(readOnly.locks.LockWrite(), kOk);
  files_.ResetCounts();
  EXPECT_EQ(readOnly.locks.LockRecord(7), kOk);
  EXPECT_EQ(files_.lockAttempts(), 0);
  EXPECT_FALSE(readOnly.locks.HoldsTableLock());
  EXPECT_TRUE(readOnly.timing.pauses.empty());
  EXPECT_EQ(other.locks.LockRead(), kOk);
}

TEST(SystemLockTimingTest, PausesAtLeastTheTimeAndDrawsInRange) {
  LockTiming& timing = SystemLockTiming();
  auto start = std::chrono::steady_clock::now();
  timing.Pause(3);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3));
  for (int i = 0; i < 1000; ++i) {
    uint32_t r = timing.DrawReaderOffset();
    ASSERT_GE(r, 1u);
    ASSERT_LE(r, 65534u);
  }
}

}  // namespace
}  // namespace isam
