#include "engine/data_source.h"

#include <algorithm>

namespace isam {

TIsamDataSource::TIsamDataSource(TIsamDataSet* dataSet) { SetDataSet(dataSet); }

TIsamDataSource::~TIsamDataSource() { SetDataSet(nullptr); }

void TIsamDataSource::SetDataSet(TIsamDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) dataSet_->Detach(this);
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->Attach(this);
  Notify(TDataEvent::deUpdateState, nullptr);
}

void TIsamDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Notify(TDataEvent::deUpdateState, nullptr);
}

TDataSetState TIsamDataSource::State() const {
  return dataSet_ && enabled_ ? dataSet_->State() : TDataSetState::dsInactive;
}

TIsamDataSource::ListenerId TIsamDataSource::AddListener(Listener listener) {
  listeners_.emplace_back(nextId_, std::move(listener));
  return nextId_++;
}

void TIsamDataSource::RemoveListener(ListenerId id) {
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                  [&](const auto& entry) { return entry.first == id; }),
                   listeners_.end());
}

void TIsamDataSource::Notify(TDataEvent event, TIsamField* field) {
  if (!enabled_ && event != TDataEvent::deUpdateState) return;
  auto listeners = listeners_;  // a listener may remove itself
  switch (event) {
    case TDataEvent::deUpdateState:
      if (OnStateChange) OnStateChange(*this);
      for (auto& [id, l] : listeners)
        if (l.stateChange) l.stateChange();
      break;
    case TDataEvent::deUpdateRecord:
      if (OnUpdateData) OnUpdateData(*this);
      for (auto& [id, l] : listeners)
        if (l.updateData) l.updateData();
      break;
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange:
    case TDataEvent::deDataSetChange:
    case TDataEvent::deDataSetScroll:
      if (event != TDataEvent::deFieldChange) field = nullptr;
      if (OnDataChange) OnDataChange(*this, field);
      for (auto& [id, l] : listeners)
        if (l.dataChange) l.dataChange(field);
      break;
  }
}

}  // namespace isam
