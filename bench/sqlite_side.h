#pragma once
// The same workloads on SQLite (the system's libsqlite3): prepared
// statements, synchronous=OFF, one table with INTEGER PRIMARY KEY Q_ID and an
// index on Q_EXAM_N. Three configurations: the default rollback journal; the
// write-ahead log; the write-ahead log with reads through a memory mapping of
// the whole file (mmap_size), its fastest configuration for reading.
#include "bench/bench_side.h"

struct sqlite3;
struct sqlite3_stmt;

namespace bench {

enum class TSqliteMode { kDefault, kWal, kWalMmap };

class TSqliteSide final : public TBenchSide {
 public:
  TSqliteSide(std::string folder, TSqliteMode mode);
  ~TSqliteSide() override;

  TSample BulkLoad(const std::vector<TQuestion>& records) override;
  void OpenShared() override;
  void Close() override;
  TSample Append(const std::vector<TQuestion>& records) override;
  TSample FilterCount(int exam) override;
  TSample FilterWalk(int exam) override;
  TSample LookUps(const std::vector<int32_t>& ids) override;
  TSample Positions(const std::vector<int32_t>& numbers) override;
  TSample EditMemos(const std::vector<int32_t>& ids, const std::vector<std::string>& memos) override;
  TSample ScanCount(int sect) override;

 private:
  sqlite3* OpenDatabase() const;
  sqlite3_stmt* Prepare(sqlite3* db, const char* sql);
  void Insert(sqlite3* db, const TQuestion& q);

  std::string path_;
  TSqliteMode mode_;
  sqlite3* db_ = nullptr;  // while open
  std::vector<sqlite3_stmt*> statements_;
};

}  // namespace bench
