#pragma once
// Field descriptors of a data file and the record layout they describe.
//
// Record slot layout (R bytes, all integers little-endian):
//   0     u8   0 = active record, 1 = deleted slot
//   1     u32  active: its own slot number; deleted: next free slot (0 = end)
//   5     u32  the record's auto-increment value (the auto-increment field's data)
//   9 ... per stored field: null-flag byte (1 = has a value) + stored size bytes
// The auto-increment field has no null flag (its offset is 5); computed fields
// occupy no space (offset 0).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace isam {

enum FieldType : uint8_t {
  kFieldString = 1,
  kFieldDate = 2,
  kFieldBlob = 3,
  kFieldBoolean = 4,
  kFieldInt16 = 5,
  kFieldInt32 = 6,
  kFieldFloat = 7,
  kFieldBcd = 8,
  kFieldBytes = 9,
  kFieldTime = 10,
  kFieldDateTime = 11,
  kFieldUInt16 = 12,
  kFieldInt32Raw = 13,  // 4 bytes exposed as a 32-bit integer
  kFieldTenBytes = 14,  // 10 bytes without a field kind
  kFieldVarBytes = 15,
};

enum FieldSubtype : uint8_t {
  kSubtypeNone = 0,
  kSubtypeMoney = 21,
  kSubtypeMemo = 22,
  kSubtypeBinary = 23,
  kSubtypeFormattedMemo = 24,
  kSubtypeBinary25 = 25,
  kSubtypeGraphic = 26,
  kSubtypeBinary27 = 27,
  kSubtypeTypedBinary = 28,
  kSubtypeAutoIncrement = 29,
};

constexpr size_t kDataHeaderSize = 127;
constexpr size_t kFieldDescriptorSize = 768;
constexpr size_t kRecordPrefixSize = 9;
constexpr uint16_t kAutoIncrementOffset = 5;
constexpr size_t kMaxFields = 1023;

// One field descriptor (768 bytes on disk):
//   0   u16  field number (= position, 1-based)
//   2   length byte + up to 30 characters: name
//   33  51 bytes unused
//   84  u8   type code          85  u8 subtype
//   86  u8   declared size      87  u8 declared scale
//   88  u8   stored size        89  u8 stored scale
//   90  u16  offset of the null-flag byte in the record (5: auto-increment)
//   92  u8   required
//   94  length byte + 50: minimum text   145 ...: maximum text
//   196 length byte + 50: default text   247 length byte + 255: expression
//   503 265 bytes unused
struct TFieldDesc {
  uint16_t number = 0;
  std::string name;
  uint8_t type = 0;
  uint8_t subtype = 0;
  uint8_t declaredSize = 0;
  uint8_t declaredScale = 0;
  uint8_t storedSize = 0;
  uint8_t storedScale = 0;
  uint16_t offset = 0;
  bool required = false;
  std::string minText;
  std::string maxText;
  std::string defaultText;
  std::string expression;
  // The descriptor as read (plain), so that unused bytes survive a rewrite.
  std::array<uint8_t, kFieldDescriptorSize> raw{};

  bool IsAutoIncrement() const { return type == kFieldInt32 && subtype == kSubtypeAutoIncrement; }
  bool IsComputed() const { return !expression.empty(); }
  bool IsBlob() const { return type == kFieldBlob; }
  // Offset of the value bytes in a record image.
  uint16_t DataOffset() const { return IsAutoIncrement() ? offset : uint16_t(offset + 1); }
};

// Stored size of a field from its type (declared size for types without a
// fixed one: 9, 15 and unknown codes).
uint8_t StoredSizeFor(uint8_t type, uint8_t declaredSize);

TFieldDesc DecodeFieldDescriptor(const uint8_t* raw);
// Writes the fields of desc into its raw image and copies that out.
void EncodeFieldDescriptor(TFieldDesc& desc, uint8_t* raw);

}  // namespace isam
