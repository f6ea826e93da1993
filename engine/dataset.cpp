#include "engine/dataset.h"

#include <algorithm>

#include "engine/data_source.h"
#include "engine/filter/dataset_error.h"

namespace isam {

TIsamDataSet::~TIsamDataSet() {
  for (TIsamDataSource* source : std::vector<TIsamDataSource*>(sources_)) source->SetDataSet(nullptr);
}

void TIsamDataSet::Attach(TIsamDataSource* source) {
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) sources_.push_back(source);
}

void TIsamDataSet::Detach(TIsamDataSource* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void TIsamDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TIsamDataSet::CheckInactive() const {
  if (Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
}

void TIsamDataSet::SetState(TDataSetState state) {
  if (state == state_) return;
  state_ = state;
  DataEvent(TDataEvent::deUpdateState);
}

void TIsamDataSet::DataEvent(TDataEvent event, TIsamField* field) {
  // Calculating and filtering write into private buffers: no view cares.
  if (event == TDataEvent::deFieldChange &&
      (state_ == TDataSetState::dsCalcFields || state_ == TDataSetState::dsFilter)) {
    return;
  }
  if (suspended_ > 0) {
    if (event == TDataEvent::deUpdateState) stateChangedWhileSuspended_ = true;
    return;
  }
  // A listener may detach a source while it is told.
  for (TIsamDataSource* source : std::vector<TIsamDataSource*>(sources_)) {
    if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) source->Notify(event, field);
  }
}

void TIsamDataSet::UpdateRecord() {
  if (suspended_ > 0) return;
  DataEvent(TDataEvent::deUpdateRecord);
}

void TIsamDataSet::ResumeNotifications() {
  if (suspended_ == 0) return;
  if (--suspended_ > 0) return;
  if (stateChangedWhileSuspended_) {
    stateChangedWhileSuspended_ = false;
    DataEvent(TDataEvent::deUpdateState);
  }
  DataEvent(TDataEvent::deDataSetChange);
}

}  // namespace isam
