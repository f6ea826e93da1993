// Several processes on one shared table, writers killed in the middle of
// their writes, and a disk that fails under a writer. Each writer logs what it
// committed (table_workload.h); afterwards the table must pass "check" (after
// "repair" where a writer died) and hold exactly the committed records.
//
// Sized to run in seconds; MARVESSA_LONG_STRESS=1 runs them for minutes.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "engine/file/file_session.h"
#include "testing/child_process.h"
#include "testing/faulty_file_system.h"
#include "testing/temp_dir.h"
#include "tools/isamtool/commands.h"
#include "tools/isamtool/repair.h"
#include "tools/isamtool/table_workload.h"

namespace isamtool::workload {
namespace {

using namespace std::chrono_literals;

bool LongRun() {
  const char* value = std::getenv("MARVESSA_LONG_STRESS");
  return value && *value && std::string(value) != "0";
}

// args: table, log, tag prefix, seed, seconds (0 = until killed).
MARVESSA_CHILD(workload_writer) {
  EngineScope engine;
  OpLog log(args.at(1));
  try {
    Writer writer(args.at(0), args.at(2), uint32_t(std::stoul(args.at(3))), log);
    log.Line("S");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::stoi(args.at(4)));
    while (args.at(4) == "0" || std::chrono::steady_clock::now() < end) {
      if (int rc = writer.Step()) Check(rc);
    }
    return 0;
  } catch (const std::exception& e) {
    // Into the log too: a writer killed right after this still tells.
    log.Line(std::string("X ") + e.what());
    std::cerr << e.what() << "\n";
    return 1;
  }
}

int CheckExitCode(const std::string& table) {
  Options options;
  options.command = "check";
  options.table = table;
  try {
    return CheckTable(options);
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}

std::string LogTail(const std::string& log) {
  std::ifstream in(log);
  std::string all((std::istreambuf_iterator<char>(in)), {});
  return all.size() > 300 ? all.substr(all.size() - 300) : all;
}

bool LogHasStarted(const std::string& log) {
  for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(1ms)) {
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line))
      if (line == "S") return true;
  }
  return false;
}

class TableWorkloadTest : public ::testing::Test {
 protected:
  TableWorkloadTest() { EXPECT_EQ(CreateTable(path_, WorkloadTable()), kOk); }

  EngineScope engine_;
  testing_support::TempDir dir_;
  std::string path_ = dir_.File("W");
};

TEST_F(TableWorkloadTest, ProcessesSharingATableCommitExactlyWhatTheyLogged) {
  const int writers = 3;
  const int seconds = LongRun() ? 120 : 4;
  const uint32_t seed = std::random_device{}();
  std::vector<pid_t> pids;
  for (int w = 0; w < writers; ++w) {
    pids.push_back(testing_support::StartChild(
        "workload_writer", {path_, dir_.File("log" + std::to_string(w)), "p" + std::to_string(w) + "-",
                            std::to_string(seed + w), std::to_string(seconds)}));
  }
  for (pid_t pid : pids) EXPECT_EQ(testing_support::WaitChild(pid), 0) << "seed " << seed;

  TableState expected;
  int commits = 0;
  std::map<int, int> failures;
  for (int w = 0; w < writers; ++w) {
    Replay replay = ReplayLog(dir_.File("log" + std::to_string(w)), {});
    EXPECT_EQ(replay.error, "");
    EXPECT_FALSE(replay.pending) << "writer " << w << " ended inside an operation";
    for (const auto& [tag, open] : replay.uncertain) ADD_FAILURE() << tag << ": an operation failed with a write";
    expected.insert(replay.committed.begin(), replay.committed.end());
    commits += replay.commits;
    for (auto [code, count] : replay.failures) failures[code] += count;
  }
  std::cout << writers << " writers, " << commits << " operations committed";
  for (auto [code, count] : failures) std::cout << ", " << count << " refused with " << code;
  std::cout << " (seed " << seed << ")\n";
  EXPECT_GT(commits, 3 * writers);
  for (auto [code, count] : failures) EXPECT_TRUE(code == kRecordInUse || code == kLockFailure) << code;

  EXPECT_EQ(CheckExitCode(path_), 0);
  Replay all;
  all.committed = expected;
  for (const std::string& problem : CompareWithLog(ReadTableState(path_), all)) ADD_FAILURE() << problem;
}

TEST_F(TableWorkloadTest, RepairKeepsEverythingAKilledWriterCommitted) {
  const int rounds = LongRun() ? 400 : 25;
  const uint32_t seed = std::random_device{}();
  std::mt19937 random(seed);
  TableState state;
  int commits = 0;
  for (int round = 0; round < rounds && !HasFailure(); ++round) {
    const std::string log = dir_.File("crash" + std::to_string(round));
    pid_t pid = testing_support::StartChild("workload_writer",
                                            {path_, log, "w", std::to_string(random()), "0"});
    ASSERT_TRUE(LogHasStarted(log));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
    kill(pid, SIGKILL);
    ASSERT_EQ(testing_support::WaitChild(pid), 128 + SIGKILL)
        << "the writer ended on its own (seed " << seed << "), log:\n" << LogTail(log);

    Replay replay = ReplayLog(log, state);
    ASSERT_TRUE(replay.error.empty()) << replay.error << "\n" << LogTail(log);
    commits += replay.commits;
    RepairResult repaired = RepairTable(path_);
    ASSERT_EQ(CheckExitCode(path_), 0) << "round " << round << " (seed " << seed << ")";
    TableState actual = ReadTableState(path_);
    for (const std::string& problem : CompareWithLog(actual, replay))
      ADD_FAILURE() << "round " << round << " (seed " << seed << "): " << problem;
    // What repair gave up must concern the operation in flight only.
    for (const std::string& lost : repaired.lost) {
      bool pending = replay.pending && actual.count(replay.pending->tag) &&
                     lost.find(" field MEMO:") != std::string::npos;
      EXPECT_TRUE(pending) << lost;
    }
    // The record of the operation in flight may be half changed (new fields
    // beside the old memo, or its memo lost); the next writer expects every
    // record of its own to read back whole.
    if (replay.pending && actual.count(replay.pending->tag)) {
      const auto& [tag, content] = *actual.find(replay.pending->tag);
      if (content.memo != MemoFor(tag, content.n)) {
        OpLog fixLog(log + ".fix");
        Writer fix(path_, "w", 0, fixLog);
        ASSERT_EQ(fix.Rewrite(tag), kOk);
        actual = ReadTableState(path_);
      }
    }
    state = std::move(actual);
  }
  std::cout << rounds << " writers killed, " << commits << " operations committed, " << state.size()
            << " records at the end (seed " << seed << ")\n";
}

// A disk that stops short or fills up under a writer: the operation fails with
// 9218, and after repair every record written before is there as it was.
TEST_F(TableWorkloadTest, AFailingDiskGivesAWriteErrorAndKeepsWrittenRecords) {
  {
    OpLog log(dir_.File("fill"));
    Writer writer(path_, "f", 7, log);
    for (int i = 0; i < 40; ++i) ASSERT_EQ(writer.Step(), kOk);
  }
  const TableState before = ReadTableState(path_);
  const std::string pristine = dir_.File("pristine");
  std::filesystem::create_directory(pristine);
  for (const char* ext : {".DAT", ".IDX", ".BLB"})
    std::filesystem::copy_file(path_ + ext, pristine + "/W" + ext);

  for (bool full : {false, true}) {
    for (uint64_t budget : {0, 1, 100, 127, 600, 1000, 4096, 5000, 9000, 13000}) {
      SCOPED_TRACE((full ? "full disk after " : "short write after ") + std::to_string(budget));
      for (const char* ext : {".DAT", ".IDX", ".BLB"})
        std::filesystem::copy_file(pristine + "/W" + ext, path_ + ext, std::filesystem::copy_options::overwrite_existing);
      const std::string log = dir_.File("fault");
      std::filesystem::remove(log);
      {
        testing_support::FaultyFileSystem faulty;
        testing_support::ScopedFileSystem installed(faulty);
        OpLog oplog(log);
        Writer writer(path_, "f", uint32_t(budget) + full, oplog);
        if (full) faulty.DiskFullAfter(budget);
        else faulty.ShortWritesAfter(budget);
        int rc = kOk;
        for (int step = 0; step < 200 && rc == kOk; ++step) rc = writer.Step();
        EXPECT_EQ(rc, kWriteError);
      }
      Replay replay = ReplayLog(log, before);
      RepairTable(path_);
      EXPECT_EQ(CheckExitCode(path_), 0);
      for (const std::string& problem : CompareWithLog(ReadTableState(path_), replay)) ADD_FAILURE() << problem;
    }
  }
}

}  // namespace
}  // namespace isamtool::workload
