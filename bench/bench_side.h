#pragma once
// The workloads, as each engine carries them out. Both sides get the same
// records and the same random choices; each call times only the work itself.
#include <cstdint>
#include <string>
#include <vector>

#include "bench/bench_records.h"
#include "bench/bench_sample.h"

namespace bench {

class TBenchSide {
 public:
  virtual ~TBenchSide() = default;
  // 1: a new table of these records, opened for this process alone (SQLite:
  // one transaction); the table is closed afterwards.
  virtual TSample BulkLoad(const std::vector<TQuestion>& records) = 0;
  // Opens the loaded table for the shared workloads below.
  virtual void OpenShared() = 0;
  virtual void Close() = 0;
  // 2: appends, each written through at once (SQLite: autocommit).
  virtual TSample Append(const std::vector<TQuestion>& records) = 0;
  // 3: "Q_EXAM_N=<exam>" through the index on Q_EXAM_N, counted.
  virtual TSample FilterCount(int exam) = 0;
  // 4: the records of that filter, in order, reading Q_TEXT.
  virtual TSample FilterWalk(int exam) = 0;
  // 5: key search by Q_ID, reading Q_TEXT.
  virtual TSample LookUps(const std::vector<int32_t>& ids) = 0;
  // 6: going to 1-based record numbers in Q_ID order.
  virtual TSample Positions(const std::vector<int32_t>& numbers) = 0;
  // 7: U_MEMO of the records with these Q_IDs, each edit written through.
  virtual TSample EditMemos(const std::vector<int32_t>& ids, const std::vector<std::string>& memos) = 0;
  // 8: "Q_SECT=<sect> AND Q_TYPE=True", which no index answers, counted.
  virtual TSample ScanCount(int sect) = 0;
};

}  // namespace bench
