#include "engine/filter/filter_eval.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/filter_test_support.h"

namespace isam {
namespace {

using filter_testing::TestRecord;
using filter_testing::TestSchema;

const TestSchema& Schema() {
  static const TestSchema schema({
      {"Q_ID", kFieldString, 0, 10},
      {"Q_EXAM_N", kFieldInt32},
      {"Q_SECT", kFieldInt16},
      {"Q_SIM", kFieldBoolean},
      {"RATE", kFieldFloat},
      {"PRICE", kFieldBcd, 0, 0, 2},
      {"TAKEN", kFieldDate},
      {"STAMP", kFieldDateTime},
      {"AT", kFieldTime},
      {"COUNT", kFieldUInt16},
      {"SEQ", kFieldInt32, kSubtypeAutoIncrement},
  });
  return schema;
}

// Four records with blanks, negatives and strings differing in case.
std::vector<TestRecord> Records() {
  const TestSchema& s = Schema();
  const double day = 86400000.0;
  std::vector<TestRecord> r(4, TestRecord(s));
  r[0].Str("Q_ID", "abc").Int("Q_EXAM_N", 3).Int("Q_SECT", -2).Int("Q_SIM", 1).Float("RATE", 1.5)
      .Bcd("PRICE", 12.5).Int("TAKEN", DayNumber(2003, 1, 2)).Int("AT", 3600000)
      .Float("STAMP", DayNumber(2003, 1, 2) * day + 1000).Int("COUNT", 65535).Int("SEQ", 1);
  r[1].Str("Q_ID", "ABD").Int("Q_SECT", 0).Int("Q_SIM", 0).Float("RATE", -0.0)
      .Bcd("PRICE", -3.1).Int("TAKEN", DayNumber(2003, 1, 3)).Int("COUNT", 0).Int("SEQ", 2)
      .Float("STAMP", DayNumber(2003, 1, 3) * day);
  r[2].Int("Q_EXAM_N", 0).Float("RATE", -2.25).Int("SEQ", 3)
      .Float("STAMP", DayNumber(2003, 1, 3) * day);
  r[3].Str("Q_ID", "ab").Int("Q_EXAM_N", -5).Int("Q_SECT", 7).Int("Q_SIM", 0).Bcd("PRICE", 0)
      .Int("AT", 0).Int("SEQ", 0);
  return r;
}

std::set<int> Matches(const std::string& text, TFilterOptions options = 0) {
  EngineScope engine;
  TExprBuffer buffer = ParseFilterText(Schema().FilterFields(), text, options);
  std::unique_ptr<TFilterNode> tree;
  EXPECT_EQ(BuildFilterTree(buffer.data(), buffer.size(), Schema().fields(), "T.DAT", &tree), 0);
  std::set<int> matches;
  std::vector<TestRecord> records = Records();
  for (size_t i = 0; i < records.size(); ++i)
    if (tree && EvaluateFilter(*tree, records[i].data(), nullptr)) matches.insert(int(i));
  return matches;
}

TEST(FilterEvalTest, TypedComparisonsWithBlanks) {
  struct Case {
    const char* text;
    TFilterOptions options;
    std::set<int> expected;
  };
  const Case cases[] = {
      {"Q_EXAM_N=3", 0, {0}},
      {"Q_EXAM_N<>0", 0, {0, 1, 3}},       // a blank side makes NE true
      {"Q_EXAM_N<3", 0, {2, 3}},           // blank never satisfies an ordering
      {"NOT Q_EXAM_N<3", 0, {0, 1}},       // ... so NOT of it keeps blanks
      {"Q_EXAM_N>=-5", 0, {0, 2, 3}},
      {"Q_EXAM_N=NULL", 0, {1}},
      {"Q_EXAM_N<>NULL", 0, {0, 2, 3}},
      {"Q_SECT<0", 0, {0}},
      {"Q_SECT<Q_EXAM_N", 0, {0}},         // field against field, blanks excluded
      {"Q_SECT=Q_SECT", 0, {0, 1, 2, 3}},  // both blank: equal
      {"Q_ID=''", 0, {2}},
      {"Q_ID<>''", 0, {0, 1, 3}},
      {"Q_ID>''", 0, {}},
      {"Q_ID='ab*'", 0, {0, 3}},
      {"Q_ID='ab*'", foCaseInsensitive, {0, 1, 3}},
      {"Q_ID<>'ab*'", 0, {1, 2}},
      {"Q_ID='ab*'", foNoPartialCompare, {}},
      {"Q_ID='AB'", foCaseInsensitive, {3}},
      {"Q_ID='ab'", 0, {3}},
      {"Q_ID>'ab'", 0, {0}},               // a shorter string sorts first
      {"Q_ID<'ab'", 0, {1}},               // upper case sorts before lower case
      {"Q_SIM", 0, {0}},
      {"NOT Q_SIM", 0, {1, 2, 3}},
      {"Q_SIM=False", 0, {1, 3}},
      {"Q_SIM>False", 0, {}},              // Booleans have no order
      {"RATE=0", 0, {1}},                  // -0.0 equals 0
      {"RATE<-2", 0, {2}},
      {"PRICE=12.5", 0, {0}},
      {"PRICE<-3.09", 0, {1}},
      {"PRICE>=0", 0, {0, 3}},
      {"TAKEN>'1/2/2003'", 0, {1}},
      {"TAKEN<STAMP", 0, {0}},             // a date is the start of its day
      {"TAKEN>=STAMP", 0, {1}},
      {"AT<='1:00'", 0, {0, 3}},
      {"COUNT=65535", 0, {0}},
      {"SEQ=0", 0, {3}},                   // auto-increment values are never blank
      {"SEQ>Q_EXAM_N", 0, {2, 3}},
      {"Q_EXAM_N=3 OR Q_SECT=7", 0, {0, 3}},
      {"Q_EXAM_N<>0 AND NOT Q_ID='ab*'", 0, {1}},
  };
  for (const Case& c : cases) EXPECT_EQ(Matches(c.text, c.options), c.expected) << c.text;
}

TEST(FilterEvalTest, MismatchedTypesNeverMatch) {
  // Field against field of unrelated types: neither EQ nor NE holds unless
  // the blank rules decide (one side blank in records 1 and 2).
  EXPECT_EQ(Matches("Q_ID=Q_EXAM_N"), std::set<int>{});
  EXPECT_EQ(Matches("Q_ID<>Q_EXAM_N"), (std::set<int>{1, 2}));
}

TEST(FilterEvalTest, CollationWithoutLocale) {
  struct Case {
    const char* a;
    const char* b;
    bool caseInsensitive;
    size_t partial;
    int expected;
  };
  const Case cases[] = {
      {"abc", "abc", false, 0, 0},   {"ab", "abc", false, 0, -1},  {"abc", "ab", false, 0, 1},
      {"ABC", "abc", false, 0, -1},  {"ABC", "abc", true, 0, 0},   {"abcd", "abc", false, 3, 0},
      {"ab", "abc", false, 3, -1},   {"\xE9", "\xC9", true, 0, 1},  // only ASCII letters fold
      {"a\xFF", "az", false, 0, 1},  {"", "", false, 5, 0},
  };
  for (const Case& c : cases) {
    int order = CollateStrings(c.a, std::strlen(c.a), c.b, std::strlen(c.b), c.caseInsensitive,
                               c.partial, nullptr);
    EXPECT_EQ(order, c.expected) << c.a << " vs " << c.b;
  }
}

class RecordingLocale : public TTableLocale {
 public:
  int Compare(const char* a, size_t aLength, const char* b, size_t bLength,
              bool ignoreCase) const override {
    seen = std::string(a, aLength) + "|" + std::string(b, bLength) + (ignoreCase ? "|i" : "");
    return -7;
  }
  void MapKeyCharacters(uint8_t*, size_t, bool) const override {}
  mutable std::string seen;
};

TEST(FilterEvalTest, CollationWithLocaleComparesThePartialLength) {
  RecordingLocale locale;
  EXPECT_EQ(CollateStrings("abcd", 4, "ab", 2, true, 3, &locale), -1);
  EXPECT_EQ(locale.seen, "abc|ab|i");
  CollateStrings("abcd", 4, "ab", 2, false, 0, &locale);
  EXPECT_EQ(locale.seen, "abcd|ab");
}

}  // namespace
}  // namespace isam
