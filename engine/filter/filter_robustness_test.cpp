// Untrusted input: random filter texts either compile or raise a dataset
// error, and whatever compiles reads back into an evaluation tree; damaged
// buffers are refused with an engine error or evaluate safely.
#include <gtest/gtest.h>

#include <random>

#include "engine/filter/dataset_error.h"
#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/filter/filter_eval.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/filter_test_support.h"

namespace isam {
namespace {

using filter_testing::TestRecord;
using filter_testing::TestSchema;

const TestSchema& Schema() {
  static const TestSchema schema({
      {"N", kFieldInt32},
      {"S", kFieldInt16},
      {"T", kFieldString, 0, 12},
      {"B", kFieldBoolean},
      {"F", kFieldFloat},
      {"D", kFieldDate},
      {"M", kFieldBlob, kSubtypeMemo},
  });
  return schema;
}

TEST(FilterRobustnessTest, RandomTextsCompileOrRaiseADatasetError) {
  EngineScope engine;
  const char* const pieces[] = {"N", "S", "T", "B", "F", "D", "M", "[N]", "[T",  "'ab'", "'a*'",
                                "''", "'x",  "3", "-2", "1.5", "1e3", "=", "<>", "<",  ">=",
                                "(", ")", " AND ", " OR ", "NOT ", "NULL", "True", "False", "#",
                                " ", "'1/2/2003'", "65536"};
  std::mt19937 rng(7);
  TestRecord record(Schema());
  record.Int("N", 3).Str("T", "abc").Int("B", 1);
  const char* const fields[] = {"N", "S", "T", "B", "F", "D", "M", "[T]", "X"};
  const char* const ops[] = {"=", "<>", "<", ">=", ""};
  const char* const constants[] = {"3", "-2", "1.5", "'ab'", "'a*'", "''", "NULL", "True",
                                   "'1/2/2003'", "70000", "S", "'x'"};
  const char* const joins[] = {" AND ", " OR ", " AND NOT ", " "};
  auto pick = [&](auto& list) { return list[std::uniform_int_distribution<size_t>(0, std::size(list) - 1)(rng)]; };
  int compiled = 0;
  for (int i = 0; i < 20000; ++i) {
    // Comparisons joined by AND / OR, then now and then a random piece
    // inserted anywhere.
    std::string text;
    int terms = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int t = 0; t < terms; ++t) {
      if (t) text += pick(joins);
      std::string op = pick(ops);
      text += std::string(pick(fields)) + op + (op.empty() ? "" : pick(constants));
    }
    if (i % 3 == 0) {
      size_t at = std::uniform_int_distribution<size_t>(0, text.size())(rng);
      text.insert(at, pick(pieces));
    }
    TExprBuffer buffer;
    try {
      buffer = ParseFilterText(Schema().FilterFields(), text, foCaseInsensitive);
    } catch (const EDatabaseError&) {
      continue;
    }
    ++compiled;
    std::unique_ptr<TFilterNode> tree;
    ASSERT_EQ(BuildFilterTree(buffer.data(), buffer.size(), Schema().fields(), "R.DAT", &tree), 0)
        << text;
    EvaluateFilter(*tree, record.data(), nullptr);
  }
  EXPECT_GT(compiled, 500);
}

TEST(FilterRobustnessTest, DamagedBuffersAreRefusedOrEvaluateSafely) {
  EngineScope engine;
  const TExprBuffer good = ParseFilterText(
      Schema().FilterFields(), "(N > 2 AND NOT T = 'ab*') OR (B AND D <> NULL) OR F < S", 0);
  TestRecord record(Schema());
  record.Int("N", 3).Str("T", "abc").Int("B", 1);
  std::mt19937 rng(11);
  for (int i = 0; i < 20000; ++i) {
    TExprBuffer buffer = good;
    int flips = std::uniform_int_distribution<int>(1, 3)(rng);
    for (int f = 0; f < flips; ++f) {
      size_t at = std::uniform_int_distribution<size_t>(0, buffer.size() - 1)(rng);
      buffer[at] = uint8_t(std::uniform_int_distribution<int>(0, 255)(rng));
    }
    std::unique_ptr<TFilterNode> tree;
    int rc = BuildFilterTree(buffer.data(), buffer.size(), Schema().fields(), "R.DAT", &tree);
    ASSERT_TRUE(rc == 0 || rc == kInvalidFilterExpression || rc == kInvalidField) << rc;
    if (rc == 0) EvaluateFilter(*tree, record.data(), nullptr);
  }
}

}  // namespace
}  // namespace isam
