// Every input the fuzz targets ever crashed on, replayed through the same
// steps (fuzz/table_exercise.h, fuzz/filter_exercise.h). The inputs live in
// fuzz/regressions/TARGET/ under the target names of fuzz/run.sh, one file
// each, beside a small seed per target so that no folder is ever empty; the
// test passes when none of them crashes, hangs or trips the sanitizers, and
// fails when a target's folder is missing or empty (a replay of nothing).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/file/file_session.h"
#include "fuzz/filter_exercise.h"
#include "fuzz/table_exercise.h"
#include "testing/temp_dir.h"

namespace isam {
namespace {

std::vector<std::filesystem::path> Inputs(const char* target) {
  const std::filesystem::path folder = std::filesystem::path(MARVESSA_FUZZ_REGRESSIONS) / target;
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(folder))
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.is_regular_file()) files.push_back(entry.path());
  if (files.empty()) ADD_FAILURE() << "no inputs to replay in " << folder;
  return files;
}

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class FuzzRegressionsTest : public ::testing::Test {
 protected:
  EngineScope engine_;
  testing_support::TempDir dir_;
};

TEST_F(FuzzRegressionsTest, DamagedTablesGiveEngineErrors) {
  const std::string base = dir_.File("T");
  for (bool change : {false, true}) {
    for (const auto& file : Inputs(change ? "table_write" : "table_read")) {
      SCOPED_TRACE(file.filename().string());
      std::string bytes = Bytes(file);
      fuzzing::WriteTableImages(base, fuzzing::SplitTableInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
      fuzzing::ExerciseTable(base, change);
    }
  }
}

TEST_F(FuzzRegressionsTest, FilterTextsAndBuffersGiveErrorsOrResults) {
  auto bench = fuzzing::MakeFilterBench(dir_.path());
  ASSERT_TRUE(bench);
  for (const auto& file : Inputs("filter_text")) {
    SCOPED_TRACE(file.filename().string());
    std::string bytes = Bytes(file);
    fuzzing::ExerciseFilterText(*bench, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  for (const auto& file : Inputs("filter_buffer")) {
    SCOPED_TRACE(file.filename().string());
    std::string bytes = Bytes(file);
    fuzzing::ExerciseFilterBuffer(*bench, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

}  // namespace
}  // namespace isam
