#pragma once
// Index keys: built from record images so that comparing them as unsigned
// bytes (or part by part under a table locale) gives the index order.
//
// A key is the concatenation of one part per key field, 1 + S bytes each
// (S = the field's stored size): a has-value byte (0 = blank, then the part
// is all zero) and the value in an order-preserving big-endian form. A
// non-unique secondary index appends the record number (4 bytes big-endian,
// top bit inverted) so that equal values are ordered by record number.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/file/field_desc.h"
#include "engine/file/table_locale.h"
#include "engine/index/index_format.h"

namespace isam {

constexpr size_t kRecordNumberKeySize = 4;

// Everything needed to build and order the keys of one index.
struct TKeySpec {
  const TIndexDescriptor* desc = nullptr;
  const std::vector<TFieldDesc>* fields = nullptr;
  const TTableLocale* locale = nullptr;  // null: byte-wise strings
  bool recordIndex = false;              // slot 31: flag byte + record number
  bool suffix = false;                   // non-unique secondary: record-number suffix

  size_t SuffixLength() const { return suffix ? kRecordNumberKeySize : 0; }
};

// The key rules of a slot: the record index, the primary index (slot 0) and
// unique indexes have no suffix.
TKeySpec MakeKeySpec(const TIndexDescriptor& desc, int slot, const std::vector<TFieldDesc>& fields,
                     const TTableLocale* locale);

// Size of a field's key part (1 + stored size).
size_t KeyPartSize(const TFieldDesc& field);

// Builds the key of a record image over the first fieldCount key fields
// (-1: all, plus the suffix). Returns the bytes written.
size_t BuildIndexKey(const TKeySpec& spec, const uint8_t* image, uint32_t recordNumber, uint8_t* key,
                     int fieldCount = -1);

// The record index's key: deleted flag, then the record number.
void BuildRecordIndexKey(bool deleted, uint32_t recordNumber, uint8_t* key);

void PutRecordNumberKey(uint8_t* at, uint32_t recordNumber);
uint32_t GetRecordNumberKey(const uint8_t* at);

// Orders two keys over their first length bytes (<0, 0, >0); a length below
// the key length compares a prefix (partial key).
int CompareIndexKeys(const TKeySpec& spec, const uint8_t* a, const uint8_t* b, size_t length);

}  // namespace isam
