#include "engine/index/index_format.h"

#include <algorithm>
#include <cstring>

#include "engine/file/le.h"

namespace isam {

void DecodeIndexDescriptor(const uint8_t* raw, TIndexDescriptor& desc) {
  desc = TIndexDescriptor{};
  size_t nameLength = std::min<size_t>(raw[0], 30);
  desc.name.assign(reinterpret_cast<const char*>(raw + 1), nameLength);
  desc.keyLength = GetU16(raw + 31);
  desc.descending = raw[33] != 0;
  desc.caseInsensitive = raw[34] != 0;
  desc.unique = raw[35] != 0;
  desc.compression = raw[36];
  desc.fieldCount = std::min<uint8_t>(raw[37], kMaxKeyFields);
  for (int i = 0; i < kMaxKeyFields; ++i) {
    desc.fieldDescending[i] = raw[38 + i] != 0;
    desc.fields[i] = GetU16(raw + 54 + 2 * i);
  }
  desc.root = GetU32(raw + 86);
  desc.freeHead = GetU32(raw + 90);
}

void EncodeIndexDescriptor(const TIndexDescriptor& desc, uint8_t* raw) {
  std::memset(raw, 0, kDescriptorSize);
  size_t nameLength = std::min<size_t>(desc.name.size(), 30);
  raw[0] = static_cast<uint8_t>(nameLength);
  std::memcpy(raw + 1, desc.name.data(), nameLength);
  PutU16(raw + 31, desc.keyLength);
  raw[33] = desc.descending;
  raw[34] = desc.caseInsensitive;
  raw[35] = desc.unique;
  raw[36] = desc.compression;
  raw[37] = desc.fieldCount;
  for (int i = 0; i < kMaxKeyFields; ++i) {
    raw[38 + i] = desc.fieldDescending[i];
    PutU16(raw + 54 + 2 * i, desc.fields[i]);
  }
  PutU32(raw + 86, desc.root);
  PutU32(raw + 90, desc.freeHead);
}

void DecodeIndexHeader(const uint8_t* raw, TIndexHeader& header) {
  header.counter = GetU32(raw + kHeaderCounterAt);
  header.version = raw[kHeaderVersionAt];
  header.endOffset = GetU32(raw + kHeaderEndOffsetAt);
  header.secondaryCount = raw[kHeaderSecondaryCountAt];
  for (int slot = 0; slot < kIndexSlots; ++slot)
    DecodeIndexDescriptor(raw + kHeaderDescriptorsAt + slot * kDescriptorSize, header.indexes[slot]);
  header.recordCount = GetU32(raw + kHeaderRecordCountAt);
  header.noPrimary = raw[kHeaderNoPrimaryAt] != 0;
}

void EncodeIndexHeader(const TIndexHeader& header, bool modifiedFlag, uint8_t* raw) {
  std::memset(raw, 0, kIndexPageSize);
  PutU32(raw + kHeaderCounterAt, header.counter);
  raw[kHeaderVersionAt] = header.version;
  PutU32(raw + kHeaderEndOffsetAt, header.endOffset);
  raw[kHeaderSecondaryCountAt] = header.secondaryCount;
  for (int slot = 0; slot < kIndexSlots; ++slot)
    EncodeIndexDescriptor(header.indexes[slot], raw + kHeaderDescriptorsAt + slot * kDescriptorSize);
  PutU32(raw + kHeaderRecordCountAt, header.recordCount);
  raw[kHeaderNoPrimaryAt] = header.noPrimary;
  raw[kHeaderModifiedAt] = modifiedFlag;
}

}  // namespace isam
