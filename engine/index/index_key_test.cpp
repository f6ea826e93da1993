#include "engine/index/index_key.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/file/le.h"

namespace isam {
namespace {

using Bytes = std::vector<uint8_t>;

// One indexed field at offset 9 (null flag) / 10 (value) of a 40-byte image.
struct OneField {
  explicit OneField(uint8_t type, uint8_t declared = 0) {
    TFieldDesc f;
    f.number = 1;
    f.type = type;
    f.declaredSize = declared;
    f.storedSize = StoredSizeFor(type, declared);
    f.offset = 9;
    fields.push_back(f);
    desc.fieldCount = 1;
    desc.fields[0] = 1;
    desc.keyLength = static_cast<uint16_t>(1 + f.storedSize);
    desc.unique = true;
  }
  // value: the stored bytes (little-endian as in a record); empty = blank.
  Bytes Key(const Bytes& value, int slot = 1, uint32_t record = 7) const {
    Bytes image(40, 0);
    if (!value.empty()) {
      image[9] = 1;
      std::memcpy(image.data() + 10, value.data(), value.size());
    }
    Bytes key(64, 0xEE);
    size_t n = BuildIndexKey(MakeKeySpec(desc, slot, fields, nullptr), image.data(), record, key.data());
    key.resize(n);
    return key;
  }
  std::vector<TFieldDesc> fields;
  TIndexDescriptor desc;
};

Bytes I32(int32_t v) { Bytes b(4); PutI32(b.data(), v); return b; }
Bytes I16(int16_t v) { Bytes b(2); PutI16(b.data(), v); return b; }
Bytes U16(uint16_t v) { Bytes b(2); PutU16(b.data(), v); return b; }
Bytes F64(double v) { Bytes b(8); PutF64(b.data(), v); return b; }
Bytes I64(int64_t v) { Bytes b(8); PutI64(b.data(), v); return b; }
Bytes Str(const char* s) { return Bytes(s, s + std::strlen(s) + 1); }

TEST(IndexKeyTest, EncodingsOrderLikeTheirValuesWithBlankFirst) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    uint8_t type;
    std::vector<Bytes> ascending;  // each strictly above the one before; {} = blank
  } cases[] = {
      {"int32", kFieldInt32, {{}, I32(INT32_MIN), I32(-1), I32(0), I32(1), I32(INT32_MAX)}},
      {"date", kFieldDate, {{}, I32(-3), I32(0), I32(730000)}},
      {"time", kFieldTime, {{}, I32(0), I32(86399999)}},
      {"type 13 as int32", kFieldInt32Raw, {{}, I32(-5), I32(0), I32(5)}},
      {"int16", kFieldInt16, {{}, I16(-32768), I16(-1), I16(0), I16(32767)}},
      {"uint16", kFieldUInt16, {{}, U16(0), U16(1), U16(65535)}},
      {"boolean", kFieldBoolean, {{}, U16(0), U16(1)}},
      {"float", kFieldFloat, {{}, F64(-inf), F64(-1e300), F64(-1), F64(-1e-300), F64(0), F64(1e-300), F64(1), F64(inf)}},
      {"date-time", kFieldDateTime, {{}, F64(-2.5), F64(0), F64(45000.25)}},
      {"bcd", kFieldBcd, {{}, I64(INT64_MIN), I64(-311), I64(0), I64(12502)}},
  };
  for (const auto& c : cases) {
    OneField f(c.type);
    for (size_t i = 1; i < c.ascending.size(); ++i)
      EXPECT_LT(f.Key(c.ascending[i - 1]), f.Key(c.ascending[i])) << c.name << " value " << i;
  }
  OneField text(kFieldString, 10);
  EXPECT_LT(text.Key({}), text.Key(Str("")));
  EXPECT_LT(text.Key(Str("")), text.Key(Str("A")));
  EXPECT_LT(text.Key(Str("A")), text.Key(Str("AB")));
  EXPECT_LT(text.Key(Str("AB")), text.Key(Str("B")));
}

TEST(IndexKeyTest, ExactBytesOfParts) {
  EXPECT_EQ(OneField(kFieldInt32).Key(I32(5)), (Bytes{1, 0x80, 0, 0, 5}));
  EXPECT_EQ(OneField(kFieldInt32).Key(I32(-1)), (Bytes{1, 0x7F, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(OneField(kFieldInt32).Key({}), (Bytes{0, 0, 0, 0, 0}));
  EXPECT_EQ(OneField(kFieldInt16).Key(I16(2)), (Bytes{1, 0x80, 2}));
  EXPECT_EQ(OneField(kFieldBoolean).Key(U16(1)), (Bytes{1, 0, 1}));
  EXPECT_EQ(OneField(kFieldFloat).Key(F64(1.0)), (Bytes{1, 0xBF, 0xF0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(OneField(kFieldFloat).Key(F64(-1.0)), (Bytes{1, 0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(OneField(kFieldFloat).Key(F64(-0.0)), OneField(kFieldFloat).Key(F64(0.0)));
  EXPECT_EQ(OneField(kFieldBcd).Key(I64(12502)), (Bytes{1, 0x80, 0, 0, 0, 0, 0, 0x30, 0xD6}));
  EXPECT_EQ(OneField(kFieldString, 3).Key(Str("ab")), (Bytes{1, 'a', 'b', 0, 0}));
  EXPECT_EQ(OneField(kFieldBytes, 3).Key({9, 0, 8}), (Bytes{1, 9, 0, 8}));
}

TEST(IndexKeyTest, CaseFoldingDescendingFieldsAndRecordNumberSuffix) {
  OneField folded(kFieldString, 5);
  folded.desc.caseInsensitive = true;
  EXPECT_EQ(folded.Key(Str("abZ")), folded.Key(Str("ABz")));
  EXPECT_EQ(folded.Key(Str("abZ")), (Bytes{1, 'A', 'B', 'Z', 0, 0, 0}));

  // Per-field descending inverts the part, except a string part's last byte.
  OneField down(kFieldInt32);
  down.desc.fieldDescending[0] = true;
  EXPECT_EQ(down.Key(I32(5)), (Bytes{0xFE, 0x7F, 0xFF, 0xFF, 0xFA}));
  EXPECT_GT(down.Key(I32(1)), down.Key(I32(2)));
  OneField downText(kFieldString, 2);
  downText.desc.fieldDescending[0] = true;
  EXPECT_EQ(downText.Key(Str("a")), (Bytes{0xFE, 0x9E, 0xFF, 0x00}));
  // ... but not when the whole index is descending: the comparison turns.
  down.desc.descending = true;
  EXPECT_EQ(down.Key(I32(5)), (Bytes{1, 0x80, 0, 0, 5}));
  auto spec = MakeKeySpec(down.desc, 1, down.fields, nullptr);
  Bytes one = down.Key(I32(1)), two = down.Key(I32(2));
  EXPECT_GT(CompareIndexKeys(spec, one.data(), two.data(), one.size()), 0);

  // A non-unique secondary index orders equal values by record number.
  OneField plain(kFieldInt32);
  plain.desc.unique = false;
  plain.desc.keyLength += 4;
  EXPECT_EQ(plain.Key(I32(5), 1, 2), (Bytes{1, 0x80, 0, 0, 5, 0x80, 0, 0, 2}));
  EXPECT_LT(plain.Key(I32(5), 1, 2), plain.Key(I32(5), 1, 10));
  EXPECT_EQ(plain.Key(I32(5), 0, 2).size(), 5u) << "the primary index has no suffix";

  Bytes recordKey(5);
  BuildRecordIndexKey(true, 3, recordKey.data());
  EXPECT_EQ(recordKey, (Bytes{1, 0x80, 0, 0, 3}));
  EXPECT_EQ(GetRecordNumberKey(recordKey.data() + 1), 3u);
}

TEST(IndexKeyTest, PartialKeysCompareAsPrefixes) {
  OneField f(kFieldString, 5);
  auto spec = MakeKeySpec(f.desc, 1, f.fields, nullptr);
  Bytes full = f.Key(Str("abcd")), prefix = f.Key(Str("ab")), other = f.Key(Str("b"));
  EXPECT_EQ(CompareIndexKeys(spec, full.data(), prefix.data(), 3), 0);
  EXPECT_NE(CompareIndexKeys(spec, full.data(), prefix.data(), full.size()), 0);
  EXPECT_LT(CompareIndexKeys(spec, full.data(), other.data(), 3), 0);

  // Building over the first k fields yields just their parts.
  TFieldDesc second = f.fields[0];
  second.number = 2;
  second.offset = 20;
  f.fields.push_back(second);
  f.desc.fieldCount = 2;
  f.desc.fields[1] = 2;
  Bytes image(40, 0), key(20, 0);
  EXPECT_EQ(BuildIndexKey(MakeKeySpec(f.desc, 1, f.fields, nullptr), image.data(), 1, key.data(), 1), 7u);
}

}  // namespace
}  // namespace isam
