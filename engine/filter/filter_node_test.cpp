#include "engine/filter/filter_node.h"

#include <gtest/gtest.h>

#include "engine/errors.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/filter_levels.h"
#include "engine/filter/filter_test_support.h"

namespace isam {
namespace {

using filter_testing::TestSchema;

const TestSchema& Schema() {
  static const TestSchema schema({
      {"Q_ID", kFieldString, 0, 10},
      {"Q_EXAM_N", kFieldInt32},
      {"Q_SECT", kFieldInt16},
      {"PRICE", kFieldBcd, 0, 0, 2},
      {"Q_SIM", kFieldBoolean},
  });
  return schema;
}

class FilterNodeTest : public ::testing::Test {
 protected:
  TExprBuffer Parse(const std::string& text, TFilterOptions options = 0) {
    return ParseFilterText(Schema().FilterFields(), text, options);
  }
  int Build(const TExprBuffer& buffer, std::unique_ptr<TFilterNode>* tree) {
    return BuildFilterTree(buffer.data(), buffer.size(), Schema().fields(), "Q.DAT", tree);
  }
  std::string LastErrorText() {
    const ErrorContext& c = CurrentFileSession()->lastError;
    return ErrorText(c.code, c);
  }

  EngineScope engine_;
};

TEST_F(FilterNodeTest, FieldNodesTakeTheirLayoutFromTheDescriptors) {
  TFilterFieldList fields = Schema().FilterFields();
  fields[1].name = "q_exam_n";  // names resolve without regard to case
  fields[1].fieldNo = 99;       // and the buffer's field number is not used
  TExprBuffer buffer = ParseFilterText(fields, "q_exam_n = 3", 0);
  std::unique_ptr<TFilterNode> tree;
  ASSERT_EQ(Build(buffer, &tree), 0);
  const TFilterNode& field = *tree->left;
  EXPECT_EQ(field.fieldNumber, 2);
  EXPECT_EQ(field.dataType, kFieldInt32);
  EXPECT_EQ(field.size, 4);
  EXPECT_EQ(field.flagOffset, Schema().Field("Q_EXAM_N").offset);
  EXPECT_EQ(tree->right->size, 4);
  EXPECT_EQ(GetI32(tree->right->value.data()), 3);

  std::unique_ptr<TFilterNode> copy = CloneFilterTree(*tree);
  EXPECT_NE(copy->left.get(), tree->left.get());
  EXPECT_EQ(copy->left->fieldName, "q_exam_n");
  EXPECT_EQ(GetI32(copy->right->value.data()), 3);
}

TEST_F(FilterNodeTest, EmptyAndOverlongStringConstants) {
  std::unique_ptr<TFilterNode> tree;
  ASSERT_EQ(Build(Parse("Q_ID = ''"), &tree), 0);
  EXPECT_TRUE(tree->right->blank);
  // 255 characters (size 256) do not fit the 255-byte value area: the
  // constant keeps 254 characters and its NUL.
  ASSERT_EQ(Build(Parse("Q_ID = '" + std::string(255, 'x') + "'"), &tree), 0);
  EXPECT_EQ(tree->right->size, 255);
  EXPECT_EQ(tree->right->value[253], 'x');
  EXPECT_EQ(tree->right->value[254], 0);
}

TEST_F(FilterNodeTest, UnknownFieldIs9985) {
  TFilterFieldList fields = Schema().FilterFields();
  fields.push_back({"GONE", 9, kFieldInt32, 0, 0, 0, true});
  TExprBuffer buffer = ParseFilterText(fields, "GONE = 1", 0);
  std::unique_ptr<TFilterNode> tree;
  EXPECT_EQ(Build(buffer, &tree), kInvalidField);
  EXPECT_EQ(LastErrorText(), "Invalid field number or name GONE specified for data file Q.DAT");
  EXPECT_FALSE(tree);
}

TEST_F(FilterNodeTest, MalformedBuffersAre10051) {
  const TExprBuffer good = Parse("NOT Q_EXAM_N = 3");  // unary at 0, binary at 10
  std::unique_ptr<TFilterNode> tree;
  ASSERT_EQ(Build(good, &tree), 0);

  struct Case {
    const char* what;
    std::function<void(TExprBuffer&)> corrupt;
  };
  const Case cases[] = {
      {"version", [](TExprBuffer& b) { b[0] = 1; }},
      {"size beyond the buffer", [](TExprBuffer& b) { PutU16(&b[2], uint16_t(b.size() + 1)); }},
      {"truncated", [](TExprBuffer& b) { b.resize(8); }},
      {"node area start", [](TExprBuffer& b) { PutU16(&b[6], 12); }},
      {"literal area beyond the end", [](TExprBuffer& b) { PutU16(&b[8], uint16_t(b.size() + 5)); }},
      {"operand outside the node area", [](TExprBuffer& b) { PutU16(&b[18], 400); }},
      {"a cycle", [](TExprBuffer& b) { PutU16(&b[18], 0); }},
      {"unknown node class", [](TExprBuffer& b) { PutU32(&b[20], 9); }},
      {"unknown operator", [](TExprBuffer& b) { PutU32(&b[14], 12); }},
      {"constant of the wrong width", [](TExprBuffer& b) { PutU16(&b[10 + 34 + 10], 3); }},
      {"constant beyond the end", [](TExprBuffer& b) { PutU16(&b[10 + 34 + 12], 200); }},
      {"field name without its NUL", [](TExprBuffer& b) {
         b.resize(b.size() - 4);  // cut the constant and the name's NUL
         b.back() = 'N';
         PutU16(&b[2], uint16_t(b.size()));
       }},
      {"a value where a predicate belongs", [](TExprBuffer& b) { PutU16(&b[18], 22); }},
  };
  for (const Case& c : cases) {
    TExprBuffer buffer = good;
    c.corrupt(buffer);
    tree.reset();
    EXPECT_EQ(Build(buffer, &tree), kInvalidFilterExpression) << c.what;
    EXPECT_FALSE(tree) << c.what;
  }
  EXPECT_EQ(LastErrorText(), "Invalid filter expression specified for data file Q.DAT");
  EXPECT_EQ(BuildFilterTree(nullptr, 0, Schema().fields(), "Q.DAT", &tree), kInvalidFilterExpression);
}

// Levels against an index on Q_EXAM_N (slot 0), a case-insensitive one on
// Q_ID (slot 1) and a descending one on Q_SECT (slot 2).
class FilterLevelsTest : public FilterNodeTest {
 protected:
  std::unique_ptr<TFilterNode> Levelled(const std::string& text, TFilterOptions options = 0) {
    std::unique_ptr<TFilterNode> tree;
    EXPECT_EQ(Build(Parse(text, options), &tree), 0);
    AssignFilterLevels(*tree, indexes_, false);
    return tree;
  }
  uint8_t Level(const std::string& text, TFilterOptions options = 0) {
    return Levelled(text, options)->level;
  }

  std::vector<TFilterIndex> indexes_ = {
      {0, 2, false, false},
      {1, 1, true, false},
      {2, 3, false, true},
      {3, 4, false, false},
      {4, 5, false, false},
  };
};

TEST_F(FilterLevelsTest, LeavesNeedASuitableIndex) {
  struct Case {
    const char* text;
    TFilterOptions options;
    uint8_t level;
  };
  const Case cases[] = {
      {"Q_EXAM_N = 3", 0, 0},
      {"Q_EXAM_N >= 3", 0, 0},
      {"Q_EXAM_N = NULL", 0, 0},
      {"Q_EXAM_N = Q_SECT", 0, 2},            // field against field
      {"Q_ID = 'a'", 0, 2},                   // a binary string compare needs a case-sensitive index
      {"Q_ID = 'a'", foCaseInsensitive, 0},   // the compare node matches the index's flag
      {"Q_ID = 'a*'", 0, 2},
      {"Q_ID = 'a*'", foCaseInsensitive, 0},
      {"Q_ID <> NULL", 0, 0},                 // ISBLANK/NOTBLANK take either kind
      {"Q_ID = '12345678901'", foCaseInsensitive, 2},  // longer than the field: no key holds it
      {"Q_SECT = 1", 0, 0},                   // descending keys answer equality
      {"Q_SECT <> 1", 0, 0},
      {"Q_SECT > 1", 0, 2},                   // ... but not an ordering
      {"PRICE = 1", 0, 2},                    // BCD keys and constants are scaled differently
      {"Q_SIM", 0, 0},
      {"Q_SIM > False", 0, 2},                // Booleans have no order
      {"NOT Q_EXAM_N = 3", 0, 0},
      {"Q_EXAM_N = 3 OR Q_SECT = 1", 0, 0},
      {"Q_EXAM_N = 3 OR Q_SECT > 1", 0, 2},
      {"Q_EXAM_N = 3 AND Q_SECT > 1", 0, 1},
      {"Q_EXAM_N = Q_SECT AND Q_SECT > 1", 0, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(Level(c.text, c.options), c.level) << c.text;
}

TEST_F(FilterLevelsTest, AndPutsTheIndexedSideFirst) {
  for (const char* text : {"Q_EXAM_N = 3 AND Q_SECT > 1", "Q_SECT > 1 AND Q_EXAM_N = 3"}) {
    auto tree = Levelled(text);
    EXPECT_EQ(tree->level, 1) << text;
    EXPECT_EQ(tree->left->level, 0) << text;
    EXPECT_EQ(tree->left->indexSlot, 0) << text;
    EXPECT_EQ(tree->left->left->fieldName, "Q_EXAM_N") << text;
    EXPECT_EQ(tree->right->level, 2) << text;
  }
}

}  // namespace
}  // namespace isam
