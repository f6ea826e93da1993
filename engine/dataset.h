#pragma once
// TIsamDataSet: the state machine and notifications shared by table cursors.
//
// States: inactive, browse, edit, insert, key-edit (a search key is being
// entered), calculating fields, filtering. Opening leads to browse; beginning
// an edit, an insert or a key search leaves it; posting, cancelling and
// seeking return to it; closing returns to inactive.
//
// Attached data sources hear of moves, changes and state changes, except
// while notifications are suspended (a nesting counter): the last resume
// tells them once.
#include <functional>
#include <vector>

namespace isam {

class TIsamDataSource;
class TIsamField;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter };

enum class TDataEvent {
  deFieldChange,    // a field of the current record was written
  deRecordChange,   // the current record's buffer changed as a whole
  deDataSetChange,  // the view changed (open, post, cancel, delete, removal)
  deDataSetScroll,  // the cursor moved to another record
  deUpdateState,    // the state changed
  deUpdateRecord,   // views must write their edits into the buffer
};

class TIsamDataSet {
 public:
  using Event = std::function<void(TIsamDataSet&)>;

  TIsamDataSet() = default;
  virtual ~TIsamDataSet();
  TIsamDataSet(const TIsamDataSet&) = delete;
  TIsamDataSet& operator=(const TIsamDataSet&) = delete;

  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != TDataSetState::dsInactive; }

  void SuspendNotifications() { ++suspended_; }
  void ResumeNotifications();
  bool NotificationsSuspended() const { return suspended_ > 0; }

  Event BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  Event BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  Event BeforePost, AfterPost, BeforeCancel, AfterCancel;
  Event BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  Event OnNewRecord;

 protected:
  void SetState(TDataSetState state);
  // Changes the state without telling anyone (calculating and filtering
  // happen inside another operation); returns the state it replaced.
  TDataSetState ExchangeState(TDataSetState state) {
    TDataSetState old = state_;
    state_ = state;
    return old;
  }
  void DataEvent(TDataEvent event, TIsamField* field = nullptr);
  void Fire(const Event& event) {
    if (event) event(*this);
  }
  // "Cannot perform this operation on a closed dataset"
  void CheckActive() const;
  // "Cannot perform this operation on an open dataset"
  void CheckInactive() const;
  // Data sources write pending view edits into the buffer.
  void UpdateRecord();

 private:
  friend class TIsamDataSource;
  void Attach(TIsamDataSource* source);
  void Detach(TIsamDataSource* source);

  TDataSetState state_ = TDataSetState::dsInactive;
  std::vector<TIsamDataSource*> sources_;
  int suspended_ = 0;
  bool stateChangedWhileSuspended_ = false;
};

}  // namespace isam
