#include "sampler/record_list_link.h"

#include "engine/field.h"
#include "engine/table.h"

namespace marvessa {

namespace {

isam::TIsamTable* OpenTable(const isam::TIsamDataSource& source) {
  auto* table = dynamic_cast<isam::TIsamTable*>(source.DataSet());
  return table && table->Active() && source.Enabled() ? table : nullptr;
}

bool Browsing(const isam::TIsamTable& table) { return table.State() == isam::TDataSetState::dsBrowse; }

}  // namespace

// ---------------------------------------------------------------- item list

TRecordListLink::TRecordListLink(isam::TIsamDataSource& source, std::string fieldName)
    : source_(source), fieldName_(std::move(fieldName)) {
  isam::TIsamDataSource::Listener listener;
  listener.dataChange = [this](isam::TIsamField* field) {
    if (field == nullptr) Changed();
  };
  listener.stateChange = [this] { Changed(); };
  listener_ = source_.AddListener(std::move(listener));
}

TRecordListLink::~TRecordListLink() { source_.RemoveListener(listener_); }

void TRecordListLink::Changed() {
  if (walking_) return;
  // A move looks to a view like any other change of the set, and any of
  // them may have added, removed or emptied records: read them again.
  stale_ = true;
  if (OnStale) OnStale();
  if (OnCurrentChanged) OnCurrentChanged();
}

int TRecordListLink::CurrentRow() const {
  isam::TIsamTable* table = OpenTable(source_);
  if (!table || table->IsTableEmpty()) return -1;
  int32_t number = table->RecordNumber();
  return number > 0 ? number - 1 : -1;
}

void TRecordListLink::Refresh() {
  isam::TIsamTable* table = OpenTable(source_);
  if (!table) {
    values_.clear();
    stale_ = false;
    return;
  }
  if (!Browsing(*table) || walking_) return;
  std::vector<int32_t> values;
  walking_ = true;
  table->SuspendNotifications();
  try {
    if (!table->IsTableEmpty()) {
      isam::TBookmark here = table->SaveBookmark();
      for (table->MoveFirst(); !table->AtEnd(); table->MoveNext())
        values.push_back(table->FieldNamed(fieldName_).IntegerValue());
      table->ReturnToBookmark(here);
    }
  } catch (...) {
    table->ResumeNotifications();
    walking_ = false;
    throw;
  }
  // The resume tells every view of the set once; the list is one of them.
  table->ResumeNotifications();
  walking_ = false;
  values_ = std::move(values);
  stale_ = false;
  if (OnCurrentChanged) OnCurrentChanged();
}

void TRecordListLink::Select(int row) {
  isam::TIsamTable* table = OpenTable(source_);
  if (!table || row < 0 || row == CurrentRow()) return;
  table->SetRecordNumber(row + 1);
}

// ---------------------------------------------------------------- navigator

TNavigatorLink::TNavigatorLink(isam::TIsamDataSource& source) : source_(source) {
  isam::TIsamDataSource::Listener listener;
  listener.dataChange = [this](isam::TIsamField* field) {
    if (field == nullptr && OnUpdate) OnUpdate();
  };
  listener.stateChange = [this] {
    if (OnUpdate) OnUpdate();
  };
  listener_ = source_.AddListener(std::move(listener));
}

TNavigatorLink::~TNavigatorLink() { source_.RemoveListener(listener_); }

bool TNavigatorLink::CanMove(TNavigateBtn button) const {
  isam::TIsamTable* table = OpenTable(source_);
  if (!table || table->IsTableEmpty()) return false;
  const int32_t number = table->RecordNumber();
  if (number < 1) return true;  // a new record: every move leaves it
  const bool back = button == nbFirst || button == nbPrior;
  return back ? number > 1 : number < table->CountRecords();
}

void TNavigatorLink::Click(TNavigateBtn button) {
  isam::TIsamTable* table = OpenTable(source_);
  if (!table) return;
  switch (button) {
    case nbFirst: table->MoveFirst(); break;
    case nbPrior: table->MovePrior(); break;
    case nbNext: table->MoveNext(); break;
    case nbLast: table->MoveLast(); break;
  }
}

}  // namespace marvessa
