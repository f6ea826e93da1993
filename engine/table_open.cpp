// Properties, opening and closing of a table cursor.
#include <algorithm>

#include "engine/database.h"
#include "engine/filter/dataset_error.h"
#include "engine/errors.h"
#include "engine/data/data_file.h"
#include "engine/filter/table_filters.h"
#include "engine/index/index_file.h"
#include "engine/session.h"
#include "engine/text/names.h"
#include "engine/table.h"
#include "engine/table_records.h"
#include "engine/file/file_session.h"

namespace isam {

TIsamTable::TIsamTable() { Sessions().AddTable(this); }

TIsamTable::~TIsamTable() {
  CloseTable();
  Sessions().RemoveTable(this);
}

// ---------------------------------------------------------------- properties

void TIsamTable::SetSessionName(std::string_view name) {
  CheckInactive();
  sessionName_ = std::string(name);
}
void TIsamTable::SetDatabaseName(std::string_view name) {
  CheckInactive();
  databaseName_ = std::string(name);
}
void TIsamTable::SetTableName(std::string_view name) {
  CheckInactive();
  tableName_ = std::string(name);
}
void TIsamTable::SetExclusive(bool exclusive) {
  CheckInactive();
  exclusive_ = exclusive;
}
void TIsamTable::SetReadOnly(bool readOnly) {
  CheckInactive();
  readOnly_ = readOnly;
}
void TIsamTable::SetInMemory(bool inMemory) {
  CheckInactive();
  inMemory_ = inMemory;
}
void TIsamTable::SetStrictChangeDetection(bool on) {
  CheckInactive();
  strictChangeDetection_ = on;
}
void TIsamTable::SetForceBufferFlush(bool on) {
  CheckInactive();
  forceBufferFlush_ = on;
}

void TIsamTable::SetLockRetryCount(uint8_t count) {
  lockRetryCount_ = count;
  if (file_) file_->SetLockRetryCount(count);
}

void TIsamTable::SetLockWaitTime(uint16_t milliseconds) {
  lockWaitTime_ = milliseconds;
  if (file_) file_->SetLockWaitTime(milliseconds);
}

void TIsamTable::SetIndexName(std::string_view name) {
  CheckInactive();
  indexName_ = std::string(name);
  indexFieldNames_.clear();
}

void TIsamTable::SetIndexFieldNames(std::string_view names) {
  CheckInactive();
  indexFieldNames_ = std::string(names);
  indexName_.clear();
}

std::string TIsamTable::EngineVersion() const { return kEngineVersion; }

// ---------------------------------------------------------------- fields

TIsamField& TIsamTable::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) throw EDatabaseError("Field index out of range");
  return *fields_[index];
}

TIsamField* TIsamTable::FindField(std::string_view name) const {
  for (const auto& field : fields_) {
    if (SameName(field->FieldName(), name)) return field.get();
  }
  return nullptr;
}

TIsamField& TIsamTable::FieldNamed(std::string_view name) const {
  TIsamField* field = FindField(name);
  if (!field) throw EDatabaseError::WithArg("Field '%s' not found", name);
  return *field;
}

// ---------------------------------------------------------------- opening

void TIsamTable::ConfigureFile(TDataFile& file, const std::string& path, bool exclusive, bool readOnly) const {
  file.SetPath(path);
  file.SetExclusive(exclusive);
  file.SetReadOnly(readOnly);
  file.SetInMemory(inMemory_);
  file.SetStrictChangeDetection(strictChangeDetection_);
  file.SetForceBufferFlush(forceBufferFlush_);
  file.SetLockRetryCount(lockRetryCount_);
  file.SetLockWaitTime(lockWaitTime_);
}

void TIsamTable::SetActive(bool active) {
  if (!active) {
    Close();
    return;
  }
  if (Active()) return;
  Fire(BeforeOpen);
  try {
    OpenTable();
    // The cursor starts on the first record of the view.
    int rc = file_->MoveFirst();
    if (rc == kEndOfFile || rc == kBeginningOfFile) {
      LoadEmpty(bfBOF);
    } else {
      Check(rc);
      LoadCurrent();
    }
    atStart_ = true;
    atEnd_ = !HasCurrentRecord();
  } catch (...) {
    CloseTable();
    throw;
  }
  SetState(TDataSetState::dsBrowse);
  Fire(AfterOpen);
  DataEvent(TDataEvent::deDataSetChange);
}

void TIsamTable::OpenTable() {
  TIsamSession& session = Sessions().GetSession(sessionName_);
  session.SetActive(true);
  session.MakeCurrent();
  session_ = &session;

  TIsamDatabase* database = session.FindDatabase(databaseName_);
  bool created = false;
  if (!database) {
    database = &session.CreateTemporaryDatabase(databaseName_);
    created = true;
  }
  try {
    database->AttachTable(this);
  } catch (...) {
    if (created) session.DestroyTemporaryDatabase(database);
    throw;
  }
  database_ = database;

  if (tableName_.empty()) throw EDatabaseError("Missing table name.");
  path_ = BuildTablePath(database->TableDirectory(), tableName_);

  auto file = std::make_unique<TDataFile>();
  ConfigureFile(*file, path_, exclusive_, readOnly_);
  // The callback lives only as long as the open.
  file->SetPasswordCallback([&session] { return session.AskPassword(); });
  int rc = file->Open();
  file->SetPasswordCallback(nullptr);
  if (rc != kOk) ThrowEngineError(rc);
  file_ = std::move(file);
  readOnly_ = file_->ReadOnly();

  // Choosing the index and building the filters' bitmaps read the files.
  TDataFile::ReadFrame frame(*file_);
  SelectIndex();
  BuildFields();
  file_->BeforeFirst();
  InstallFilters();
}

void TIsamTable::SelectIndex() {
  TIndexFile& index = file_->Index();
  int slot = 0;
  if (!indexName_.empty()) {
    slot = index.FindIndex(indexName_);
    if (slot < 0) ThrowEngineError(ReportError(kInvalidSecondaryIndexName, path_, {}, indexName_));
  } else if (!indexFieldNames_.empty()) {
    // The first index whose leading key fields are the named ones, in order.
    std::vector<uint16_t> wanted;
    std::string_view names = indexFieldNames_;
    while (!names.empty()) {
      size_t end = names.find(';');
      std::string_view name = names.substr(0, end);
      const TFieldDesc* field = nullptr;
      if (file_->FieldByName(name, &field) != kOk) throw EDatabaseError::WithArg("Field '%s' not found", name);
      wanted.push_back(field->number);
      names = end == std::string_view::npos ? std::string_view{} : names.substr(end + 1);
    }
    slot = -1;
    for (int candidate = 0; candidate < kRecordIndexSlot && slot < 0; ++candidate) {
      if (!index.IndexInUse(candidate)) continue;
      const TIndexDescriptor& desc = index.Descriptor(candidate);
      if (desc.fieldCount >= wanted.size() && std::equal(wanted.begin(), wanted.end(), desc.fields.begin())) {
        slot = candidate;
      }
    }
    if (slot < 0) ThrowEngineError(ReportError(kInvalidSecondaryIndexName, path_, {}, indexFieldNames_));
  }
  Check(index.SelectIndex(slot));
}

void TIsamTable::BuildFields() {
  fieldDefs_ = MakeFieldDefs(file_->Fields());
  fields_.clear();
  for (const TIsamFieldDef& def : fieldDefs_) {
    fields_.push_back(std::make_unique<TIsamField>(*this, def, file_->Fields()[def.fieldNo - 1]));
  }
  TIndexFile& index = file_->Index();
  bookmarkSize_ = index.PhysicalOrder() ? 4 : index.KeyLength(index.CurrentIndex());
  size_t recordSize = file_->RecordSize();
  // No calculated fields: the calculated area is empty.
  for (TRecordBuffer* buffer : {&buffer_, &spare_, &saved_}) buffer->Layout(recordSize, 0, bookmarkSize_);
  for (TKeyBuffer& key : keyBuffers_) key.Layout(recordSize);
  savedKey_.Layout(recordSize);
  blobModified_.assign(file_->FieldCount() + 1u, false);
  modified_ = false;
}

// ---------------------------------------------------------------- closing

void TIsamTable::Close() {
  if (!Active()) return;
  Fire(BeforeClose);
  CloseTable();
  SetState(TDataSetState::dsInactive);
  Fire(AfterClose);
}

void TIsamTable::CloseTable() noexcept {
  FreeFilters();
  for (TKeyBuffer& key : keyBuffers_) key.Free();
  savedKey_.Free();
  for (TRecordBuffer* buffer : {&buffer_, &spare_, &saved_}) buffer->Free();
  fields_.clear();
  fieldDefs_.clear();
  blobModified_.clear();
  if (file_) {
    Enter();
    file_->Close();  // writes back what is pending, releases every lock
    file_.reset();
  }
  if (TIsamDatabase* database = database_) {
    database_ = nullptr;
    database->ReleaseTable(this);  // may destroy a temporary database
  }
  session_ = nullptr;
  path_.clear();
  atStart_ = atEnd_ = true;
  modified_ = false;
}

// ---------------------------------------------------------------- removing all records

std::string TIsamTable::ResolvePath(TIsamSession& session) const {
  std::string directory;
  if (TIsamDatabase* database = session.FindDatabase(databaseName_)) {
    directory = database->TableDirectory();
  } else if (databaseName_.empty() || LooksLikePath(databaseName_)) {
    directory = databaseName_;  // what a temporary database would use
  }
  if (tableName_.empty()) throw EDatabaseError("Missing table name.");
  return BuildTablePath(directory, tableName_);
}

void TIsamTable::RemoveAllRecords() {
  if (!Active()) {
    RemoveAllClosed();
    return;
  }
  EndPendingEdit();
  Enter();
  Check(file_->RemoveAll());
  // The emptied header goes to the disk at once: its update counter then
  // matches the one in memory, and no change check mistakes the stale
  // header on the disk for another user's work.
  Check(file_->WriteBack(true));
  if (filters_) Check(filters_->Rebuild());
  LoadEmpty(bfBOF);
  atStart_ = atEnd_ = true;
  DataEvent(TDataEvent::deDataSetChange);
}

void TIsamTable::RemoveAllClosed() {
  TIsamSession& session = Sessions().GetSession(sessionName_);
  session.SetActive(true);
  session.MakeCurrent();
  std::string path = ResolvePath(session);
  // Exclusive and writable whatever the properties say; path_ stays empty
  // while the table is closed.
  TDataFile file;
  ConfigureFile(file, path, true, false);
  file.SetPasswordCallback([&session] { return session.AskPassword(); });
  Check(file.Open());
  file.SetPasswordCallback(nullptr);
  Check(file.RemoveAll());
  file.Close();
}

}  // namespace isam
