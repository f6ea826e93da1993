// The filter of a table cursor: Filter, FilterOptions and Filtered.
//
// The text is compiled into a filter of the open table when it is set (a text
// that does not compile leaves the previous filter in force); Filtered
// activates or deactivates it. Either assignment on an open table moves the
// cursor to the first record of the new view.
#include <algorithm>

#include "engine/errors.h"
#include "engine/data/data_file.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/table_filters.h"
#include "engine/table.h"
#include "engine/table_records.h"

namespace isam {

namespace {

TFilterFieldList FilterFields(const std::vector<TIsamFieldDef>& defs, const TDataFile& file) {
  TFilterFieldList list;
  for (const TIsamFieldDef& def : defs) {
    const TFieldDesc& desc = file.Fields()[def.fieldNo - 1];
    TFilterField field;
    field.name = def.name;
    field.fieldNo = def.fieldNo;
    field.type = desc.type;
    field.subtype = desc.subtype;
    field.size = desc.declaredSize;
    field.scale = desc.declaredScale;
    list.push_back(std::move(field));
  }
  return list;
}

}  // namespace

// Compiles a text into an inactive filter of the open table (0: no filter).
static uint32_t Compile(TTableFilters& filters, const TFilterFieldList& fields, const std::string& text,
                        TFilterOptions options) {
  TExprBuffer buffer = ParseFilterText(fields, text, options);
  if (buffer.empty()) return 0;
  TFilterHandle handle = 0;
  Check(filters.AddExpression(buffer.data(), buffer.size(), &handle));
  return handle;
}

void TIsamTable::InstallFilters() {
  filterRecords_ = std::make_unique<TDataFileRecords>(*file_);
  filters_ = std::make_unique<TTableFilters>(file_->Index(), *filterRecords_);
  // Another user's change re-reads the table: the bitmaps follow.
  file_->SetReloadListener([this] {
    if (filters_) filters_->Rebuild();
  });
  filterHandle_ = Compile(*filters_, FilterFields(fieldDefs_, *file_), filter_, filterOptions_);
  if (OnFilterRecord) callbackHandle_ = AddCallbackFilter();
  if (filtered_) ActivateFilter();
}

uint32_t TIsamTable::AddCallbackFilter() {
  filterImage_.assign(file_->RecordSize(), 0);
  TFilterHandle handle = 0;
  Check(filters_->AddCallback(
      [this](const uint8_t* record, uint32_t) {
        std::copy_n(record, filterImage_.size(), filterImage_.begin());
        TDataSetState old = ExchangeState(TDataSetState::dsFilter);
        bool accept = true;
        try {
          if (OnFilterRecord) OnFilterRecord(*this, accept);
        } catch (...) {
          ExchangeState(old);
          throw;
        }
        ExchangeState(old);
        return accept;
      },
      &handle));
  return handle;
}

void TIsamTable::ActivateFilter() {
  if (!filters_) return;
  for (uint32_t* handle : {&filterHandle_, &callbackHandle_}) {
    if (*handle == 0 || filters_->Activate(*handle) == kOk) continue;
    // Compute it afresh once; a second failure is raised.
    filters_->Free(*handle);
    *handle = handle == &filterHandle_
                  ? Compile(*filters_, FilterFields(fieldDefs_, *file_), filter_, filterOptions_)
                  : AddCallbackFilter();
    if (*handle) Check(filters_->Activate(*handle));
  }
}

void TIsamTable::DeactivateFilter() {
  if (!filters_) return;
  for (uint32_t handle : {filterHandle_, callbackHandle_}) {
    if (handle) Check(filters_->Deactivate(handle));
  }
}

void TIsamTable::FreeFilters() noexcept {
  if (file_) file_->SetReloadListener(nullptr);
  filters_.reset();  // lets the index go of the visible bitmap
  filterRecords_.reset();
  filterHandle_ = callbackHandle_ = 0;
  filterImage_.clear();
}

void TIsamTable::FilterRecordChanged() {
  TDataFile::ReadFrame frame(*file_);
  if (filters_ && file_->CurrentSlot()) Check(filters_->RecordChanged(file_->CurrentSlot(), buffer_.Image()));
}

void TIsamTable::FilterRecordDeleted(uint32_t slot) {
  TDataFile::ReadFrame frame(*file_);
  if (filters_) filters_->RecordDeleted(slot);
}

void TIsamTable::SetFilter(std::string_view text) {
  if (!Active()) {
    filter_ = std::string(text);
    return;
  }
  EndPendingEdit();
  if (text != filter_) {
    Enter();
    TDataFile::ReadFrame frame(*file_);  // building a bitmap reads index pages
    uint32_t handle = Compile(*filters_, FilterFields(fieldDefs_, *file_), std::string(text), filterOptions_);
    uint32_t old = filterHandle_;
    filter_ = std::string(text);
    filterHandle_ = handle;
    if (old) filters_->Free(old);
    if (filtered_) ActivateFilter();
  }
  if (filtered_) MoveFirst();
}

void TIsamTable::SetFilterOptions(TFilterOptions options) {
  if (!Active()) {
    filterOptions_ = options;
    return;
  }
  EndPendingEdit();
  if (options != filterOptions_) {
    Enter();
    TDataFile::ReadFrame frame(*file_);
    uint32_t handle = Compile(*filters_, FilterFields(fieldDefs_, *file_), filter_, options);
    uint32_t old = filterHandle_;
    filterOptions_ = options;
    filterHandle_ = handle;
    if (old) filters_->Free(old);
    if (filtered_) ActivateFilter();
  }
  if (filtered_) MoveFirst();
}

void TIsamTable::SetFiltered(bool filtered) {
  if (!Active()) {
    filtered_ = filtered;
    return;
  }
  EndPendingEdit();
  if (filtered != filtered_) {
    Enter();
    TDataFile::ReadFrame frame(*file_);
    if (filtered) {
      ActivateFilter();
    } else {
      DeactivateFilter();
    }
    filtered_ = filtered;
  }
  MoveFirst();
}

}  // namespace isam
