#pragma once
// TFilter: one filter defined on an open table, either an expression (an
// evaluation tree) or a per-record callback, with its record bitmap.
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/file/table_locale.h"
#include "engine/filter/filter_eval.h"
#include "engine/filter/filter_node.h"
#include "engine/index/record_bitmap.h"

namespace isam {

// Returns true to keep the record. The context of the caller travels in the
// closure.
using TFilterCallback = std::function<bool(const uint8_t* record, uint32_t recordNumber)>;

// What the filters read records through (the data file).
class TFilterRecordSource {
 public:
  virtual ~TFilterRecordSource() = default;
  // Copies slot n's plain image (record size bytes) into image, or says that
  // the slot is deleted. Returns 0, kRestart when another user changed the
  // table (the caller starts over), or an engine error code.
  virtual int ReadSlot(uint32_t slot, uint8_t* image, bool* deleted) = 0;
};

struct TFilter {
  std::unique_ptr<TFilterNode> tree;  // expression filters
  TFilterCallback callback;           // callback filters
  bool active = false;
  uint8_t level = 2;                  // of the root; a callback is always 2
  TRecordBitmap bitmap;               // records that satisfy the filter

  bool IsCallback() const { return !tree; }
  bool Accepts(const uint8_t* record, uint32_t recordNumber, const TTableLocale* locale) const {
    return tree ? EvaluateFilter(*tree, record, locale) : callback(record, recordNumber);
  }
};

}  // namespace isam
