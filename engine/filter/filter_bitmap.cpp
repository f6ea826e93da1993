#include "engine/filter/filter_bitmap.h"

#include <cstring>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/field_desc.h"
#include "engine/file/le.h"

namespace isam {
namespace {

// The next and the previous byte string of the same length (big-endian
// counting); false when there is none.
bool Increment(std::vector<uint8_t>& key, size_t length) {
  for (size_t i = length; i-- > 0;) {
    if (key[i] != 0xFF) {
      ++key[i];
      return true;
    }
    key[i] = 0;
  }
  return false;
}

bool Decrement(std::vector<uint8_t>& key, size_t length) {
  for (size_t i = length; i-- > 0;) {
    if (key[i] != 0) {
      --key[i];
      return true;
    }
    key[i] = 0xFF;
  }
  return false;
}

// Key parts of a value begin with 1, those of a blank with 0: this one-byte
// key starts the non-blank keys of an ascending index.
const uint8_t kFirstNonBlank = 1;

}  // namespace

TFilterBitmapBuilder::TFilterBitmapBuilder(TIndexFile& index, TFilterRecordSource& records)
    : index_(index), records_(records) {}

int TFilterBitmapBuilder::Compute(const TFilter& filter, const TRecordBitmap& start,
                                  TRecordBitmap& out) {
  if (filter.IsCallback()) {
    out = start;
    return Scan(&filter, nullptr, out);
  }
  if (int rc = Build(*filter.tree, start, out)) return rc;
  out.And(start);
  return kOk;
}

int TFilterBitmapBuilder::Build(const TFilterNode& node, const TRecordBitmap& incoming,
                                TRecordBitmap& out) {
  if (node.level == 2) {
    out = incoming;
    return Scan(nullptr, &node, out);
  }
  switch (node.op) {
    case kOpNot: {
      if (int rc = Build(*node.left, incoming, out)) return rc;
      out.Invert();
      return kOk;
    }
    case kOpAnd: {
      TRecordBitmap left;
      if (int rc = Build(*node.left, incoming, left)) return rc;
      // The right side sees only what the left one kept.
      TRecordBitmap narrowed = left;
      narrowed.And(incoming);
      if (int rc = Build(*node.right, narrowed, out)) return rc;
      out.And(left);
      return kOk;
    }
    case kOpOr: {
      TRecordBitmap left;
      if (int rc = Build(*node.left, incoming, left)) return rc;
      if (int rc = Build(*node.right, incoming, out)) return rc;
      out.Or(left);
      return kOk;
    }
    default: return IndexAnswer(node, out);
  }
}

int TFilterBitmapBuilder::Scan(const TFilter* filter, const TFilterNode* node, TRecordBitmap& bits) {
  TTableHost& host = index_.Host();
  const TTableLocale* locale = host.Locale();
  std::vector<uint8_t> image(host.RecordSize());
  for (uint32_t n = bits.NextSet(0); n != 0; n = bits.NextSet(n)) {
    bool deleted = false;
    if (int rc = records_.ReadSlot(n, image.data(), &deleted)) return rc;
    ++recordsRead_;
    bool keep = !deleted && (node ? EvaluateFilter(*node, image.data(), locale)
                                  : filter->Accepts(image.data(), n, locale));
    if (!keep) bits.Clear(n);
  }
  return kOk;
}

size_t TFilterBitmapBuilder::ConstantKey(int slot, const TFilterNode& field,
                                         const TFilterNode* constant, std::vector<uint8_t>& key) {
  image_.assign(index_.Host().RecordSize(), 0);
  if (constant && !constant->blank) {
    if (!field.autoIncrement) image_[field.flagOffset] = 1;
    size_t length = std::min<size_t>(constant->size, field.size);
    if (field.dataType == kFieldString)
      length = strnlen(reinterpret_cast<const char*>(constant->value.data()), length);
    std::memcpy(&image_[field.dataOffset], constant->value.data(), length);
    // A stored Boolean is 0 or 1; a true constant may be any non-zero value.
    if (field.dataType == kFieldBoolean)
      PutU16(&image_[field.dataOffset], GetU16(constant->value.data()) != 0 ? 1 : 0);
  }
  key.assign(index_.KeyLength(slot), 0);
  return index_.BuildKey(slot, image_.data(), 0, key.data(), 1);
}

int TFilterBitmapBuilder::IndexAnswer(const TFilterNode& node, TRecordBitmap& out) {
  const int slot = node.indexSlot;
  const TFilterNode& field = *node.left;
  const TFilterNode* constant = node.right.get();
  std::vector<uint8_t> key;

  uint32_t op = node.op;
  if (constant && constant->blank) {
    // '' is the blank value: EQ asks for blank keys, NE for the others.
    op = op == kOpEq ? kOpIsBlank : kOpNotBlank;
    constant = nullptr;
  }
  if (op == kOpIsBlank || op == kOpNotBlank) {
    size_t length = ConstantKey(slot, field, nullptr, key);
    if (int rc = CollectKeys(slot, key.data(), length, key.data(), length, out)) return rc;
    if (op == kOpNotBlank) out.Invert();
    return kOk;
  }

  size_t length = ConstantKey(slot, field, constant, key);
  if (node.nodeClass == kNodeCompare && node.partialLength > 0)
    length = 1 + size_t(node.partialLength);  // the blank byte, then the prefix
  switch (op) {
    case kOpEq:
    case kOpNe: {
      if (int rc = CollectKeys(slot, key.data(), length, key.data(), length, out)) return rc;
      if (op == kOpNe) out.Invert();
      return kOk;
    }
    case kOpGe: return CollectKeys(slot, key.data(), length, nullptr, 0, out);
    case kOpGt:
      if (!Increment(key, length)) {
        out = TRecordBitmap(index_.Host().SlotCount());
        return kOk;
      }
      return CollectKeys(slot, key.data(), length, nullptr, 0, out);
    case kOpLe: return CollectKeys(slot, &kFirstNonBlank, 1, key.data(), length, out);
    case kOpLt:
      Decrement(key, length);  // a value key starts with 1: it has a predecessor
      return CollectKeys(slot, &kFirstNonBlank, 1, key.data(), length, out);
    default: return ReportError(kInvalidFilterExpression, index_.Host().DataFilePath());
  }
}

int TFilterBitmapBuilder::CollectKeys(int slot, const uint8_t* low, size_t lowLength,
                                      const uint8_t* high, size_t highLength, TRecordBitmap& out) {
  out = TRecordBitmap(index_.Host().SlotCount());
  uint32_t count = 0;
  if (int rc = index_.CountKeyRange(slot, low, lowLength, high, highLength, &count)) return rc;
  // A range holding more than half of the records is collected through the
  // keys outside it. Those are found by stepping the range ends to their
  // neighbours, which needs keys ordered byte by byte (no locale).
  int64_t records = index_.RecordCount();
  if (records - count >= int64_t(count) || index_.Host().Locale() != nullptr)
    return index_.CollectKeyRange(slot, low, lowLength, high, highLength, out);

  const bool descending = index_.Descriptor(slot).descending;  // index order is reversed
  if (low) {
    std::vector<uint8_t> before(low, low + lowLength);
    if (descending ? Increment(before, lowLength) : Decrement(before, lowLength)) {
      if (int rc = index_.CollectKeyRange(slot, nullptr, 0, before.data(), lowLength, out))
        return rc;
    }
  }
  if (high) {
    std::vector<uint8_t> after(high, high + highLength);
    if (descending ? Decrement(after, highLength) : Increment(after, highLength)) {
      if (int rc = index_.CollectKeyRange(slot, after.data(), highLength, nullptr, 0, out))
        return rc;
    }
  }
  out.Invert();
  return kOk;
}

}  // namespace isam
