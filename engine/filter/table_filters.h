#pragma once
// TTableFilters: the filters of one open table and the record bitmaps that
// navigation follows.
//
//   live     records that exist (from the index file's record index)
//   range    records whose current-index key lies in the active range
//   filter   per filter: the records that satisfy it
//   visible  live & range & every active filter, with its count
//
// Bitmaps are kept only while some filter is active; the index file's cursor
// then follows the visible bitmap (SetVisibleBitmap), otherwise none.
//
// Rebuilds: Rebuild() recomputes everything (after a range is set or
// cancelled, the current index changes, or the table was re-read after
// another user's change); activating one filter computes only that filter's
// bitmap (with fresh live and range bitmaps); deactivating or freeing only
// recombines. RecordChanged / RecordDeleted keep the bitmaps current.
//
// Every operation returns 0 or an engine error code (reported naming the data
// file). After Activate the caller repositions its cursor.
#include <cstdint>
#include <map>
#include <memory>

#include "engine/filter/filter.h"
#include "engine/filter/filter_bitmap.h"
#include "engine/filter/filter_levels.h"
#include "engine/index/index_file.h"

namespace isam {

using TFilterHandle = uint32_t;
// Activate, Deactivate and Free act on every filter when given this handle.
constexpr TFilterHandle kAllFilters = 0;

class TTableFilters {
 public:
  TTableFilters(TIndexFile& index, TFilterRecordSource& records);
  ~TTableFilters();
  TTableFilters(const TTableFilters&) = delete;
  TTableFilters& operator=(const TTableFilters&) = delete;

  // Define an inactive filter. 9482 when 128 are defined already; 10051 for
  // a missing or malformed expression (or a missing callback); 9985 for a
  // field the data file does not have.
  int AddExpression(const uint8_t* buffer, size_t size, TFilterHandle* handle);
  int AddTree(std::unique_ptr<TFilterNode> tree, TFilterHandle* handle);
  int AddCallback(TFilterCallback callback, TFilterHandle* handle);

  // 10050 for an unknown handle.
  int Activate(TFilterHandle handle);
  int Deactivate(TFilterHandle handle);
  int Free(TFilterHandle handle);

  int Rebuild();
  // After an insert or an edit of record n (its new plain image).
  int RecordChanged(uint32_t record, const uint8_t* image);
  // After record n was deleted.
  void RecordDeleted(uint32_t record);

  // Copies every filter into another table object's set (trees deep-copied,
  // callbacks shared) and activates the active ones there.
  int CloneInto(TTableFilters& other) const;

  size_t FilterCount() const { return filters_.size(); }
  bool AnyActive() const;
  bool HasBitmaps() const { return kept_; }
  const TRecordBitmap& Visible() const { return visible_; }
  uint32_t VisibleCount() const { return visibleCount_; }
  const TRecordBitmap& Live() const { return live_; }
  const TRecordBitmap& RangeBits() const { return range_; }
  const TFilter* Find(TFilterHandle handle) const;

  // Off: every node is evaluated record by record (tests compare both ways).
  void SetUseIndexes(bool use) { useIndexes_ = use; }
  uint64_t RecordsRead() const { return builder_.RecordsRead(); }

 private:
  int Add(std::unique_ptr<TFilter> filter, TFilterHandle* handle);
  TFilter* Lookup(TFilterHandle handle);
  void AssignLevels(TFilter& filter) const;
  // Fresh live and range bitmaps, then the given filters' bitmaps; starts over
  // when another user changed the table meanwhile.
  int Build(TFilter* only);
  void Combine();
  void Release();
  void Detach();
  int Fail(int code) const;

  TIndexFile& index_;
  TFilterRecordSource& records_;
  TFilterBitmapBuilder builder_;
  std::map<TFilterHandle, std::unique_ptr<TFilter>> filters_;
  TFilterHandle nextHandle_ = 1;
  bool useIndexes_ = true;
  bool kept_ = false;
  bool building_ = false;  // a build in progress refuses to start another
  TRecordBitmap live_, range_, visible_;
  uint32_t visibleCount_ = 0;
};

}  // namespace isam
