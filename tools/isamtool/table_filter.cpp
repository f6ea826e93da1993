#include "tools/isamtool/table_filter.h"

#include "engine/errors.h"
#include "engine/filter/filter_eval.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/filter_field.h"

namespace isamtool {

using namespace isam;

TableFilter::TableFilter(TDataFile& table, const Options& options) : table_(table) {
  TFilterFieldList fields;
  for (const TFieldDesc& f : table.Fields()) {
    fields.push_back({f.name, f.number, f.type, f.subtype, f.declaredSize, f.declaredScale, !f.IsComputed()});
  }
  TFilterOptions filterOptions = 0;
  if (options.caseInsensitive) filterOptions |= foCaseInsensitive;
  if (options.noPartial) filterOptions |= foNoPartialCompare;
  TExprBuffer buffer = ParseFilterText(fields, options.filter, filterOptions);
  if (buffer.empty()) return;  // an empty text is no filter
  Check(BuildFilterTree(buffer.data(), buffer.size(), table.Fields(), table.Path(), &root_));
}

bool TableFilter::Accepts(uint32_t, const uint8_t* image) const {
  return !root_ || EvaluateFilter(*root_, image, table_.Locale());
}

uint32_t TableFilter::Count() const {
  uint32_t count = 0;
  std::vector<uint8_t> image(table_.RecordSize());
  for (uint32_t slot = 1; slot <= table_.SlotCount(); ++slot) {
    Check(table_.ReadSlot(slot, image.data()));
    if (image[0] == 0 && Accepts(slot, image.data())) ++count;
  }
  return count;
}

}  // namespace isamtool
