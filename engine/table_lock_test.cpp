// Record locks and exclusive use between two real processes: the test binary
// starts itself again as an editor that holds a record of the table.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "engine/test_tables.h"
#include "testing/child_process.h"
#include "testing/faulty_file_system.h"

namespace isam {
namespace {

using namespace std::chrono_literals;
using testing_tables::CodeOf;
using testing_tables::MessageOf;
using testing_tables::TableTest;

bool WaitForFile(const std::string& path) {
  for (auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(1ms)) {
    if (std::filesystem::exists(path)) return true;
  }
  return false;
}

// args: folder, record number to edit ("0": only open the table).
MARVESSA_CHILD(table_editor) {
  const std::string dir = args.at(0);
  TIsamTable table;
  table.SetDatabaseName(dir);
  table.SetTableName("qvault.DAT");
  int result = 0;
  try {
    table.Open();
    int record = std::stoi(args.at(1));
    if (record > 0) {
      table.SetRecordNumber(record);
      table.BeginEdit();
    }
  } catch (const EIsamEngineError& e) {
    result = e.code();
  }
  // Written whole, then renamed: the parent never reads half a file.
  std::ofstream(dir + "/ready.tmp") << result;
  std::filesystem::rename(dir + "/ready.tmp", dir + "/ready");
  if (!WaitForFile(dir + "/release")) return 2;
  return 0;
}

class TwoProcessTest : public TableTest {
 protected:
  void SetUp() override {
    Create("qvault.DAT");
    TIsamTable table;
    Bind(table, "qvault.DAT");
    table.Open();
    Fill(table, {1, 2, 3});
  }
  void StartEditor(int record) {
    child_ = testing_support::StartChild("table_editor", {dir_.path(), std::to_string(record)});
    ASSERT_TRUE(WaitForFile(File("ready")));
    int result = -1;
    std::ifstream(File("ready")) >> result;
    ASSERT_EQ(result, 0);
  }
  void StopEditor() {
    if (child_ <= 0) return;
    std::ofstream(File("release")) << 1;
    EXPECT_EQ(testing_support::WaitChild(child_), 0);
    child_ = 0;
  }
  void TearDown() override { StopEditor(); }
  pid_t child_ = 0;
};

TEST_F(TwoProcessTest, ALockedRecordFailsAfterTheRetries) {
  StartEditor(2);
  testing_support::FaultyFileSystem counting;
  testing_support::ScopedFileSystem installed(counting);
  TIsamTable table;
  Bind(table, "qvault.DAT");
  table.SetLockRetryCount(15);
  table.SetLockWaitTime(5);
  table.Open();
  table.SetRecordNumber(2);
  counting.ResetCounts();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(MessageOf([&] { table.BeginEdit(); }),
            "ISAM Engine Error # 10258 Record in data file " + File("qvault.DAT") + " is in use by another user");
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(counting.lockAttempts(), 16);  // one attempt and 15 retries
  EXPECT_GE(elapsed, 15 * 5ms);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.RecordNumber(), 2);

  // With no retries: one attempt and no wait.
  table.SetLockRetryCount(0);
  counting.ResetCounts();
  EXPECT_EQ(CodeOf([&] { table.BeginEdit(); }), kRecordInUse);
  EXPECT_EQ(counting.lockAttempts(), 1);

  // Other records are free; the held one is free once the editor is gone.
  table.MoveNext();
  table.BeginEdit();
  table.CancelRecord();
  StopEditor();
  table.SetRecordNumber(2);
  table.BeginEdit();
  table.FieldNamed("Q1").SetStringValue("after");
  table.PostRecord();
}

TEST_F(TwoProcessTest, RemovingAllRecordsFailsWhileAnotherProcessHasTheTableOpen) {
  StartEditor(0);
  TIsamTable ces;
  Bind(ces, "qvault.DAT");
  EXPECT_EQ(CodeOf([&] { ces.RemoveAllRecords(); }), kAccessDenied);
  StopEditor();
  ces.RemoveAllRecords();
  ces.Open();
  EXPECT_TRUE(ces.IsTableEmpty());
}

}  // namespace
}  // namespace isam
