#pragma once
// TIndexFile: the table's ".IDX" file. It holds every index of the table as a
// counted B+-tree of 4096-byte pages (primary index in slot 0, secondary
// indexes in slots 1..30, the record index "Sys Deleted" in slot 31), keeps
// per-index page caches, the cursor's place in the current index, the active
// range and the visible record bitmap the cursor consults.
//
// Every operation returns 0 or an engine error code (after ReportError);
// kRestart from the host's change check never escapes: the operation starts
// over from the top. Cursor moves return kEndOfFile / kBeginningOfFile
// without reporting them; the data file reports them.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file/field_desc.h"
#include "engine/file/file_handler.h"
#include "engine/file/table_host.h"
#include "engine/index/index_format.h"
#include "engine/index/index_key.h"
#include "engine/index/index_page.h"
#include "engine/index/record_bitmap.h"

namespace isam {

class TIndexTree;

class TIndexFile : public TFileHandler {
 public:
  explicit TIndexFile(TTableHost& host);
  ~TIndexFile() override;

  // Reads the header (12035 on a wrong version), selects slot 0, no range.
  int Open() override;
  // Writes back modified pages and the header when modified, frees caches.
  void Close() override;

  // ---- Header ----
  uint32_t RecordCount() const { return header_.recordCount; }
  bool HasPrimary() const { return !header_.noPrimary; }
  int SecondaryCount() const { return header_.secondaryCount; }
  bool IndexInUse(int slot) const;
  const TIndexDescriptor& Descriptor(int slot) const { return header_.indexes[slot]; }
  // Slot of an index by name, case-insensitive; -1 when unknown.
  int FindIndex(std::string_view name) const;
  // The name errors use for a slot ("Primary" for slot 0).
  std::string IndexErrorName(int slot) const;

  // ---- Change detection and writing back ----
  // The update counter stored on disk (deciphered), and the one in memory.
  int ReadDiskCounter(uint32_t* counter);
  uint32_t Counter() const { return header_.counter; }
  // Reads the header again and drops every page cache (another user wrote).
  int Reload();
  void DropCaches();
  bool HeaderModified() const { return headerModified_; }
  // Writes modified pages (sorted, adjacent ones in one write) and the
  // header when modified or forced; the counter is incremented first.
  int Flush(bool forceHeader);

  // ---- Keys ----
  uint16_t KeyLength(int slot) const { return header_.indexes[slot].keyLength; }
  // Builds the key of an index from a record image over its first fieldCount
  // fields (-1 = all, with the record-number suffix of a non-unique secondary
  // index). Returns the number of bytes built; key must hold KeyLength(slot).
  size_t BuildKey(int slot, const uint8_t* image, uint32_t recordNumber, uint8_t* key,
                  int fieldCount = -1) const;
  // Orders two keys of an index over their first length bytes (<0, 0, >0).
  int CompareKeys(int slot, const uint8_t* a, const uint8_t* b, size_t length) const;

  // ---- Record operations (inside the data file's write lock) ----
  // 9729 naming the first unique index (primary included) that already holds
  // the new image's key; nothing changes.
  int CheckUnique(const uint8_t* newImage);
  // The same for the indexes whose key differs between the images.
  int CheckUniqueChanged(const uint8_t* oldImage, const uint8_t* newImage, uint32_t recordNumber);
  int InsertRecord(uint32_t recordNumber, const uint8_t* image);
  int ModifyRecord(uint32_t recordNumber, const uint8_t* oldImage, const uint8_t* newImage);
  int DeleteRecord(uint32_t recordNumber, const uint8_t* image);
  // Cuts the file to its header: every index empty, record count 0.
  int Empty();

  // ---- Cursor ----
  // slot 0..30 or kPhysicalOrder; a slot not in use selects slot 0. The
  // cursor goes before the first record and the range is cancelled.
  int SelectIndex(int slot);
  // Unknown names select the primary index.
  int SelectIndexByName(std::string_view name);
  int CurrentIndex() const { return slot_; }
  // Physical record order: slot 255, or slot 0 of a table without primary index.
  bool PhysicalOrder() const { return slot_ == kPhysicalOrder || (slot_ == 0 && header_.noPrimary); }

  void BeforeFirst();
  void AfterLast();
  bool AtStart() const { return cursor_.state == CursorState::kBeforeFirst; }
  bool AtEnd() const { return cursor_.state == CursorState::kAfterLast; }
  // Record number of the current key (0 = none).
  uint32_t CurrentRecord() const { return cursor_.state == CursorState::kOnKey ? cursor_.record : 0; }

  // Every move yields in *record the record now current (0 = none).
  int First(uint32_t* record);
  int Last(uint32_t* record);
  // The records the next moves from the current key would reach, in the
  // current index order and direction (visible records within the range
  // only), up to max of them; the cursor stays where it is. For reading
  // ahead: nothing when the cursor is on no key, in physical order, or when
  // a page cannot be read (the move itself then reports it).
  void PeekAhead(bool forward, uint32_t max, std::vector<uint32_t>* records);
  int Next(uint32_t* record);   // kEndOfFile past the last
  int Prior(uint32_t* record);  // kBeginningOfFile before the first
  int MoveBy(int32_t n, uint32_t* record);
  // 1-based position in the range (in physical order: a record number).
  int GoToPosition(uint32_t position, uint32_t* record);
  // Positions on the first key >= key over length bytes; *exact when that
  // key's first length bytes equal it. At end: kEndOfFile, *record 0.
  int Find(const uint8_t* key, size_t length, bool* exact, uint32_t* record);
  // Puts the cursor on a record again after it was edited (its new image).
  int Resync(uint32_t recordNumber, const uint8_t* image);
  // 1-based position of the current key in the range, counting keys hidden
  // by bitmaps; physical order: the record number. 0 when off the ends.
  int Position(uint32_t* position);
  // Visible count with bitmaps; header count in physical order; else the
  // range's key count.
  int Count(uint32_t* count);
  // Bookmark: the current key (physical order: the record number as 4 bytes
  // little-endian); empty when off the ends.
  std::string CurrentKey() const;
  // Back to a bookmark. A key no longer there: kRecordNotFound (not
  // reported), the cursor on the next key; physical order: the cursor stays.
  int GoToKey(std::string_view bookmark, uint32_t* record);

  // ---- Ranges ----
  // low/high: full keys of KeyLength bytes; null = open end. A record is in
  // the range when low <= its key <= high in the index's order; the cursor
  // goes before the first record. Cancelling leaves both ends open (rather
  // than 0x00 / 0xFF keys, which a descending index would order backwards).
  int SetRange(const uint8_t* low, const uint8_t* high);
  int CancelRange();
  bool HasRange() const { return range_.active; }
  const std::string& RangeLow() const { return range_.low; }
  const std::string& RangeHigh() const { return range_.high; }

  // ---- Record bitmaps ----
  // The bitmap the cursor consults (null = none); owned by the caller and
  // kept in step with the table by it.
  void SetVisibleBitmap(const TRecordBitmap* visible) { visible_ = visible; }
  const TRecordBitmap* VisibleBitmap() const { return visible_; }
  // In a table without a primary index the live set comes from the data
  // file's slots: the host fills a bitmap (slot count bits) with the records
  // not deleted. Also used for physical order when no visible bitmap is set.
  using SlotLiveSource = std::function<int(TRecordBitmap&)>;
  void SetSlotLiveSource(SlotLiveSource source) { slotLiveSource_ = std::move(source); }
  // Live records, sized to the host's slot count.
  int BuildLiveBitmap(TRecordBitmap& out);
  // Records of the current index whose key lies in the active range (all set
  // without a range), with the more-than-half complement rule.
  int BuildRangeBitmap(TRecordBitmap& out);
  // Keys of an index between low (first key >= low over lowLength bytes) and
  // high (last key <= high over highLength bytes); null = open end.
  int CountKeyRange(int slot, const uint8_t* low, size_t lowLength, const uint8_t* high,
                    size_t highLength, uint32_t* count);
  // Sets the bit of every record whose key lies in such a range.
  int CollectKeyRange(int slot, const uint8_t* low, size_t lowLength, const uint8_t* high,
                      size_t highLength, TRecordBitmap& out);

  // Pages kept per index between operations (more while the table is
  // locked). The default, 1024 pages (4 MB on disk), holds every page of a
  // 10^5-record index of short keys, so that random key searches stop
  // re-reading and re-decoding pages.
  static constexpr size_t kDefaultCachedPages = 1024;
  void SetCachedPagesPerIndex(size_t pages) { cachedPages_ = pages; }

  // Pages read from the disk since open (benchmarks show O(log n) counts;
  // DropCaches first to count a cold operation).
  uint64_t PagesRead() const { return pagesRead_; }

  // ---- For the verifier and tests ----
  TTableHost& Host() const { return host_; }
  const TIndexHeader& Header() const { return header_; }
  // Fetches a page of an index (through the cache); the pointer stays valid
  // until the next operation on this object.
  int ReadPage(int slot, uint32_t offset, const TPage** page);

 private:
  friend class TIndexTree;

  enum class CursorState { kBeforeFirst, kOnKey, kAfterLast };
  struct Cursor {
    CursorState state = CursorState::kBeforeFirst;
    std::string key;        // current key (index order)
    uint32_t record = 0;    // current record number
  };
  struct Range {
    bool active = false;
    std::string low, high;  // empty = open end
  };

  // ---- Pages and header (index_file.cpp) ----
  TKeySpec SpecOf(int slot) const;
  TPageFormat FormatOf(int slot) const;
  // May return kRestart (the host found another user's change).
  int FetchPage(int slot, uint32_t offset, TPage** page);
  int AllocatePage(int slot, uint8_t type, TPage** page);
  void FreePage(TPage* page);
  int WritePages(const std::vector<TPage*>& pages);
  int WriteHeader();
  int ReadHeader();
  bool HeaderFitsFields(const TIndexHeader& header) const;
  void TrimCaches();
  // Long read-only walks drop clean pages as they go (no page is held).
  void ShedPages(int slot);
  int Corrupt() const;
  // Runs an operation again while the host reports kRestart, then trims.
  template <class F>
  int Retrying(F&& operation) {
    int rc = kRestart;
    for (int attempt = 0; attempt < 64 && rc == kRestart; ++attempt) rc = operation();
    TrimCaches();
    return rc == kRestart ? Corrupt() : rc;
  }
  int ForEachIndex(const std::function<int(int slot)>& action) const;
  // 9479 unless every index can take one more key even if it splits up to
  // a new root: a record's keys go in completely or not at all.
  int EnsureRoomForKeys();

  // ---- Cursor (index_cursor.cpp) ----
  bool UsesBitmaps() const { return visible_ != nullptr; }
  bool Visible(uint32_t record) const { return !visible_ || visible_->Test(record); }
  // Absolute positions of the range's first and last keys (last < first: empty).
  int RangeBounds(TIndexTree& tree, uint32_t* first, uint32_t* last);
  int SetOnEntry(const TIndexEntry& entry, uint32_t* record);
  // From a key at an absolute position, the first visible key at or after
  // (forward) or before it within [first, last].
  int SeekVisible(TIndexTree& tree, uint32_t position, bool forward, uint32_t first, uint32_t last,
                  uint32_t* record);
  enum class Move { kFirst, kLast, kNext, kPrior, kBy, kTo };
  int AnyMove(Move how, int64_t n, uint32_t* record);
  int IndexMove(Move how, int64_t n, uint32_t* record);
  int PhysicalMove(Move how, int64_t n, uint32_t* record);
  int PhysicalSet(const TRecordBitmap** set);
  int OffTheEnd(bool forward, uint32_t* record);

  TTableHost& host_;
  TIndexHeader header_;
  bool headerModified_ = false;
  bool pagesModified_ = false;  // a page may have changed since the last complete flush
  std::unique_ptr<TPageCache> cache_;
  int slot_ = 0;
  Cursor cursor_;
  Range range_;
  const TRecordBitmap* visible_ = nullptr;
  SlotLiveSource slotLiveSource_;
  TRecordBitmap ownLive_;  // physical order without a visible bitmap
  bool ownLiveValid_ = false;
  uint64_t pagesRead_ = 0;
  size_t cachedPages_ = kDefaultCachedPages;
};

}  // namespace isam
