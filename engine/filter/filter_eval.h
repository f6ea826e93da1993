#pragma once
// Record-by-record evaluation of a filter tree over a plain record image, and
// the string collation it uses.
//
// Blank rules: EQ is true when both sides are blank, false when one is; NE the
// opposite. An ordering comparison (GT, LT, GE, LE) with a blank side is
// false, as it is when the index answers it (a range never holds a blank key),
// so that both ways of computing a filter agree.
#include <cstddef>
#include <cstdint>

#include "engine/file/table_locale.h"
#include "engine/filter/filter_node.h"

namespace isam {

// Orders two strings (<0, 0, >0). partial: compare the first that many
// characters (0 = whole strings). Without a locale: ASCII letters upper-cased
// when ignoring case, then unsigned bytes, a shorter string's end sorting
// before any character.
int CollateStrings(const char* a, size_t aLength, const char* b, size_t bLength,
                   bool caseInsensitive, size_t partial, const TTableLocale* locale);

// Whether a record image satisfies a predicate node. AND and OR evaluate their
// right operand first and the left one only when it can still matter.
bool EvaluateFilter(const TFilterNode& node, const uint8_t* record, const TTableLocale* locale);

}  // namespace isam
