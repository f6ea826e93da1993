// isambench: every workload on our table engine and on SQLite, with the same
// records on the same machine in one run, then the read-count series.
//
//   isambench [--sizes 10000,100000] [--only 3,4] [--runs N] [--cpu]
//             [--figures 1000,...,1000000] [--no-figures] [--dir FOLDER] [--pread]
//
// --cpu times with the process's CPU time instead of the wall clock (for a
// machine that other work keeps busy); --pread reads our tables with pread
// instead of through memory mappings.
//
// One line per workload and table size: our median time, SQLite's in its
// default journal mode, in WAL mode and in WAL mode with mmap_size set, our
// index pages and data-file records read, and the ratios ours/SQLite last
// (ratio= against the default mode, wal= and mmap= against the others).
// Figures only; nothing here asserts a speed.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_records.h"
#include "bench/counting_file_system.h"
#include "bench/engine_side.h"
#include "bench/read_figures.h"
#include "bench/sqlite_side.h"
#include "engine/file/os_file.h"

namespace bench {
namespace {

constexpr uint32_t kAppends = 1000;    // per run of workload 2
constexpr uint32_t kLookUps = 100000;  // workload 5
constexpr uint32_t kPositions = 10000; // workload 6
constexpr uint32_t kEdits = 10000;     // workload 7

struct TOptions {
  std::vector<uint32_t> sizes{10000, 100000};
  std::vector<uint32_t> figureSizes{1000, 10000, 100000, 1000000};
  int runs = 3;
  std::string dir;
  std::vector<uint32_t> only;  // workload numbers to run (empty: all); the load always runs
  bool Runs(uint32_t workload) const {
    return only.empty() || std::find(only.begin(), only.end(), workload) != only.end();
  }
};

std::vector<uint32_t> Numbers(const char* text) {
  std::vector<uint32_t> out;
  for (const char* p = text; *p;) {
    char* end = nullptr;
    out.push_back(static_cast<uint32_t>(std::strtoul(p, &end, 10)));
    p = *end == ',' ? end + 1 : end;
    if (end == p && *p) break;
  }
  return out;
}

std::string Time(double seconds) {
  char text[32];
  if (seconds < 1) std::snprintf(text, sizeof text, "%8.2f ms", seconds * 1000);
  else std::snprintf(text, sizeof text, "%8.2f s ", seconds);
  return text;
}

// SQLite in its three configurations, in the order of the columns.
constexpr int kSqliteSides = 3;
constexpr TSqliteMode kSqliteModes[kSqliteSides] = {TSqliteMode::kDefault, TSqliteMode::kWal,
                                                    TSqliteMode::kWalMmap};

double Ratio(const TSample& ours, const TSample& theirs) {
  return theirs.seconds > 0 ? ours.seconds / theirs.seconds : 0.0;
}

void Report(const char* name, uint32_t n, const TSample& ours, const TSample (&theirs)[kSqliteSides]) {
  bool differ = false;
  for (const TSample& t : theirs) differ |= t.result != ours.result;
  std::printf("%-16s n=%-7u ours %s  sqlite %s  wal %s  mmap %s  pages %-6llu records %-7llu%s ratio=%.3g"
              " wal=%.3g mmap=%.3g\n",
              name, n, Time(ours.seconds).c_str(), Time(theirs[0].seconds).c_str(), Time(theirs[1].seconds).c_str(),
              Time(theirs[2].seconds).c_str(), static_cast<unsigned long long>(ours.pages),
              static_cast<unsigned long long>(ours.records), differ ? " RESULTS DIFFER" : "",
              Ratio(ours, theirs[0]), Ratio(ours, theirs[1]), Ratio(ours, theirs[2]));
  std::fflush(stdout);
}

struct TSides {
  TEngineSide& ours;
  std::vector<std::unique_ptr<TSqliteSide>> theirs;
  // Every side in turn.
  void ForEach(const std::function<void(TBenchSide&)>& f) {
    f(ours);
    for (auto& t : theirs) f(*t);
  }
};

// Runs a workload on every side, alternating, and reports the medians.
void Compare(const char* name, uint32_t n, int runs, TSides& sides,
             const std::function<TSample(TBenchSide&)>& work) {
  std::vector<TSample> a, b[kSqliteSides];
  for (int i = 0; i < runs; ++i) {
    a.push_back(work(sides.ours));
    for (int k = 0; k < kSqliteSides; ++k) b[k].push_back(work(*sides.theirs[k]));
  }
  const TSample theirs[kSqliteSides] = {Median(b[0]), Median(b[1]), Median(b[2])};
  Report(name, n, Median(a), theirs);
}

std::vector<int32_t> Draw(uint32_t count, uint32_t below, uint32_t seed) {
  std::mt19937 draw(seed);
  std::vector<int32_t> out(count);
  for (int32_t& v : out) v = static_cast<int32_t>(1 + draw() % below);
  return out;
}

void RunSize(const TOptions& options, const std::string& folder, uint32_t n, TCountingFileSystem& reads) {
  const int runs = options.runs;
  std::vector<TQuestion> all = SyntheticQuestions(n + kAppends * runs);
  std::vector<TQuestion> records(all.begin(), all.begin() + n);
  TEngineSide ours(folder, reads);
  TSides sides{ours, {}};
  for (TSqliteMode mode : kSqliteModes) sides.theirs.push_back(std::make_unique<TSqliteSide>(folder, mode));

  if (options.Runs(1)) {
    Compare("1 bulk load", n, runs, sides, [&](TBenchSide& s) { return s.BulkLoad(records); });
  } else {
    sides.ForEach([&](TBenchSide& s) { s.BulkLoad(records); });
  }
  sides.ForEach([](TBenchSide& s) { s.OpenShared(); });
  if (options.Runs(3)) Compare("3 filter count", n, runs, sides, [](TBenchSide& s) { return s.FilterCount(3); });
  if (options.Runs(4)) Compare("4 filter walk", n, runs, sides, [](TBenchSide& s) { return s.FilterWalk(3); });
  const std::vector<int32_t> ids = Draw(kLookUps, n, 5);
  if (options.Runs(5)) Compare("5 key look-ups", n, runs, sides, [&](TBenchSide& s) { return s.LookUps(ids); });
  const std::vector<int32_t> numbers = Draw(kPositions, n, 6);
  if (options.Runs(6)) Compare("6 positionings", n, runs, sides, [&](TBenchSide& s) { return s.Positions(numbers); });
  const std::vector<int32_t> edits = Draw(kEdits, n, 7);
  std::vector<std::string> memos;
  for (uint32_t i = 0; i < kEdits; ++i) memos.push_back(EditMemo(i));
  if (options.Runs(7)) Compare("7 memo edits", n, runs, sides, [&](TBenchSide& s) { return s.EditMemos(edits, memos); });
  if (options.Runs(8)) Compare("8 scan count", n, runs, sides, [](TBenchSide& s) { return s.ScanCount(3); });
  // Last, as it grows the table: each run appends the next records.
  if (options.Runs(2)) {
    int run = 0;
    Compare("2 shared appends", n, runs, sides, [&](TBenchSide& s) {
      // Every side appends the same next records; the next run takes the following ones.
      const size_t from = n + kAppends * size_t(run);
      TSample sample = s.Append(std::vector<TQuestion>(all.begin() + from, all.begin() + from + kAppends));
      if (&s == sides.theirs.back().get()) ++run;
      return sample;
    });
  }
  sides.ForEach([](TBenchSide& s) { s.Close(); });
}

int Main(int argc, char** argv) {
  TOptions options;
  bool figures = true, cpuTime = false;
  for (int i = 1; i < argc; ++i) {
    const bool more = i + 1 < argc;
    if (!std::strcmp(argv[i], "--sizes") && more) options.sizes = Numbers(argv[++i]);
    else if (!std::strcmp(argv[i], "--figures") && more) options.figureSizes = Numbers(argv[++i]);
    else if (!std::strcmp(argv[i], "--runs") && more) options.runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--dir") && more) options.dir = argv[++i];
    else if (!std::strcmp(argv[i], "--only") && more) options.only = Numbers(argv[++i]);
    else if (!std::strcmp(argv[i], "--no-figures")) figures = false;
    else if (!std::strcmp(argv[i], "--cpu")) TStopwatch::UseCpuTime(cpuTime = true);
    else if (!std::strcmp(argv[i], "--pread")) isam::SetMappedReadsEnabled(false);
    else {
      std::fprintf(stderr,
                   "usage: isambench [--sizes N,...] [--only W,...] [--runs N] [--cpu] [--figures N,...]\n"
                   "                 [--no-figures] [--dir FOLDER] [--pread]\n");
      return 2;
    }
  }
  std::string base = options.dir.empty() ? std::filesystem::temp_directory_path().string() : options.dir;
  std::string pattern = base + "/isambench.XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string folder = pattern;
  TCountingFileSystem reads;
  int status = 0;
  try {
    std::printf("%s; medians of %d runs; ratio = ours / SQLite default journal, wal = ours / SQLite WAL,\n"
                "mmap = ours / SQLite WAL + mmap_size (below 1: ours faster). %u appends per run,\n"
                "%u look-ups, %u positionings, %u edits. pages/records: what ours read from its files.\n",
                cpuTime ? "CPU time" : "Wall-clock time", options.runs, kAppends, kLookUps, kPositions, kEdits);
    for (uint32_t n : options.sizes) RunSize(options, folder, n, reads);
    if (figures) PrintReadFigures(folder, options.figureSizes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "isambench: %s\n", e.what());
    status = 1;
  }
  std::filesystem::remove_all(folder);
  return status;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) { return bench::Main(argc, argv); }
