#pragma once
// On-disk layout of the index file header and its index descriptors.
//
// Header (4096 bytes at offset 0, little-endian):
//   0     u32  update counter, incremented each time the header is written
//   4     4    zero
//   8     u8   version, always 3
//   9     u32  end offset: where the next new page goes (4096 when empty)
//   13    u8   n = number of secondary indexes; slots 0..n are in use
//   14    32 x 120  index descriptors, slots 0..31 (31 = record index)
//   3854  120  zero
//   3974  u32  number of records in the table
//   3978  u8   1 when the table has no primary index
//   3979  u8   the writer's header-modified flag; ignored on reading
//   3980  116  zero
//
// Index descriptor (120 bytes):
//   0   31       length byte + up to 30 characters: index name
//   31  u16      key length K
//   33  u8       1 = descending (whole index)
//   34  u8       1 = case-insensitive
//   35  u8       1 = unique
//   36  u8       key compression (kCompress*)
//   37  u8       number of key fields (at most 16)
//   38  16 x u8  per key field: 1 = descending
//   54  16 x u16 per key field: field number
//   86  u32      offset of the root page (0 = empty index)
//   90  u32      head of this index's free-page list (0 = none)
//   94  26       zero
#include <array>
#include <cstdint>
#include <string>

namespace isam {

constexpr uint32_t kIndexPageSize = 4096;
constexpr uint8_t kIndexVersion = 3;
constexpr int kIndexSlots = 32;
constexpr int kRecordIndexSlot = 31;
constexpr int kMaxSecondaryIndexes = 30;
constexpr int kPhysicalOrder = 255;
constexpr int kMaxKeyFields = 16;
constexpr uint16_t kRecordIndexKeyLength = 5;
constexpr const char* kRecordIndexName = "Sys Deleted";
// New pages may not start above this offset (9479).
constexpr uint32_t kMaxIndexFileOffset = 2000000000u;

enum : uint8_t {
  kCompressNone = 0,
  kCompressLeading = 1,
  kCompressTrailing = 2,
  kCompressBoth = 3,
};

constexpr size_t kHeaderCounterAt = 0;
constexpr size_t kHeaderVersionAt = 8;
constexpr size_t kHeaderEndOffsetAt = 9;
constexpr size_t kHeaderSecondaryCountAt = 13;
constexpr size_t kHeaderDescriptorsAt = 14;
constexpr size_t kDescriptorSize = 120;
constexpr size_t kHeaderRecordCountAt = 3974;
constexpr size_t kHeaderNoPrimaryAt = 3978;
constexpr size_t kHeaderModifiedAt = 3979;

struct TIndexDescriptor {
  std::string name;
  uint16_t keyLength = 0;  // 0: slot not in use
  bool descending = false;
  bool caseInsensitive = false;
  bool unique = false;
  uint8_t compression = kCompressNone;
  uint8_t fieldCount = 0;
  std::array<bool, kMaxKeyFields> fieldDescending{};
  std::array<uint16_t, kMaxKeyFields> fields{};
  uint32_t root = 0;
  uint32_t freeHead = 0;
};

struct TIndexHeader {
  uint32_t counter = 0;
  uint8_t version = kIndexVersion;
  uint32_t endOffset = kIndexPageSize;
  uint8_t secondaryCount = 0;
  std::array<TIndexDescriptor, kIndexSlots> indexes{};
  uint32_t recordCount = 0;
  bool noPrimary = false;
};

void DecodeIndexDescriptor(const uint8_t* raw, TIndexDescriptor& desc);
void EncodeIndexDescriptor(const TIndexDescriptor& desc, uint8_t* raw);
// raw: kIndexPageSize bytes, plain.
void DecodeIndexHeader(const uint8_t* raw, TIndexHeader& header);
void EncodeIndexHeader(const TIndexHeader& header, bool modifiedFlag, uint8_t* raw);

}  // namespace isam
