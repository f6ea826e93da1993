#pragma once
// TIsamDataSource: what data-aware views attach to. It passes on a dataset's
// notifications: a data change (a field changed, the record moved or the
// whole set changed), a state change, and the request to write pending view
// edits into the record buffer before it is posted.
//
// Views either set the source's own events (the exam window's
// dsCurrentSetDataChange) or add listeners of their own.
#include <functional>
#include <vector>

#include "engine/dataset.h"

namespace isam {

class TIsamField;

class TIsamDataSource {
 public:
  explicit TIsamDataSource(TIsamDataSet* dataSet = nullptr);
  ~TIsamDataSource();
  TIsamDataSource(const TIsamDataSource&) = delete;
  TIsamDataSource& operator=(const TIsamDataSource&) = delete;

  TIsamDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TIsamDataSet* dataSet);
  // A disabled source passes nothing on.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TDataSetState State() const;

  // field: the field that changed, or null when the record moved or the
  // whole data set changed.
  std::function<void(TIsamDataSource& sender, TIsamField* field)> OnDataChange;
  std::function<void(TIsamDataSource& sender)> OnStateChange;
  // Views write their pending edits into the buffer.
  std::function<void(TIsamDataSource& sender)> OnUpdateData;

  using ListenerId = int;
  struct Listener {
    std::function<void(TIsamField*)> dataChange;
    std::function<void()> stateChange;
    std::function<void()> updateData;
  };
  ListenerId AddListener(Listener listener);
  void RemoveListener(ListenerId id);

 private:
  friend class TIsamDataSet;
  void Notify(TDataEvent event, TIsamField* field);

  TIsamDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  std::vector<std::pair<ListenerId, Listener>> listeners_;
  ListenerId nextId_ = 1;
};

}  // namespace isam
