#pragma once
// What the filter fuzz targets do with their input, in a header so that the
// regression test of the normal suite replays found inputs the same way.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/filter/dataset_error.h"
#include "engine/filter/filter_eval.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/filter_node.h"
#include "fuzz/fuzz_support.h"

namespace isam::fuzzing {

// The table of FilterTable() with its records, made once per process.
struct TFilterBench {
  std::unique_ptr<TDataFile> table;
  std::vector<std::vector<uint8_t>> records;
  TFilterFieldList fields;
};

inline std::unique_ptr<TFilterBench> MakeFilterBench(const std::string& folder) {
  auto bench = std::make_unique<TFilterBench>();
  std::string base = folder + "/F";
  if (CreateTable(base, FilterTable()) != kOk) return nullptr;
  bench->table = std::make_unique<TDataFile>();
  bench->table->SetPath(base);
  if (bench->table->Open() != kOk) return nullptr;
  bench->records = FilterRecords(*bench->table);
  bench->fields = FilterFieldsOf(bench->table->Fields());
  return bench;
}

// An expression buffer: read into a tree (or refused with an engine code),
// the tree evaluated over every record and copied.
inline void ExerciseFilterBuffer(const TFilterBench& bench, const uint8_t* data, size_t size) {
  std::unique_ptr<TFilterNode> root;
  if (BuildFilterTree(data, size, bench.table->Fields(), bench.table->Path(), &root) != kOk) return;
  for (const auto& image : bench.records) EvaluateFilter(*root, image.data(), nullptr);
  auto copy = CloneFilterTree(*root);
  EvaluateFilter(*copy, bench.records[0].data(), nullptr);
}

// A filter text (first byte: the filter options): parsed and compiled (or
// refused with EDatabaseError), then run as a buffer.
inline void ExerciseFilterText(const TFilterBench& bench, const uint8_t* data, size_t size) {
  if (size == 0) return;
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  TExprBuffer buffer;
  try {
    buffer = ParseFilterText(bench.fields, text, data[0] & 3);
  } catch (const EDatabaseError&) {
    return;
  }
  if (!buffer.empty()) ExerciseFilterBuffer(bench, buffer.data(), buffer.size());
}

}  // namespace isam::fuzzing
