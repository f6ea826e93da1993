#include "engine/filter/filter_expr.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/file/le.h"
#include "engine/filter/dataset_error.h"
#include "engine/file/field_desc.h"
#include "engine/file/field_values.h"

namespace isam {
namespace {

TFilterFieldList TestFields() {
  return {
      {"Q_ID", 1, kFieldString, 0, 10, 0, true},
      {"Q_EXAM_N", 2, kFieldInt32, 0, 0, 0, true},
      {"Q_SECT", 3, kFieldInt16, 0, 0, 0, true},
      {"Q_TEXT", 4, kFieldBlob, kSubtypeMemo, 0, 0, true},
      {"Q_SIM", 5, kFieldBoolean, 0, 0, 0, true},
      {"My Field", 6, kFieldString, 0, 20, 0, true},
      {"TAKEN", 7, kFieldDate, 0, 0, 0, true},
      {"RATE", 8, kFieldFloat, 0, 0, 0, true},
      {"AT", 9, kFieldTime, 0, 0, 0, true},
      {"STAMP", 10, kFieldDateTime, 0, 0, 0, true},
      {"COUNT", 11, kFieldUInt16, 0, 0, 0, true},
      {"PRICE", 12, kFieldBcd, 0, 0, 2, true},
      {"RAW", 13, kFieldBytes, 0, 8, 0, true},
      {"CALC", 14, kFieldInt32, 0, 0, 0, false},
      {"SEQ", 15, kFieldInt32, kSubtypeAutoIncrement, 0, 0, true},
  };
}

TExprBuffer Parse(std::string_view text, TFilterOptions options = 0) {
  return ParseFilterText(TestFields(), text, options);
}

std::string ErrorOf(std::string_view text, TFilterOptions options = 0) {
  try {
    Parse(text, options);
  } catch (const EDatabaseError& e) {
    return e.what();
  }
  return "(no error)";
}

// Little-endian helpers for spelling out expected buffers.
void U16(TExprBuffer& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void U32(TExprBuffer& b, uint32_t v) {
  U16(b, uint16_t(v));
  U16(b, uint16_t(v >> 16));
}
void Bytes(TExprBuffer& b, std::initializer_list<uint8_t> bytes) { b.insert(b.end(), bytes); }
void Text(TExprBuffer& b, const char* text) {
  while (*text) b.push_back(uint8_t(*text++));
  b.push_back(0);
}
void Header(TExprBuffer& b, uint16_t total, uint16_t literalStart) {
  U16(b, 0);
  U16(b, total);
  U16(b, 0xFFFF);
  U16(b, 10);
  U16(b, literalStart);
}

TEST(FilterExprTest, IntegerEqualityIsABinaryNodeOverFieldAndConstant) {
  TExprBuffer want;
  Header(want, 61, 48);
  U32(want, 2), U32(want, 3), U16(want, 12), U16(want, 24);  // binary EQ at 0
  U32(want, 4), U32(want, 13), U16(want, 2), U16(want, 0);   // field 2, name at 0
  U32(want, 5), U32(want, 14), U16(want, 6), U16(want, 4), U16(want, 9);  // int32 const
  Text(want, "Q_EXAM_N");
  Bytes(want, {3, 0, 0, 0});
  EXPECT_EQ(Parse("Q_EXAM_N=3"), want);
  // The mirrored text and other spellings of the name compile alike.
  EXPECT_EQ(Parse("3 = q_exam_n"), want);
  EXPECT_EQ(Parse(" [Q_EXAM_N]\t=\t'3' "), want);
}

TEST(FilterExprTest, MirroredOrderingAndNegativeSixteenBitConstant) {
  TExprBuffer want;
  Header(want, 57, 48);
  U32(want, 2), U32(want, 6), U16(want, 12), U16(want, 24);  // LT: "-2 > Q_SECT"
  U32(want, 4), U32(want, 13), U16(want, 3), U16(want, 0);
  U32(want, 5), U32(want, 14), U16(want, 5), U16(want, 2), U16(want, 7);
  Text(want, "Q_SECT");
  Bytes(want, {0xFE, 0xFF});
  EXPECT_EQ(Parse("-2 > Q_SECT"), want);
}

TEST(FilterExprTest, BooleanFieldAloneAndNotAndOr) {
  // NOT Q_SIM OR Q_EXAM_N<>0: binary OR(unary NOT(binary EQ(Q_SIM, 0xFFFF)), NE(...)).
  TExprBuffer want;
  uint16_t nodes = 12 + 10 + 12 + 12 + 14 + 12 + 12 + 14;  // 98
  Header(want, uint16_t(10 + nodes + 6 + 2 + 9 + 4), uint16_t(10 + nodes));
  U32(want, 2), U32(want, 11), U16(want, 12), U16(want, 60);  // 0: OR
  U32(want, 1), U32(want, 9), U16(want, 22);                  // 12: NOT
  U32(want, 2), U32(want, 3), U16(want, 34), U16(want, 46);   // 22: EQ
  U32(want, 4), U32(want, 13), U16(want, 5), U16(want, 0);    // 34: Q_SIM
  U32(want, 5), U32(want, 14), U16(want, 4), U16(want, 2), U16(want, 6);   // 46: true
  U32(want, 2), U32(want, 4), U16(want, 72), U16(want, 84);   // 60: NE
  U32(want, 4), U32(want, 13), U16(want, 2), U16(want, 8);    // 72: Q_EXAM_N
  U32(want, 5), U32(want, 14), U16(want, 6), U16(want, 4), U16(want, 17);  // 84: 0
  Text(want, "Q_SIM");
  Bytes(want, {0xFF, 0xFF});
  Text(want, "Q_EXAM_N");
  Bytes(want, {0, 0, 0, 0});
  EXPECT_EQ(Parse("not Q_SIM or Q_EXAM_N<>0"), want);
  EXPECT_EQ(Parse("NOT (Q_SIM) OR (Q_EXAM_N <> 0)"), want);
}

TEST(FilterExprTest, StringPrefixAndCaseInsensitiveBecomeCompareNodes) {
  TExprBuffer want;
  Header(want, 10 + 16 + 12 + 14 + 5 + 3, 10 + 42);
  U32(want, 3), U32(want, 3), U16(want, 0), U16(want, 2), U16(want, 16), U16(want, 28);
  U32(want, 4), U32(want, 13), U16(want, 1), U16(want, 0);
  U32(want, 5), U32(want, 14), U16(want, 1), U16(want, 3), U16(want, 5);
  Text(want, "Q_ID");
  Text(want, "AB");
  EXPECT_EQ(Parse("Q_ID='AB*'"), want);

  // Case-insensitive equality: flag 1, whole values.
  TExprBuffer ci = Parse("Q_ID = 'ab'", foCaseInsensitive);
  EXPECT_EQ(ci[10], 3);       // compare node
  EXPECT_EQ(ci[18], 1);       // case-insensitive
  EXPECT_EQ(ci[20], 0);       // partial length
  // With foNoPartialCompare the '*' stays part of the text: a plain binary node.
  TExprBuffer literal = Parse("Q_ID = 'AB*'", foNoPartialCompare);
  EXPECT_EQ(literal[10], 2);
  EXPECT_EQ(std::string(literal.end() - 4, literal.end()), std::string("AB*\0", 4));
  // A lone '*' and other operators are compared as they stand.
  EXPECT_EQ(Parse("Q_ID='*'")[10], 2);
  EXPECT_EQ(Parse("Q_ID>'AB*'")[10], 2);
  // The empty string is a plain constant of size 1.
  TExprBuffer empty = Parse("Q_ID=''");
  EXPECT_EQ(empty[10], 2);
  EXPECT_EQ(empty.back(), 0);
}

TEST(FilterExprTest, NullBecomesIsBlankAndNotBlank) {
  TExprBuffer blank = Parse("Q_EXAM_N = NULL");
  TExprBuffer want;
  Header(want, 10 + 10 + 12 + 9, 32);
  U32(want, 1), U32(want, 1), U16(want, 10);
  U32(want, 4), U32(want, 13), U16(want, 2), U16(want, 0);
  Text(want, "Q_EXAM_N");
  EXPECT_EQ(blank, want);
  EXPECT_EQ(Parse("null <> Q_TEXT")[14], 2);  // NOTBLANK, memo fields may be tested for blank
}

TEST(FilterExprTest, FieldAgainstFieldHasNoConversion) {
  TExprBuffer b = Parse("Q_SECT >= Q_EXAM_N");
  TExprBuffer want;
  Header(want, 10 + 36 + 16, 46);
  U32(want, 2), U32(want, 7), U16(want, 12), U16(want, 24);
  U32(want, 4), U32(want, 13), U16(want, 3), U16(want, 0);
  U32(want, 4), U32(want, 13), U16(want, 2), U16(want, 7);
  Text(want, "Q_SECT");
  Text(want, "Q_EXAM_N");
  EXPECT_EQ(b, want);
}

// The literal bytes of the constant of "FIELD op value" (the buffer's tail).
TExprBuffer ConstantOf(std::string_view text, size_t size) {
  TExprBuffer b = Parse(text);
  return TExprBuffer(b.end() - static_cast<std::ptrdiff_t>(size), b.end());
}

TEST(FilterExprTest, ConstantsAreEncodedForTheFieldType) {
  EXPECT_EQ(ConstantOf("TAKEN = '1/2/2003'", 4), (TExprBuffer{0x51, 0x28, 0x0B, 0x00}));  // 731217
  EXPECT_EQ(ConstantOf("AT = '1:02:03 PM'", 4), (TExprBuffer{0xF8, 0xFC, 0xCB, 0x02}));  // 46923000
  EXPECT_EQ(ConstantOf("COUNT = 65535", 2), (TExprBuffer{0xFF, 0xFF}));
  EXPECT_EQ(ConstantOf("Q_SIM = False", 2), (TExprBuffer{0, 0}));
  EXPECT_EQ(ConstantOf("Q_SIM = 'true'", 2), (TExprBuffer{0xFF, 0xFF}));
  EXPECT_EQ(ConstantOf("SEQ = -1", 4), (TExprBuffer{0xFF, 0xFF, 0xFF, 0xFF}));
  // BCD: value rounded to the field's 2 places, times 10000, then 10 zero bytes.
  TExprBuffer bcd = ConstantOf("PRICE = 12.346", 18);  // 123500
  EXPECT_EQ(bcd, (TExprBuffer{0x6C, 0xE2, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Every digit of a value beyond a double's 53 bits: -922337203685477500.
  TExprBuffer big = ConstantOf("PRICE = -92233720368547.75", 18);
  EXPECT_EQ(GetI64(big.data()), -922337203685477500);
  TExprBuffer rate = ConstantOf("RATE < -2.5e1", 8);
  double value;
  std::memcpy(&value, rate.data(), 8);
  EXPECT_EQ(value, -25.0);
  TExprBuffer stamp = ConstantOf("STAMP >= '1/2/2003 0:00:01'", 8);
  std::memcpy(&value, stamp.data(), 8);
  EXPECT_EQ(value, DayNumber(2003, 1, 2) * 86400000.0 + 1000);
  // A string literal keeps at most 255 characters.
  TExprBuffer longText = Parse("Q_ID = '" + std::string(300, 'x') + "'");
  EXPECT_EQ(longText[10 + 24 + 8], 1);   // string type
  EXPECT_EQ(longText[10 + 24 + 10], 0);  // size 256 = 0x100
  EXPECT_EQ(longText[10 + 24 + 11], 1);
  EXPECT_EQ(longText.size(), 10u + 38 + 5 + 256);
}

TEST(FilterExprTest, MalformedTextsGetTheirMessages) {
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"Q_EXAM_N # 3", "Invalid filter expression character: '#'"},
      {"Q_EXAM_N = 3;", "Invalid filter expression character: ';'"},
      {"[Q_EXAM_N = 3", "Unterminated field name"},
      {"Q_ID = 'abc", "Unterminated string constant"},
      {"Q_EXAM_N =", "Expression expected but nothing found"},
      {"Q_EXAM_N = )", "Expression expected but ')' found"},
      {"= 3", "Expression expected but '=' found"},
      {"", "(no error)"},
      {" ", "Expression expected but nothing found"},
      {"Q_EXAM_N AND", "Expression expected but nothing found"},
      {"(Q_EXAM_N = 3", "')' expected but nothing found"},
      {"(Q_EXAM_N = 3 Q_SECT", "')' expected but 'Q_SECT' found"},
      {"Q_EXAM_N = 3 = 4", "Filter expression incorrectly terminated"},
      {"Q_EXAM_N = 3)", "Filter expression incorrectly terminated"},
      {"NOT NOT Q_SIM", "Filter expression incorrectly terminated"},
      {"NOT NOT", "Field 'NOT' not found"},
      {"3 = 4", "Field '3' not found"},
      {"NULL = NULL", "Field '' not found"},
      {"NOPE = 1", "Field 'NOPE' not found"},
      {"My Field = 'x'", "Filter expression incorrectly terminated"},
      {"'abc'", "Incorrectly formed filter expression"},
      {"True", "Incorrectly formed filter expression"},
      {"Q_SIM AND 3", "Incorrectly formed filter expression"},
      {"(Q_SIM = True) = Q_SIM", "Incorrectly formed filter expression"},
      {"Q_SIM = (Q_SIM = True)", "Incorrectly formed filter expression"},
      {"Q_EXAM_N", "Field 'Q_EXAM_N' is not of type Boolean"},
      {"Q_SIM AND NOT Q_ID", "Field 'Q_ID' is not of type Boolean"},
      {"Q_TEXT = 'x'", "Field 'Q_TEXT' cannot be used in a filter expression"},
      {"RAW = 'x'", "Field 'RAW' cannot be used in a filter expression"},
      {"CALC = 1", "Field 'CALC' cannot be used in a filter expression"},
      {"Q_EXAM_N = CALC", "Field 'CALC' cannot be used in a filter expression"},
      {"Q_EXAM_N > NULL", "NULL only allowed with '=' and '<>'"},
      {"Q_SECT = 32768", "Constant out of range"},
      {"Q_SECT = -32769", "Constant out of range"},
      {"COUNT = -1", "Constant out of range"},
      {"Q_EXAM_N = 'abc'", "'abc' is not a valid integer value"},
      {"Q_EXAM_N = 3.5", "'3.5' is not a valid integer value"},
      {"Q_EXAM_N = 2147483648", "'2147483648' is not a valid integer value"},
      {"RATE = '1.2.3'", "'1.2.3' is not a valid floating point value"},
      {"TAKEN = '13/1/2003'", "'13/1/2003' is not a valid date"},
      {"AT = '25:00'", "'25:00' is not a valid time"},
      {"STAMP = 'soon'", "'soon' is not a valid date and time"},
      {"Q_SIM = 'maybe'", "'maybe' is not a valid boolean value"},
      {"PRICE = 'x'", "'x' is not a valid BCD value"},
      {"PRICE = 922337203685477.59", "Constant out of range"},  // times 10000 passes 64 bits
      {std::string(300, '('), "Incorrectly formed filter expression"},
      // A buffer beyond 64 KB cannot be addressed with its 16-bit offsets.
      {[] {
         std::string text = "Q_EXAM_N=1";
         for (int i = 0; i < 1200; ++i) text += " OR Q_EXAM_N=1";
         return text;
       }(),
       "Incorrectly formed filter expression"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.message) << c.text;
}

TEST(FilterExprTest, ValidTextsThatLookOdd) {
  std::string many = "Q_EXAM_N=1";
  for (int i = 0; i < 1000; ++i) many += " OR Q_EXAM_N=1";
  EXPECT_LT(Parse(many).size(), 65536u);
  EXPECT_NO_THROW(Parse("(Q_SIM)"));
  EXPECT_NO_THROW(Parse("[My Field] = 'x'"));
  EXPECT_NO_THROW(Parse("Q_EXAM_N=3 AND Q_SECT<>-1 OR NOT Q_SIM"));
  EXPECT_NO_THROW(Parse("q_sim = TRUE and ((Q_EXAM_N > 2))"));
  EXPECT_NO_THROW(Parse("Q_ID = 'it''s'"));
}

TEST(FilterExprTest, AndOrAreLeftAssociativeAndAndBindsTighter) {
  // A OR B AND C = OR(A, AND(B, C)); A AND B AND C = AND(AND(A, B), C).
  TExprBuffer orAnd = Parse("Q_SIM OR Q_SIM AND Q_SIM");
  EXPECT_EQ(orAnd[14], 11);
  EXPECT_EQ(orAnd[10 + 12 + 38 + 4], 10);  // right operand of OR follows the left EQ subtree
  TExprBuffer andAnd = Parse("Q_SIM AND Q_SIM AND Q_SIM");
  EXPECT_EQ(andAnd[14], 10);
  EXPECT_EQ(andAnd[10 + 12 + 4], 10);  // left operand is the inner AND
}

TEST(FilterExprTest, LookupBufferJoinsKeyFieldsWithAnd) {
  TFilterFieldList fields = TestFields();
  TExprBuffer b = BuildLookupBuffer(fields, {"Q_EXAM_N", "Q_ID"}, {int64_t{3}, std::string("AB")},
                                    false, true);
  EXPECT_EQ(b, Parse("Q_EXAM_N = 3 AND Q_ID = 'AB*'"));
  // A whole-value look-up never treats '*' as a prefix marker; case-insensitive
  // look-ups use compare nodes.
  EXPECT_EQ(BuildLookupBuffer(fields, {"Q_ID"}, {std::string("AB*")}, false, false),
            Parse("Q_ID = 'AB*'", foNoPartialCompare));
  EXPECT_EQ(BuildLookupBuffer(fields, {"Q_ID"}, {std::string("ab")}, true, false),
            Parse("Q_ID = 'ab'", foCaseInsensitive));
  EXPECT_EQ(BuildLookupBuffer(fields, {"Q_EXAM_N"}, {std::monostate{}}, false, false),
            Parse("Q_EXAM_N = NULL"));
  EXPECT_THROW(BuildLookupBuffer(fields, {"NOPE"}, {int64_t{1}}, false, false), EDatabaseError);
}

}  // namespace
}  // namespace isam
