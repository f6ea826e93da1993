#pragma once
// TDataFile: one open table. It is the file handler of the ".DAT" file, owns
// the index file, the blob file (when the table has blob fields), the record
// cache and the lock map, and carries out every record operation that the
// table cursor asks for. Positioning is the index file's business; the data
// file fetches the record the index names.
//
// Every operation returns 0 or an engine error code (after ReportError);
// moves return 8705/8706 at the ends. Shared tables take the read lock around
// disk reads (every operation with strict change detection) and the write lock
// around add, modify and delete, and write every change through at once; a
// table open exclusively takes no locks and writes at eviction or close.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/data/data_header.h"
#include "engine/file/field_desc.h"
#include "engine/file/file_handler.h"
#include "engine/data/record_cache.h"
#include "engine/file/table_host.h"
#include "engine/file/table_locks.h"
#include "engine/index/record_bitmap.h"

namespace isam {

class TIndexFile;
class TBlobFile;

class TDataFile : public TFileHandler, public TTableHost {
 public:
  // Asked while the table's password is not registered; true = look again.
  using PasswordCallback = std::function<bool()>;

  TDataFile();
  ~TDataFile() override;

  // An operation frame: releases, when the operation ends, the read lock that
  // a disk read inside it took, and runs the reload listener a change check
  // left owed. With strict change detection it takes the lock (and checks for
  // other users' changes) when the operation begins. Every operation that can
  // reach the disk runs inside one: the data file's own, and those the cursor
  // layer sends to the index or blob file directly (blob streams, filters).
  class ReadFrame {
   public:
    explicit ReadFrame(TDataFile& file);
    ~ReadFrame();
    ReadFrame(const ReadFrame&) = delete;
    ReadFrame& operator=(const ReadFrame&) = delete;
    int status() const { return status_; }

   private:
    TDataFile& file_;
    int status_ = 0;
  };

  // ---- Configuration (before opening) ----
  void SetStrictChangeDetection(bool on) { strictChangeDetection_ = on; }
  void SetForceBufferFlush(bool on);
  void SetLockRetryCount(int count);
  void SetLockWaitTime(uint32_t milliseconds);
  void SetPasswordCallback(PasswordCallback callback) { passwordCallback_ = std::move(callback); }
  // Called after the table was re-read because another user changed it
  // (record bitmaps must then be rebuilt).
  void SetReloadListener(std::function<void()> listener) { reloadListener_ = std::move(listener); }
  bool StrictChangeDetection() const { return strictChangeDetection_; }
  bool ForceBufferFlush() const { return forceBufferFlush_; }

  int Open() override;
  void Close() override;

  // ---- TTableHost ----
  const std::string& DataFilePath() const override { return Path(); }
  const std::vector<TFieldDesc>& Fields() const override { return fields_; }
  uint16_t RecordSize() const override { return header_.recordSize; }
  bool Enciphered() const override { return header_.hasPassword; }
  uint16_t LanguageId() const override { return header_.languageId; }
  uint16_t SortId() const override { return header_.sortId; }
  const TTableLocale* Locale() const override { return locale_.get(); }
  uint32_t SlotCount() const override { return header_.SlotCount(); }
  int BeforeDiskRead() override;
  bool HoldsTableLock() const override;

  // ---- Header and fields ----
  const TDataHeader& Header() const { return header_; }
  uint16_t FieldCount() const { return static_cast<uint16_t>(fields_.size()); }
  // 9985 when the number lies outside 1..F or no field has the name.
  int FieldByNumber(uint16_t number, const TFieldDesc** field);
  int FieldByName(std::string_view name, const TFieldDesc** field);
  TIndexFile& Index() { return *index_; }
  TBlobFile* Blob() { return blob_.get(); }
  TTableLocks& Locks() { return *locks_; }

  // ---- Records ----
  // A new record: all null, then the field defaults. Returns an empty text, or
  // the conversion error of a default that does not convert.
  std::string InitRecord(uint8_t* image);
  // Copies the current record out (8705 before the first, 8706 after the
  // last: the image is then initialised as new); lock = lock it first.
  int ReadCurrent(uint8_t* image, bool lock = false);
  uint32_t CurrentSlot() const { return currentSlot_; }

  int MoveFirst();
  int MoveLast();
  int MoveNext();
  int MovePrior();
  int MoveBy(int32_t n);
  int MoveToPosition(uint32_t position);
  int MoveToBookmark(std::string_view bookmark);
  // Positions on the first key >= key of the active index; *exact on a match.
  int MoveToKey(const uint8_t* key, size_t length, bool* exact);
  void BeforeFirst();
  void AfterLast();
  // The current record's bookmark: its slot in physical order, else its key.
  std::string Bookmark() const;
  // Position of the current record in the active index (1-based).
  int Position(uint32_t* position);
  int Count(uint32_t* count);

  // ---- Field values in an image ----
  int GetField(uint16_t number, const uint8_t* image, uint8_t* data, bool* isNull);
  bool IsNull(const TFieldDesc& field, const uint8_t* image);

  // ---- Changes ----
  int AddRecord(uint8_t* image);
  int ModifyCurrent(uint8_t* image, bool releaseRecordLock = true);
  int DeleteCurrent();
  int RemoveAll();
  int LockRecord(uint32_t slot);
  int UnlockRecord(uint32_t slot);
  // Takes the read lock, checks for other users' changes, releases the lock.
  int Refresh();
  // Writes back modified records (and the header when it changed or is forced).
  int WriteBack(bool forceHeader);

  // Reads the plain image of slot n straight from the cache or the disk
  // (deleted slots included); for scans that walk the slots.
  int ReadSlot(uint32_t slot, uint8_t* image);
  // Sets the bit of every slot that holds a record (deleted flag 0).
  int BuildSlotLiveBitmap(TRecordBitmap& out);

 private:
  int OpenFiles();
  int CheckPassword();
  int CheckDescriptors();
  void CloseFiles();
  int Fail(int code, std::string_view field = {}) const;

  // Change detection (after a lock was taken): *changed when another user
  // wrote; headers re-read and caches dropped.
  int CheckForChanges(bool* changed, bool reposition);
  int ReadHeader();
  void RunReloadListener();
  int WriteHeader();
  // Fetches record slot n into the cache and makes it current.
  int Fetch(uint32_t slot, int direction);
  int ReadRun(uint32_t first, uint32_t count);
  int ReadAhead(uint32_t slot, int direction);
  TRecord* TakeEntry(uint32_t slot);
  int SetCurrent(uint32_t slot);
  template <class Locate>
  int Move(int direction, int noRecord, Locate locate);
  int Validate(const uint8_t* image);
  int DecideSlot(uint32_t* slot) const;
  // The start of a modify or delete: the write lock (its frame releases it),
  // the change check, and the current record's slot (8710 when it is gone).
  int LockWriteOnCurrent(uint32_t* slot);
  int TakeSlot(uint32_t* slot);
  int WriteThroughAll();
  int SaveBlobs(uint32_t slot, uint8_t* image);
  // The end of an add or modify: blobs saved, cursor on the record, written through.
  int FinishChange(uint32_t slot, uint8_t* stored, uint8_t* image);
  uint64_t SlotOffset(uint32_t slot) const {
    return kDataHeaderSize + kFieldDescriptorSize * fields_.size() + uint64_t(slot - 1) * header_.recordSize;
  }

  TDataHeader header_;
  bool headerChanged_ = false;
  std::vector<TFieldDesc> fields_;
  std::vector<std::vector<uint8_t>> minimums_, maximums_;  // encoded limits, empty = none
  bool hasValidity_ = false;
  bool hasDefaults_ = false;
  std::unique_ptr<TTableLocale> locale_;
  std::unique_ptr<TIndexFile> index_;
  std::unique_ptr<TBlobFile> blob_;
  std::unique_ptr<TTableLocks> locks_;
  TRecordCache cache_;
  uint32_t currentSlot_ = 0;
  bool strictChangeDetection_ = false;
  bool forceBufferFlush_ = false;
  int lockRetryCount_ = 15;
  uint32_t lockWaitTime_ = 100;
  PasswordCallback passwordCallback_;
  std::function<void()> reloadListener_;
  bool insideCheck_ = false;
  bool reloadPending_ = false;   // the listener is owed a call
  bool insideListener_ = false;
};

}  // namespace isam
