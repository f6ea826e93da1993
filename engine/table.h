#pragma once
// TIsamTable: a cursor over one table. It opens the table's files through a
// data file object, keeps the current record in a record buffer
// (record_buffer.h), moves over the records of the active index (or physical
// order), edits, inserts and deletes records, searches keys and applies a
// filter expression.
//
// Failures of the engine below surface as EIsamEngineError, failures of this
// layer as EDatabaseError with fixed texts. A failing call leaves the cursor
// as it was: an open that fails leaves the table closed, a move that fails
// leaves the current record in place, a post that fails stays in edit or
// insert state with the buffer intact.
//
// Text in fields is the table files' bytes (Windows-1252); see field.h.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dataset.h"
#include "engine/errors.h"
#include "engine/field.h"
#include "engine/filter/filter_codes.h"
#include "engine/record_buffer.h"

namespace isam {

class TDataFile;
class TIsamDatabase;
class TIsamSession;
class TTableFilters;
class TIsamBlobStream;
class TDataFileRecords;

// A saved position: a copy of the bookmark bytes of a record buffer.
using TBookmark = std::string;

class TIsamTable : public TIsamDataSet {
 public:
  TIsamTable();
  ~TIsamTable() override;

  const void* Owner() const { return owner_; }
  void SetOwner(const void* owner) { owner_ = owner; }

  // ---- Properties (the first eight only while closed) ----
  const std::string& SessionName() const { return sessionName_; }
  void SetSessionName(std::string_view name);
  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(std::string_view name);
  const std::string& TableName() const { return tableName_; }
  void SetTableName(std::string_view name);
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool exclusive);
  // Set by opening when the data file carries the read-only attribute.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  bool InMemory() const { return inMemory_; }
  void SetInMemory(bool inMemory);
  bool StrictChangeDetection() const { return strictChangeDetection_; }
  void SetStrictChangeDetection(bool on);
  bool ForceBufferFlush() const { return forceBufferFlush_; }
  void SetForceBufferFlush(bool on);
  // These two apply at once, also to an open table.
  uint8_t LockRetryCount() const { return lockRetryCount_; }
  void SetLockRetryCount(uint8_t count);
  uint16_t LockWaitTime() const { return lockWaitTime_; }
  void SetLockWaitTime(uint16_t milliseconds);
  // Active index by name or by a ";"-separated field list (empty: primary).
  const std::string& IndexName() const { return indexName_; }
  void SetIndexName(std::string_view name);
  const std::string& IndexFieldNames() const { return indexFieldNames_; }
  void SetIndexFieldNames(std::string_view names);
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string_view text);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);
  TFilterOptions FilterOptions() const { return filterOptions_; }
  void SetFilterOptions(TFilterOptions options);
  std::string EngineVersion() const;

  // A second filter beside the expression, installed when the table opens:
  // the handler reads the fields of the record being judged (the table is
  // in filter state meanwhile) and clears accept to hide it.
  using TFilterRecordEvent = std::function<void(TIsamTable& table, bool& accept)>;
  TFilterRecordEvent OnFilterRecord;

  // ---- Opening and closing ----
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close();

  // ---- Fields ----
  const std::vector<TIsamFieldDef>& FieldDefs() const { return fieldDefs_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // 0-based; "Field index out of range".
  TIsamField& Fields(int index) const;
  // Case-insensitive; "Field '%s' not found".
  TIsamField& FieldNamed(std::string_view name) const;
  TIsamField* FindField(std::string_view name) const;

  // ---- Moving ----
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrior();
  bool AtEnd() const { return atEnd_; }
  bool AtStart() const { return atStart_; }
  // The current record's 1-based position in the active index range (hidden
  // records counted); -1 for a new record.
  int32_t RecordNumber() const;
  void SetRecordNumber(int32_t number);
  int32_t CountRecords();
  bool IsTableEmpty();

  // ---- Changing ----
  void BeginEdit();
  void BeginInsert();
  void BeginAppend();
  void PostRecord();
  void CancelRecord();
  void DeleteRecord();
  void RemoveAllRecords();
  // A field of the buffer was written since the edit began.
  bool Modified() const { return modified_; }

  // ---- Searching ----
  void BeginKeySearch();
  bool SeekKey();

  // ---- Bookmarks ----
  TBookmark SaveBookmark() const;
  void ReturnToBookmark(const TBookmark& bookmark);
  void ReleaseBookmark(TBookmark& bookmark) { bookmark.clear(); }

  // ---- For fields, blob streams and tools ----
  TIsamSession* Session() const { return session_; }
  TIsamDatabase* Database() const { return database_; }
  TDataFile* DataFile() const { return file_.get(); }
  // The path the data file was opened with (while open).
  const std::string& Path() const { return path_; }
  const TRecordBuffer& Buffer() const { return buffer_; }

 private:
  friend class TIsamField;
  friend class TIsamBlobStream;

  // table_open.cpp
  void OpenTable();
  void CloseTable() noexcept;
  void SelectIndex();
  void BuildFields();
  std::string ResolvePath(TIsamSession& session) const;
  void ConfigureFile(TDataFile& file, const std::string& path, bool exclusive, bool readOnly) const;
  void RemoveAllClosed();

  // table_cursor.cpp
  void LoadCurrent();
  void LoadEmpty(TBookmarkFlag flag);
  void Resync() noexcept;
  // Puts the data file back on the buffer's record, then raises the error
  // with the context the failure stored.
  [[noreturn]] void RaiseAfterResync(int rc);
  void Moved();  // after a move that reached a record
  void MoveToEnd(bool last);      // MoveFirst and MoveLast
  void MoveStep(bool forward);    // MoveNext and MovePrior
  void CheckWritable() const;
  void EndPendingEdit();
  void DiscardBufferBlobs() noexcept;
  bool HasCurrentRecord() const { return buffer_.Flag() == bfCurrent; }
  void Enter() const;  // makes the session's record current

  // table_edit.cpp: field access
  uint8_t* ActiveImage();
  const uint8_t* ActiveImage() const;
  uint8_t* BeginFieldWrite(TIsamField& field);
  void EndFieldWrite(TIsamField& field);
  void MarkBlobModified(TIsamField& field);
  bool BlobModified(const TIsamField& field) const;

  // table_filter.cpp
  void InstallFilters();
  uint32_t AddCallbackFilter();
  void ActivateFilter();
  void DeactivateFilter();
  void FreeFilters() noexcept;
  void FilterRecordChanged();
  void FilterRecordDeleted(uint32_t slot);

  const void* owner_ = nullptr;
  std::string sessionName_, databaseName_, tableName_;
  bool exclusive_ = false, readOnly_ = false, inMemory_ = false;
  bool strictChangeDetection_ = false, forceBufferFlush_ = false;
  uint8_t lockRetryCount_ = 15;
  uint16_t lockWaitTime_ = 100;
  std::string indexName_, indexFieldNames_;
  std::string filter_;
  bool filtered_ = false;
  TFilterOptions filterOptions_ = 0;

  // While open.
  TIsamSession* session_ = nullptr;
  TIsamDatabase* database_ = nullptr;
  std::string path_;
  std::unique_ptr<TDataFile> file_;
  std::vector<TIsamFieldDef> fieldDefs_;
  std::vector<std::unique_ptr<TIsamField>> fields_;
  TRecordBuffer buffer_;
  TRecordBuffer spare_;  // reads land here first, so a failed read changes nothing
  TRecordBuffer saved_;  // the buffer before an insert, restored by a cancel
  std::array<TKeyBuffer, kKeyBufferCount> keyBuffers_;
  TKeyBuffer savedKey_;
  size_t bookmarkSize_ = 0;
  bool atStart_ = true, atEnd_ = true;
  bool modified_ = false;
  std::vector<bool> blobModified_;  // per field number, in this buffer
  // Filters.
  std::unique_ptr<TDataFileRecords> filterRecords_;
  std::unique_ptr<TTableFilters> filters_;
  uint32_t filterHandle_ = 0;
  uint32_t callbackHandle_ = 0;
  std::vector<uint8_t> filterImage_;  // the record an OnFilterRecord handler judges
};

}  // namespace isam
