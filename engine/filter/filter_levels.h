#pragma once
// Optimisation levels of an evaluation tree: 0 = an index answers the node
// completely, 1 = partly, 2 = only a record-by-record scan does.
//
// A leaf (ISBLANK/NOTBLANK on a field, a comparison of a field with a
// constant) is at level 0 when one of the table's indexes can answer it: the
// first index, in index order, whose first key field is that field and that
// suits the comparison. Ordering comparisons need ascending keys: an index
// whose first key field is descending (or that is descending as a whole)
// answers only EQ, NE, ISBLANK and NOTBLANK.
#include <cstdint>
#include <vector>

#include "engine/filter/filter_node.h"
#include "engine/index/index_format.h"

namespace isam {

struct TFilterIndex {
  int slot = 0;
  uint16_t firstField = 0;       // field number of the first key field
  bool caseInsensitive = false;
  bool descendingFirst = false;  // the index, or its first key field, is descending
};

TFilterIndex FilterIndexOf(int slot, const TIndexDescriptor& descriptor);

// Gives every node its level (and each level-0 leaf its index slot); an AND
// whose right operand has the strictly lower level swaps its operands, so
// that the more selective side runs first. Returns the root's level.
// tableHasLocale: string keys then follow the locale's order, not bytes.
uint8_t AssignFilterLevels(TFilterNode& node, const std::vector<TFilterIndex>& indexes,
                           bool tableHasLocale);

}  // namespace isam
