#include "engine/file/field_desc.h"

#include <algorithm>
#include <cstring>

#include "engine/file/le.h"

namespace isam {
namespace {

std::string ReadCounted(const uint8_t* at, size_t capacity) {
  size_t length = std::min<size_t>(at[0], capacity);
  return std::string(reinterpret_cast<const char*>(at + 1), length);
}

void WriteCounted(uint8_t* at, size_t capacity, const std::string& text) {
  size_t length = std::min(text.size(), capacity);
  std::memset(at, 0, capacity + 1);
  at[0] = static_cast<uint8_t>(length);
  std::memcpy(at + 1, text.data(), length);
}

}  // namespace

uint8_t StoredSizeFor(uint8_t type, uint8_t declaredSize) {
  switch (type) {
    case kFieldString: return static_cast<uint8_t>(declaredSize + 1);
    case kFieldDate:
    case kFieldBlob:
    case kFieldInt32:
    case kFieldTime:
    case kFieldInt32Raw: return 4;
    case kFieldBoolean:
    case kFieldInt16:
    case kFieldUInt16: return 2;
    case kFieldFloat:
    case kFieldBcd:
    case kFieldDateTime: return 8;
    case kFieldTenBytes: return 10;
    default: return declaredSize;  // bytes, variable bytes, unknown codes
  }
}

TFieldDesc DecodeFieldDescriptor(const uint8_t* raw) {
  TFieldDesc d;
  std::memcpy(d.raw.data(), raw, kFieldDescriptorSize);
  d.number = GetU16(raw + 0);
  d.name = ReadCounted(raw + 2, 30);
  d.type = raw[84];
  d.subtype = raw[85];
  d.declaredSize = raw[86];
  d.declaredScale = raw[87];
  d.storedSize = raw[88];
  d.storedScale = raw[89];
  d.offset = GetU16(raw + 90);
  d.required = raw[92] != 0;
  d.minText = ReadCounted(raw + 94, 50);
  d.maxText = ReadCounted(raw + 145, 50);
  d.defaultText = ReadCounted(raw + 196, 50);
  d.expression = ReadCounted(raw + 247, 255);
  return d;
}

void EncodeFieldDescriptor(TFieldDesc& d, uint8_t* raw) {
  uint8_t* r = d.raw.data();
  PutU16(r + 0, d.number);
  WriteCounted(r + 2, 30, d.name);
  r[84] = d.type;
  r[85] = d.subtype;
  r[86] = d.declaredSize;
  r[87] = d.declaredScale;
  r[88] = d.storedSize;
  r[89] = d.storedScale;
  PutU16(r + 90, d.offset);
  r[92] = d.required ? 1 : 0;
  WriteCounted(r + 94, 50, d.minText);
  WriteCounted(r + 145, 50, d.maxText);
  WriteCounted(r + 196, 50, d.defaultText);
  WriteCounted(r + 247, 255, d.expression);
  std::memcpy(raw, r, kFieldDescriptorSize);
}

}  // namespace isam
