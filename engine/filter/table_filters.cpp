#include "engine/filter/table_filters.h"

#include <vector>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/table_host.h"

namespace isam {

TTableFilters::TTableFilters(TIndexFile& index, TFilterRecordSource& records)
    : index_(index), records_(records), builder_(index, records) {}

TTableFilters::~TTableFilters() { Detach(); }

void TTableFilters::Detach() {
  // Another filter set may have handed the cursor its own bitmap since.
  if (index_.VisibleBitmap() == &visible_) index_.SetVisibleBitmap(nullptr);
}

int TTableFilters::Fail(int code) const { return ReportError(code, index_.Host().DataFilePath()); }

int TTableFilters::Add(std::unique_ptr<TFilter> filter, TFilterHandle* handle) {
  TFilterHandle h = nextHandle_++;
  if (nextHandle_ == kAllFilters) nextHandle_ = 1;
  filters_[h] = std::move(filter);
  *handle = h;
  return kOk;
}

int TTableFilters::AddExpression(const uint8_t* buffer, size_t size, TFilterHandle* handle) {
  if (filters_.size() >= kMaxFilters) return Fail(kTooManyFilters);
  if (!buffer || size == 0) return Fail(kInvalidFilterExpression);
  auto filter = std::make_unique<TFilter>();
  TTableHost& host = index_.Host();
  if (int rc = BuildFilterTree(buffer, size, host.Fields(), host.DataFilePath(), &filter->tree))
    return rc;
  AssignLevels(*filter);
  return Add(std::move(filter), handle);
}

int TTableFilters::AddTree(std::unique_ptr<TFilterNode> tree, TFilterHandle* handle) {
  if (filters_.size() >= kMaxFilters) return Fail(kTooManyFilters);
  if (!tree) return Fail(kInvalidFilterExpression);
  auto filter = std::make_unique<TFilter>();
  filter->tree = std::move(tree);
  AssignLevels(*filter);
  return Add(std::move(filter), handle);
}

int TTableFilters::AddCallback(TFilterCallback callback, TFilterHandle* handle) {
  if (filters_.size() >= kMaxFilters) return Fail(kTooManyFilters);
  if (!callback) return Fail(kInvalidFilterExpression);
  auto filter = std::make_unique<TFilter>();
  filter->callback = std::move(callback);
  return Add(std::move(filter), handle);
}

TFilter* TTableFilters::Lookup(TFilterHandle handle) {
  auto it = filters_.find(handle);
  return it == filters_.end() ? nullptr : it->second.get();
}

const TFilter* TTableFilters::Find(TFilterHandle handle) const {
  auto it = filters_.find(handle);
  return it == filters_.end() ? nullptr : it->second.get();
}

bool TTableFilters::AnyActive() const {
  for (const auto& [handle, filter] : filters_)
    if (filter->active) return true;
  return false;
}

void TTableFilters::AssignLevels(TFilter& filter) const {
  if (filter.IsCallback()) {
    filter.level = 2;
    return;
  }
  std::vector<TFilterIndex> indexes;
  if (useIndexes_) {
    for (int slot = 0; slot <= index_.SecondaryCount() && slot < kRecordIndexSlot; ++slot)
      if (index_.IndexInUse(slot)) indexes.push_back(FilterIndexOf(slot, index_.Descriptor(slot)));
  }
  filter.level = AssignFilterLevels(*filter.tree, indexes, index_.Host().Locale() != nullptr);
}

int TTableFilters::Activate(TFilterHandle handle) {
  if (handle == kAllFilters) {
    for (auto& [h, filter] : filters_) filter->active = true;
    return Rebuild();
  }
  TFilter* filter = Lookup(handle);
  if (!filter) return Fail(kInvalidFilterHandle);
  const bool wasActive = filter->active;
  filter->active = true;
  int rc = kept_ ? Build(filter) : Rebuild();
  if (rc != kOk && !wasActive) {
    // A filter whose bitmap could not be computed does not restrict the
    // table: the view stays as it was.
    filter->active = false;
    if (!AnyActive()) Release();
    else if (kept_) Combine();
  }
  return rc;
}

int TTableFilters::Deactivate(TFilterHandle handle) {
  if (handle == kAllFilters) {
    for (auto& [h, filter] : filters_) filter->active = false;
  } else {
    TFilter* filter = Lookup(handle);
    if (!filter) return Fail(kInvalidFilterHandle);
    filter->active = false;
  }
  if (!AnyActive()) Release();
  else if (kept_) Combine();
  return kOk;
}

int TTableFilters::Free(TFilterHandle handle) {
  if (handle == kAllFilters) {
    filters_.clear();
  } else if (!filters_.erase(handle)) {
    return Fail(kInvalidFilterHandle);
  }
  if (!AnyActive()) Release();
  else if (kept_) Combine();
  return kOk;
}

int TTableFilters::Rebuild() {
  if (!AnyActive()) {
    Release();
    return kOk;
  }
  return Build(nullptr);
}

int TTableFilters::Build(TFilter* only) {
  if (building_) return kOk;
  building_ = true;
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{building_};

  for (;;) {
    const uint32_t counter = index_.Counter();
    int rc = index_.BuildLiveBitmap(live_);
    if (rc == kOk) rc = index_.BuildRangeBitmap(range_);
    TRecordBitmap start = live_;
    start.And(range_);
    for (auto& [handle, filter] : filters_) {
      if (rc != kOk) break;
      if (!filter->active || (only && filter.get() != only)) continue;
      AssignLevels(*filter);
      rc = builder_.Compute(*filter, start, filter->bitmap);
    }
    // Another user changed the table while we read it: start over.
    if (rc == kRestart || (rc == kOk && index_.Counter() != counter)) continue;
    if (rc != kOk) return rc;
    break;
  }
  kept_ = true;
  Combine();
  return kOk;
}

void TTableFilters::Combine() {
  const uint32_t slots = live_.slots();
  visible_ = live_;
  visible_.And(range_);
  for (auto& [handle, filter] : filters_) {
    if (!filter->active) continue;
    if (filter->bitmap.slots() != slots) filter->bitmap.Resize(slots);
    visible_.And(filter->bitmap);
  }
  visibleCount_ = visible_.Count();
  index_.SetVisibleBitmap(&visible_);
}

void TTableFilters::Release() {
  kept_ = false;
  live_ = range_ = visible_ = TRecordBitmap();
  for (auto& [handle, filter] : filters_) filter->bitmap = TRecordBitmap();
  visibleCount_ = 0;
  Detach();
}

int TTableFilters::RecordChanged(uint32_t record, const uint8_t* image) {
  if (!kept_) return kOk;
  TTableHost& host = index_.Host();
  const uint32_t slots = host.SlotCount();
  live_.Resize(slots);
  range_.Resize(slots);
  visible_.Resize(slots);

  bool inRange = true;
  if (index_.HasRange() && !index_.PhysicalOrder()) {
    const int slot = index_.CurrentIndex();
    const size_t k = index_.KeyLength(slot);
    std::vector<uint8_t> key(k);
    index_.BuildKey(slot, image, record, key.data());
    const std::string& low = index_.RangeLow();
    const std::string& high = index_.RangeHigh();
    auto bytes = [](const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); };
    if (!low.empty() && index_.CompareKeys(slot, key.data(), bytes(low), std::min(k, low.size())) < 0)
      inRange = false;
    if (!high.empty() && index_.CompareKeys(slot, key.data(), bytes(high), std::min(k, high.size())) > 0)
      inRange = false;
  }
  range_.Assign(record, inRange);
  live_.Set(record);

  bool visible = inRange;
  for (auto& [handle, filter] : filters_) {
    if (!filter->active) continue;
    filter->bitmap.Resize(slots);
    bool accepted = filter->Accepts(image, record, host.Locale());
    filter->bitmap.Assign(record, accepted);
    visible = visible && accepted;
  }
  if (visible != visible_.Test(record)) {
    visible_.Assign(record, visible);
    visible ? ++visibleCount_ : --visibleCount_;
  }
  return kOk;
}

void TTableFilters::RecordDeleted(uint32_t record) {
  if (!kept_) return;
  live_.Clear(record);
  range_.Clear(record);
  for (auto& [handle, filter] : filters_) filter->bitmap.Clear(record);
  // Only a record that was visible leaves the count.
  if (visible_.Test(record)) {
    visible_.Clear(record);
    --visibleCount_;
  }
}

int TTableFilters::CloneInto(TTableFilters& other) const {
  other.filters_.clear();
  for (const auto& [handle, filter] : filters_) {
    auto copy = std::make_unique<TFilter>();
    if (filter->tree) copy->tree = CloneFilterTree(*filter->tree);
    copy->callback = filter->callback;
    copy->active = filter->active;
    copy->level = filter->level;
    other.filters_[handle] = std::move(copy);
  }
  other.nextHandle_ = nextHandle_;
  return other.Rebuild();
}

}  // namespace isam
