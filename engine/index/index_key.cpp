#include "engine/index/index_key.h"

#include <algorithm>
#include <cstring>

#include "engine/file/le.h"
#include "engine/file/record_fields.h"

namespace isam {
namespace {

const TFieldDesc* FieldByNumber(const std::vector<TFieldDesc>& fields, uint16_t number) {
  if (number >= 1 && number <= fields.size() && fields[number - 1].number == number) return &fields[number - 1];
  for (const auto& f : fields)
    if (f.number == number) return &f;
  return nullptr;
}

void PutBigEndian(uint8_t* at, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    at[i] = static_cast<uint8_t>(value);
    value >>= 8;
  }
}

void UpperAscii(uint8_t* text, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<uint8_t>(text[i] - 'a' + 'A');
}

// Writes the value bytes of one part (S bytes at out) from the field data.
void EncodeValue(const TKeySpec& spec, const TFieldDesc& field, const uint8_t* data, uint8_t* out) {
  const size_t size = field.storedSize;
  switch (field.type) {
    case kFieldString: {
      size_t length = strnlen(reinterpret_cast<const char*>(data), size);
      std::memcpy(out, data, length);
      if (spec.locale)
        spec.locale->MapKeyCharacters(out, length, spec.desc->caseInsensitive);
      else if (spec.desc->caseInsensitive)
        UpperAscii(out, length);
      return;
    }
    case kFieldDate:
    case kFieldInt32:
    case kFieldTime:
    case kFieldInt32Raw:  // exposed as a 32-bit integer: it orders like one
      PutBigEndian(out, GetU32(data) ^ 0x80000000u, 4);
      return;
    case kFieldInt16:
      PutBigEndian(out, GetU16(data) ^ 0x8000u, 2);
      return;
    case kFieldUInt16:
    case kFieldBoolean:
      PutBigEndian(out, GetU16(data), 2);
      return;
    case kFieldFloat:
    case kFieldDateTime: {
      double value = GetF64(data);
      if (value == 0.0) value = 0.0;  // -0.0 and +0.0 must give one key
      uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      bits = (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);
      PutBigEndian(out, bits, 8);
      return;
    }
    case kFieldBcd:
      PutBigEndian(out, GetU64(data) ^ (uint64_t{1} << 63), 8);
      return;
    default:
      std::memcpy(out, data, size);
      return;
  }
}

int Sign(int v) { return (v > 0) - (v < 0); }

int CompareBytes(const uint8_t* a, const uint8_t* b, size_t length) {
  return length ? Sign(std::memcmp(a, b, length)) : 0;
}

}  // namespace

TKeySpec MakeKeySpec(const TIndexDescriptor& desc, int slot, const std::vector<TFieldDesc>& fields,
                     const TTableLocale* locale) {
  TKeySpec spec;
  spec.desc = &desc;
  spec.fields = &fields;
  spec.recordIndex = slot == kRecordIndexSlot;
  spec.locale = spec.recordIndex ? nullptr : locale;
  spec.suffix = slot != 0 && !spec.recordIndex && !desc.unique;
  return spec;
}

size_t KeyPartSize(const TFieldDesc& field) { return size_t{1} + field.storedSize; }

size_t BuildIndexKey(const TKeySpec& spec, const uint8_t* image, uint32_t recordNumber, uint8_t* key,
                     int fieldCount) {
  if (spec.recordIndex) {
    BuildRecordIndexKey(!SlotIsLive(image), recordNumber, key);
    return kRecordIndexKeyLength;
  }
  const TIndexDescriptor& desc = *spec.desc;
  int count = fieldCount < 0 ? desc.fieldCount : std::min<int>(fieldCount, desc.fieldCount);
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    const TFieldDesc* field = FieldByNumber(*spec.fields, desc.fields[i]);
    if (!field) break;
    const size_t partSize = KeyPartSize(*field);
    uint8_t* part = key + at;
    std::memset(part, 0, partSize);
    bool hasValue = field->IsAutoIncrement() || image[field->offset] != 0;
    if (hasValue) {
      part[0] = 1;
      EncodeValue(spec, *field, image + field->DataOffset(), part + 1);
    }
    if (desc.fieldDescending[i] && !desc.descending && !spec.locale) {
      size_t inverted = field->type == kFieldString ? partSize - 1 : partSize;
      for (size_t b = 0; b < inverted; ++b) part[b] = static_cast<uint8_t>(~part[b]);
    }
    at += partSize;
  }
  if (fieldCount < 0 && spec.suffix) {
    PutRecordNumberKey(key + at, recordNumber);
    at += kRecordNumberKeySize;
  }
  return at;
}

void BuildRecordIndexKey(bool deleted, uint32_t recordNumber, uint8_t* key) {
  key[0] = deleted ? 1 : 0;
  PutRecordNumberKey(key + 1, recordNumber);
}

void PutRecordNumberKey(uint8_t* at, uint32_t recordNumber) {
  PutBigEndian(at, recordNumber ^ 0x80000000u, 4);
}

uint32_t GetRecordNumberKey(const uint8_t* at) {
  uint32_t value = (uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8) | at[3];
  return value ^ 0x80000000u;
}

int CompareIndexKeys(const TKeySpec& spec, const uint8_t* a, const uint8_t* b, size_t length) {
  const int direction = (!spec.recordIndex && spec.desc->descending) ? -1 : 1;
  if (spec.recordIndex || !spec.locale) return direction * CompareBytes(a, b, length);

  // Under a locale, string characters compare with the locale's rules; all
  // other bytes (blank bytes, other parts, the suffix) compare as bytes.
  const TIndexDescriptor& desc = *spec.desc;
  size_t at = 0;
  size_t bytewiseFrom = 0;
  for (int i = 0; i < desc.fieldCount && at < length; ++i) {
    const TFieldDesc* field = FieldByNumber(*spec.fields, desc.fields[i]);
    if (!field) break;
    const size_t partSize = KeyPartSize(*field);
    if (field->type == kFieldString) {
      size_t upTo = std::min(at + 1, length);
      if (int c = CompareBytes(a + bytewiseFrom, b + bytewiseFrom, upTo - bytewiseFrom)) return direction * c;
      size_t chars = std::min<size_t>(field->storedSize, length - upTo);
      const char* ta = reinterpret_cast<const char*>(a + upTo);
      const char* tb = reinterpret_cast<const char*>(b + upTo);
      int c = Sign(spec.locale->Compare(ta, strnlen(ta, chars), tb, strnlen(tb, chars), desc.caseInsensitive));
      if (desc.descending || desc.fieldDescending[i]) c = -c;
      if (c) return c;
      bytewiseFrom = std::min(at + partSize, length);
    }
    at += partSize;
  }
  return direction * CompareBytes(a + bytewiseFrom, b + bytewiseFrom, length - bytewiseFrom);
}

}  // namespace isam
