// For random filters over generated records, the index-answered bitmaps, the
// record-by-record bitmaps and a simple model of the filter language agree;
// also after inserts, edits and deletes and within an index range.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>

#include "engine/filter/filter_expr.h"
#include "engine/filter/filter_table_fixture.h"
#include "engine/filter/table_filters.h"

namespace isam {
namespace {

using filter_testing::IndexOn;
using filter_testing::MemoryTable;
using filter_testing::TestRecord;
using filter_testing::TestSchema;

const TestSchema& Schema() {
  static const TestSchema schema({
      {"ID", kFieldInt32, kSubtypeAutoIncrement},
      {"N", kFieldInt32},
      {"S", kFieldInt16},
      {"T", kFieldString, 0, 6},
      {"U", kFieldString, 0, 6},
      {"B", kFieldBoolean},
      {"F", kFieldFloat},
      {"D", kFieldDate},
  });
  return schema;
}

std::vector<TIndexDef> Indexes() {
  TIndexDef u = IndexOn("ByU", 5);
  u.caseInsensitive = true;
  TIndexDef f = IndexOn("ByF", 7);
  f.fieldDescending = {true};  // first field descending: equality only
  TIndexDef d = IndexOn("ByD", 8);
  d.descending = true;  // the whole index descending: equality only
  return {IndexOn("Primary", 1, true), IndexOn("ByN", 2), IndexOn("ByT", 4), u,
          IndexOn("ByB", 6), f, d};
}

const int32_t kBaseDay = DayNumber(2024, 2, 27);

struct Row {
  int32_t id = 0;
  std::optional<int32_t> n, s, d;
  std::optional<std::string> t, u;
  std::optional<bool> b;
  std::optional<double> f;
};

std::vector<uint8_t> ImageOf(const Row& row) {
  TestRecord r(Schema());
  r.Int("ID", row.id);
  if (row.n) r.Int("N", *row.n);
  if (row.s) r.Int("S", *row.s);
  if (row.t) r.Str("T", *row.t);
  if (row.u) r.Str("U", *row.u);
  if (row.b) r.Int("B", *row.b);
  if (row.f) r.Float("F", *row.f);
  if (row.d) r.Int("D", *row.d);
  return r.image();
}

const char* const kWords[] = {"a", "A", "ab", "Ab", "aB", "abc", "abd", "b", "B", "zz"};
const char* const kConstants[] = {"",    "a",  "A",  "ab",     "Ab",      "abc", "b",
                                  "ab*", "A*", "*",  "abcdef", "abcdefg", "zz*", "AB"};
const double kFloats[] = {-1.5, -0.0, 0.0, 0.5, 2.25};

enum Op { EQ, NE, LT, GT, LE, GE };
const char* const kOpText[] = {"=", "<>", "<", ">", "<=", ">="};
Op Mirror(Op op) {
  switch (op) {
    case LT: return GT;
    case GT: return LT;
    case LE: return GE;
    case GE: return LE;
    default: return op;
  }
}

// The language's blank rules: EQ false and NE true against one blank side;
// an ordering with a blank side is false.
template <typename T>
bool Holds(Op op, const std::optional<T>& value, const T& constant) {
  if (!value) return op == NE;
  switch (op) {
    case EQ: return *value == constant;
    case NE: return !(*value == constant);
    case LT: return *value < constant;
    case GT: return constant < *value;
    case LE: return !(constant < *value);
    case GE: return !(*value < constant);
  }
  return false;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return s;
}

using Model = std::function<bool(const Row&)>;
struct Expr {
  std::string text;
  Model model;
};

class Generator {
 public:
  Generator(std::mt19937& rng, TFilterOptions options) : rng_(rng), options_(options) {}

  Expr Any(int depth) {
    int kind = depth > 0 ? Pick(6) : 3;
    if (kind >= 3) return Leaf();
    Expr left = Any(depth - 1);
    if (kind == 0) {
      return {"NOT (" + left.text + ")", [m = left.model](const Row& r) { return !m(r); }};
    }
    Expr right = Any(depth - 1);
    if (kind == 1)
      return {"(" + left.text + ") AND (" + right.text + ")",
              [l = left.model, r = right.model](const Row& row) { return l(row) && r(row); }};
    return {"(" + left.text + ") OR (" + right.text + ")",
            [l = left.model, r = right.model](const Row& row) { return l(row) || r(row); }};
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // "F op c", or the mirrored "c op' F".
  std::string Comparison(const std::string& field, Op op, const std::string& constant) {
    if (Pick(2)) return constant + " " + kOpText[Mirror(op)] + " " + field;
    return field + " " + kOpText[op] + " " + constant;
  }

  template <typename T>
  Expr Numeric(const std::string& field, std::optional<T> Row::*member, T constant,
               const std::string& text) {
    Op op = Op(Pick(6));
    return {Comparison(field, op, text),
            [=](const Row& r) { return Holds(op, r.*member, constant); }};
  }

  Expr String(const std::string& field, std::optional<std::string> Row::*member) {
    Op op = Op(Pick(6));
    std::string constant = kConstants[Pick(std::size(kConstants))];
    TFilterOptions options = options_;
    Model model = [=](const Row& r) {
      const std::optional<std::string>& v = r.*member;
      if (constant.empty()) return op == EQ ? !v : op == NE ? bool(v) : false;
      if (!v) return op == NE;
      if (op != EQ && op != NE) return Holds(op, v, constant);
      std::string text = constant, value = *v;
      if (!(options & foNoPartialCompare) && text.size() > 1 && text.back() == '*') {
        text.pop_back();
        value = value.substr(0, text.size());
      }
      if (options & foCaseInsensitive) {
        text = Upper(text);
        value = Upper(value);
      }
      return (value == text) == (op == EQ);
    };
    return {Comparison(field, op, "'" + constant + "'"), model};
  }

  Expr Leaf() {
    switch (Pick(11)) {
      case 0: {
        int k = Pick(9) - 4;
        return Numeric<int32_t>("N", &Row::n, k, std::to_string(k));
      }
      case 1: {
        int k = Pick(9) - 4;
        return Numeric<int32_t>("S", &Row::s, k, std::to_string(k));
      }
      case 2: return String("T", &Row::t);
      case 3: return String("U", &Row::u);
      case 4: {
        switch (Pick(5)) {
          case 0: return {"B", [](const Row& r) { return r.b && *r.b; }};
          case 1: return {"B = False", [](const Row& r) { return r.b && !*r.b; }};
          case 2: return {"True <> B", [](const Row& r) { return !r.b || !*r.b; }};
          case 3: return {"B > False", [](const Row&) { return false; }};
          default: return {"NOT B", [](const Row& r) { return !(r.b && *r.b); }};
        }
      }
      case 5: {
        double c = kFloats[Pick(std::size(kFloats))];
        char text[32];
        std::snprintf(text, sizeof text, "%g", c);
        return Numeric<double>("F", &Row::f, c, text);
      }
      case 6: {
        int32_t day = kBaseDay + Pick(5) - 2;
        int y, m, d;
        CivilFromDayNumber(day, &y, &m, &d);
        std::string text = "'" + std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y) + "'";
        return Numeric<int32_t>("D", &Row::d, day, text);
      }
      case 7: {
        static const char* const kFields[] = {"ID", "N", "S", "T", "U", "B", "F", "D"};
        int field = Pick(8);
        bool eq = Pick(2);
        std::string text = std::string(kFields[field]) + (eq ? " = NULL" : " <> NULL");
        return {text, [=](const Row& r) {
                  bool blank = field == 1   ? !r.n
                               : field == 2 ? !r.s
                               : field == 3 ? !r.t
                               : field == 4 ? !r.u
                               : field == 5 ? !r.b
                               : field == 6 ? !r.f
                               : field == 7 ? !r.d
                                            : false;  // auto-increment values are never blank
                  return blank == eq;
                }};
      }
      case 8: {
        Op op = Op(Pick(6));
        return {std::string("N ") + kOpText[op] + " S", [=](const Row& r) {
                  if (!r.n || !r.s) {
                    if (op == EQ) return !r.n && !r.s;
                    if (op == NE) return bool(r.n) != bool(r.s);
                    return false;
                  }
                  return Holds(op, r.n, *r.s);
                }};
      }
      case 9: {
        int k = Pick(40);
        Op op = Op(Pick(6));
        return {Comparison("ID", op, std::to_string(k)),
                [=](const Row& r) { return Holds(op, std::optional<int32_t>(r.id), k); }};
      }
      default: {
        int k = Pick(7) - 3;
        return Numeric<int32_t>("N", &Row::n, k, std::to_string(k));
      }
    }
  }

  std::mt19937& rng_;
  TFilterOptions options_;
};

class FilterAgreementTest : public ::testing::Test {
 protected:
  FilterAgreementTest() : table_(Schema(), Indexes()) {}

  Row RandomRow() {
    auto maybe = [&](auto value) -> std::optional<decltype(value)> {
      if (std::uniform_int_distribution<int>(0, 6)(rng_) == 0) return std::nullopt;
      return value;
    };
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); };
    Row row;
    row.id = ++lastId_;
    row.n = maybe(int32_t(pick(7) - 3));
    row.s = maybe(int32_t(pick(7) - 3));
    row.t = maybe(std::string(kWords[pick(std::size(kWords))]));
    row.u = maybe(std::string(kWords[pick(std::size(kWords))]));
    row.b = maybe(bool(pick(2)));
    // F and D lean to one value, so that equality on their descending
    // indexes often holds for more than half of the records.
    row.f = maybe(pick(3) ? 0.0 : kFloats[pick(std::size(kFloats))]);
    row.d = maybe(int32_t(pick(3) ? kBaseDay : kBaseDay + pick(5) - 2));
    return row;
  }

  void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
      Row row = RandomRow();
      rows_.push_back(row);
      table_.Add(ImageOf(row));
    }
  }

  // The records a model accepts among the live ones (and those in range).
  TRecordBitmap Expected(const Model& model, const std::function<bool(const Row&)>& inRange = {}) {
    TRecordBitmap bits(table_.SlotCount());
    for (uint32_t n = 1; n <= rows_.size(); ++n)
      if (!table_.Deleted(n) && model(rows_[n - 1]) && (!inRange || inRange(rows_[n - 1])))
        bits.Set(n);
    return bits;
  }

  static std::string Describe(const TRecordBitmap& bits) {
    std::string s;
    for (uint32_t n = bits.NextSet(0); n; n = bits.NextSet(n)) s += std::to_string(n) + " ";
    return s;
  }

  // Activates a filter text both ways and checks both against the model.
  void Check(const Expr& expr, TFilterOptions options,
             const std::function<bool(const Row&)>& inRange = {}) {
    TExprBuffer buffer = ParseFilterText(Schema().FilterFields(), expr.text, options);
    TRecordBitmap expected = Expected(expr.model, inRange);
    for (bool useIndexes : {true, false}) {
      TTableFilters filters(table_.index(), table_);
      filters.SetUseIndexes(useIndexes);
      TFilterHandle handle;
      ASSERT_EQ(filters.AddExpression(buffer.data(), buffer.size(), &handle), 0);
      ASSERT_EQ(filters.Activate(handle), 0);
      ASSERT_EQ(filters.Visible(), expected)
          << expr.text << " options " << int(options) << (useIndexes ? " (indexed)" : " (scan)")
          << "\n got:  " << Describe(filters.Visible()) << "\n want: " << Describe(expected);
      ASSERT_EQ(filters.VisibleCount(), expected.Count());
    }
  }

  std::mt19937 rng_{20261210};
  MemoryTable table_;
  std::vector<Row> rows_;
  int32_t lastId_ = 0;
};

TEST_F(FilterAgreementTest, RandomFiltersAgreeWithTheModel) {
  AddRows(400);
  for (uint32_t n = 3; n <= 400; n += 7) table_.Delete(n);
  for (int i = 0; i < 2500; ++i) {
    TFilterOptions options = TFilterOptions(std::uniform_int_distribution<int>(0, 3)(rng_));
    Generator generator(rng_, options);
    Expr expr = generator.Any(i % 4);
    Check(expr, options);
    if (HasFatalFailure()) return;
  }
}

TEST_F(FilterAgreementTest, BitmapsStayCurrentThroughChangesAndRanges) {
  AddRows(250);
  std::vector<Expr> exprs;
  std::vector<TFilterOptions> options;
  for (int i = 0; i < 6; ++i) {
    options.push_back(TFilterOptions(i % 4));
    Generator generator(rng_, options.back());
    exprs.push_back(generator.Any(2));
  }

  // A range on N from -1 to 2 over the current index.
  const int byN = table_.index().FindIndex("ByN");
  ASSERT_EQ(table_.index().SelectIndex(byN), 0);
  std::vector<uint8_t> low(table_.index().KeyLength(byN)), high(low.size());
  Row bound;
  bound.n = -1;
  table_.index().BuildKey(byN, ImageOf(bound).data(), 0, low.data());
  bound.n = 2;
  table_.index().BuildKey(byN, ImageOf(bound).data(), 0x7FFFFFFF, high.data());
  ASSERT_EQ(table_.index().SetRange(low.data(), high.data()), 0);
  auto inRange = [](const Row& r) { return r.n && *r.n >= -1 && *r.n <= 2; };

  for (size_t e = 0; e < exprs.size(); ++e) {
    TExprBuffer buffer = ParseFilterText(Schema().FilterFields(), exprs[e].text, options[e]);
    TTableFilters filters(table_.index(), table_);
    TFilterHandle handle;
    ASSERT_EQ(filters.AddExpression(buffer.data(), buffer.size(), &handle), 0);
    ASSERT_EQ(filters.Activate(handle), 0);
    ASSERT_EQ(filters.Visible(), Expected(exprs[e].model, inRange)) << exprs[e].text;

    // Inserts, edits and deletes, each reported to the filters.
    for (int step = 0; step < 60; ++step) {
      int action = std::uniform_int_distribution<int>(0, 2)(rng_);
      uint32_t n = std::uniform_int_distribution<uint32_t>(1, uint32_t(rows_.size()))(rng_);
      if (action == 0 || table_.Deleted(n)) {
        Row row = RandomRow();
        rows_.push_back(row);
        uint32_t added = table_.Add(ImageOf(row));
        ASSERT_EQ(filters.RecordChanged(added, table_.Image(added).data()), 0);
      } else if (action == 1) {
        Row row = RandomRow();
        row.id = rows_[n - 1].id;
        rows_[n - 1] = row;
        table_.Modify(n, ImageOf(row));
        ASSERT_EQ(filters.RecordChanged(n, table_.Image(n).data()), 0);
      } else {
        table_.Delete(n);
        filters.RecordDeleted(n);
      }
    }
    TRecordBitmap expected = Expected(exprs[e].model, inRange);
    ASSERT_EQ(filters.Visible(), expected) << exprs[e].text << " after changes";
    ASSERT_EQ(filters.VisibleCount(), expected.Count()) << exprs[e].text;
    // A full rebuild finds the same set.
    ASSERT_EQ(filters.Rebuild(), 0);
    ASSERT_EQ(filters.Visible(), expected) << exprs[e].text << " rebuilt";
  }

  ASSERT_EQ(table_.index().CancelRange(), 0);
  Generator generator(rng_, 0);
  for (int i = 0; i < 200; ++i) Check(generator.Any(2), 0);
}

}  // namespace
}  // namespace isam
