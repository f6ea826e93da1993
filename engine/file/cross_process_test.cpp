// Two real processes on one table: sharing violations and the lock map. The
// test binary starts itself again as the "holder" child, which opens the
// table, takes what it is told, tells the parent, and lets go when asked.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/table_locks.h"
#include "testing/child_process.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

using namespace std::chrono_literals;

bool WaitForFile(const std::string& path) {
  for (auto deadline = std::chrono::steady_clock::now() + 10s;
       std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(1ms)) {
    if (std::filesystem::exists(path)) return true;
  }
  return false;
}

// Parent side of a holder child. The child writes its result code into
// "ready" once it holds what it was asked to take; "release" ends it.
class Holder {
 public:
  Holder(const testing_support::TempDir& dir, const std::string& mode, const std::string& take)
      : dir_(dir) {
    pid_ = testing_support::StartChild("holder", {dir.path(), mode, take});
    if (WaitForFile(dir.File("ready"))) std::ifstream(dir.File("ready")) >> result_;
  }
  ~Holder() { Release(); }

  // The child's result of opening and taking: 0 or an engine code.
  int result() const { return result_; }
  // Lets the child go and waits for it; returns its exit code.
  int Release() {
    if (pid_ <= 0) return exit_;
    std::ofstream(dir_.File("release")) << 1;
    exit_ = testing_support::WaitChild(pid_);
    pid_ = 0;
    std::filesystem::remove(dir_.File("ready"));
    std::filesystem::remove(dir_.File("release"));
    return exit_;
  }

 private:
  const testing_support::TempDir& dir_;
  pid_t pid_ = 0;
  int result_ = -1;
  int exit_ = -1;
};

// args: folder, "shared" | "exclusive", "none" | "read" | "write" | record number.
MARVESSA_CHILD(holder) {
  EngineScope engine;
  const std::string dir = args.at(0);
  TFileHandler data(".DAT"), index(".IDX");
  int result = kOk;
  for (TFileHandler* file : {&data, &index}) {
    file->SetPath(dir + "/T");
    file->SetExclusive(args.at(1) == "exclusive");
    if (result == kOk) result = file->Open();
  }
  // The child gives up at once: a refusal is what the parent wants to see.
  struct NoWaits final : LockTiming {
    void Pause(uint32_t) override {}
    uint32_t DrawReaderOffset() override { return SystemLockTiming().DrawReaderOffset(); }
  } noWaits;
  TTableLocks locks(data, index);
  locks.SetTiming(&noWaits);
  locks.SetLockRetryCount(0);
  const std::string& take = args.at(2);
  if (result == kOk) {
    if (take == "read") result = locks.LockRead();
    else if (take == "write") result = locks.LockWrite();
    else if (take != "none") result = locks.LockRecord(static_cast<uint32_t>(std::stoul(take)));
  }
  {
    std::ofstream ready(dir + "/ready.tmp");
    ready << result;
  }
  std::filesystem::rename(dir + "/ready.tmp", dir + "/ready");
  return WaitForFile(dir + "/release") ? 0 : 2;
}

class CrossProcessTest : public ::testing::Test {
 protected:
  CrossProcessTest() {
    for (const char* name : {"T.DAT", "T.IDX"}) std::ofstream(dir_.File(name)) << "0123456789";
    for (TFileHandler* file : {&data_, &index_}) EXPECT_EQ(file->SetPath(dir_.File("T")), kOk);
  }

  EngineScope engine_;
  testing_support::TempDir dir_;
  TFileHandler data_{".DAT"};
  TFileHandler index_{".IDX"};
};

TEST_F(CrossProcessTest, ExclusiveOpensShutOutOtherProcesses) {
  {
    Holder other(dir_, "exclusive", "none");
    ASSERT_EQ(other.result(), kOk);
    EXPECT_EQ(data_.Open(), kAccessDenied);
    EXPECT_EQ(CurrentFileSession()->lastError.fileName, dir_.File("T.DAT"));
    ASSERT_EQ(data_.SetExclusive(true), kOk);
    EXPECT_EQ(data_.Open(), kAccessDenied);
    EXPECT_EQ(other.Release(), 0);
  }
  ASSERT_EQ(data_.Open(), kOk);  // now it is ours alone
  Holder shared(dir_, "shared", "none");
  EXPECT_EQ(shared.result(), kAccessDenied);
}

TEST_F(CrossProcessTest, RecordLocksBetweenProcesses) {
  ASSERT_EQ(data_.Open(), kOk);
  ASSERT_EQ(index_.Open(), kOk);
  TTableLocks locks(data_, index_);
  locks.SetLockRetryCount(2);
  locks.SetLockWaitTime(5);
  {
    Holder other(dir_, "shared", "7");
    ASSERT_EQ(other.result(), kOk);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(locks.LockRecord(7), kRecordInUse);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 10ms);  // two waits of 5 ms
    EXPECT_EQ(locks.LockRecord(8), kOk);
  }
  EXPECT_EQ(locks.LockRecord(7), kOk);  // the holder has gone
  Holder other(dir_, "shared", "8");
  EXPECT_EQ(other.result(), kRecordInUse);
}

TEST_F(CrossProcessTest, WriterWaitsForAReaderInAnotherProcess) {
  ASSERT_EQ(data_.Open(), kOk);
  ASSERT_EQ(index_.Open(), kOk);
  TTableLocks locks(data_, index_);

  class ReleasingTiming final : public LockTiming {
   public:
    explicit ReleasingTiming(Holder& holder) : holder_(holder) {}
    void Pause(uint32_t) override {
      if (++pauses == 3) holder_.Release();
    }
    uint32_t DrawReaderOffset() override { return 1; }
    int pauses = 0;

   private:
    Holder& holder_;
  };

  Holder reader(dir_, "shared", "read");
  ASSERT_EQ(reader.result(), kOk);
  ReleasingTiming timing(reader);
  locks.SetTiming(&timing);
  ASSERT_EQ(locks.LockWrite(), kOk);
  EXPECT_EQ(timing.pauses, 3);
  // While it writes, readers and writers of other processes are kept out.
  EXPECT_EQ(Holder(dir_, "shared", "read").result(), kLockFailure);
  locks.UnlockWrite();
  EXPECT_EQ(Holder(dir_, "shared", "write").result(), kOk);
}

}  // namespace
}  // namespace isam
