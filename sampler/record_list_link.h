#pragma once
// The links of the item list and the record navigator to a data source,
// without their widgets.
//
// TRecordListLink keeps one value per record (the Q_ID of each item) in
// table order and knows which row is current. Reading the values walks the
// cursor, which may only happen between operations: a notification only
// marks the values stale (OnStale), and the list calls Refresh() once the
// operation that raised it is over. Refresh leaves a set that is being
// edited alone.
//
// TNavigatorLink moves the cursor to the first, prior, next or last record
// and tells which of these moves lead anywhere.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/data_source.h"

namespace isam {
class TIsamTable;
}

namespace marvessa {

class TRecordListLink {
 public:
  TRecordListLink(isam::TIsamDataSource& source, std::string fieldName);
  ~TRecordListLink();
  TRecordListLink(const TRecordListLink&) = delete;
  TRecordListLink& operator=(const TRecordListLink&) = delete;

  const std::vector<int32_t>& Values() const { return values_; }
  // The current record's row, -1 when there is none (closed, empty, a new
  // record).
  int CurrentRow() const;
  bool Stale() const { return stale_; }
  // Reads the values again when the set is open and browsing.
  void Refresh();
  // Makes the record of the row current (a pending edit ends as a move ends
  // it).
  void Select(int row);

  std::function<void()> OnStale;
  std::function<void()> OnCurrentChanged;

 private:
  void Changed();

  isam::TIsamDataSource& source_;
  std::string fieldName_;
  isam::TIsamDataSource::ListenerId listener_ = 0;
  std::vector<int32_t> values_;
  bool stale_ = true;
  bool walking_ = false;
};

class TNavigatorLink {
 public:
  enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast };
  static constexpr int kButtonCount = 4;

  explicit TNavigatorLink(isam::TIsamDataSource& source);
  ~TNavigatorLink();
  TNavigatorLink(const TNavigatorLink&) = delete;
  TNavigatorLink& operator=(const TNavigatorLink&) = delete;

  // Whether the move leads to another record.
  bool CanMove(TNavigateBtn button) const;
  void Click(TNavigateBtn button);

  // The position or the set changed: the buttons may change.
  std::function<void()> OnUpdate;

 private:
  isam::TIsamDataSource& source_;
  isam::TIsamDataSource::ListenerId listener_ = 0;
};

}  // namespace marvessa
