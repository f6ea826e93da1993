#pragma once
// The workloads on our table engine, through the table cursor (TIsamTable)
// as the program uses it.
#include <memory>

#include "bench/bench_side.h"
#include "bench/counting_file_system.h"

namespace isam {
class TIsamField;
class TIsamTable;
}  // namespace isam

namespace bench {

class TEngineSide final : public TBenchSide {
 public:
  // folder: where the table's files go; reads: the counting file system.
  TEngineSide(std::string folder, const TCountingFileSystem& reads);
  ~TEngineSide() override;

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
  void Bind(isam::TIsamTable& table) const;
  void Filter(const std::string& text);
  // Fills in the pages and records read since `from`.
  TSample Finish(const TStopwatch& watch, uint64_t pagesFrom, uint64_t recordsFrom, uint64_t result) const;
  uint64_t PagesRead() const;
  uint64_t RecordsRead() const;

  std::string folder_;
  const TCountingFileSystem& reads_;
  std::unique_ptr<isam::TIsamTable> table_;  // the shared table while open
  uint16_t recordSize_ = 0;
};

}  // namespace bench
