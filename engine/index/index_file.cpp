#include "engine/index/index_file.h"

#include <algorithm>
#include <cstring>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/cipher.h"
#include "engine/file/le.h"
#include "engine/index/index_tree.h"
#include "engine/text/names.h"

namespace isam {
namespace {

constexpr size_t kPagesPerWrite = 16;

}  // namespace

TIndexFile::TIndexFile(TTableHost& host)
    : TFileHandler(".IDX"), host_(host), cache_(std::make_unique<TPageCache>()) {}

TIndexFile::~TIndexFile() { Close(); }

int TIndexFile::Open() {
  if (IsOpen()) return kOk;
  SetErrorPath(host_.DataFilePath());
  if (int rc = TFileHandler::Open()) return rc;
  if (int rc = ReadHeader()) {
    TFileHandler::Close();
    return rc;
  }
  cache_->Clear();
  slot_ = 0;
  range_ = Range{};
  cursor_ = Cursor{};
  ownLiveValid_ = false;
  pagesRead_ = 0;
  return kOk;
}

void TIndexFile::Close() {
  if (!IsOpen()) return;
  if (!ReadOnly()) Flush(false);
  cache_->Clear();
  ownLiveValid_ = false;
  TFileHandler::Close();
}

bool TIndexFile::IndexInUse(int slot) const {
  if (slot == kRecordIndexSlot) return !header_.noPrimary;
  if (slot < 0 || slot > header_.secondaryCount || slot >= kRecordIndexSlot) return false;
  if (slot == 0 && header_.noPrimary) return false;
  return header_.indexes[slot].keyLength != 0;
}

int TIndexFile::FindIndex(std::string_view name) const {
  for (int slot = 0; slot <= header_.secondaryCount && slot < kRecordIndexSlot; ++slot) {
    const std::string& own = header_.indexes[slot].name;
    if (IndexInUse(slot) && SameName(own, name)) return slot;
  }
  return -1;
}

std::string TIndexFile::IndexErrorName(int slot) const {
  return slot == 0 ? std::string("Primary") : header_.indexes[slot].name;
}

int TIndexFile::Corrupt() const { return ReportError(kIndexBuffersCorrupt, host_.DataFilePath()); }

// ---- Header, change detection, writing back ----

// Keys are built into buffers of the stored key length: a descriptor whose
// fields would build a different length must not be trusted.
bool TIndexFile::HeaderFitsFields(const TIndexHeader& header) const {
  if (header.endOffset < kIndexPageSize || header.endOffset % kIndexPageSize ||
      header.secondaryCount > kMaxSecondaryIndexes)
    return false;
  const auto& fields = host_.Fields();
  for (int slot = header.noPrimary ? 1 : 0; slot <= header.secondaryCount; ++slot) {
    const TIndexDescriptor& desc = header.indexes[slot];
    if (desc.fieldCount == 0 || desc.compression > kCompressBoth) return false;
    size_t length = 0;
    for (int i = 0; i < desc.fieldCount; ++i) {
      if (desc.fields[i] < 1 || desc.fields[i] > fields.size()) return false;
      length += KeyPartSize(fields[desc.fields[i] - 1]);
    }
    if (slot != 0 && !desc.unique) length += kRecordNumberKeySize;
    if (length != desc.keyLength) return false;
  }
  return header.noPrimary || header.indexes[kRecordIndexSlot].keyLength == kRecordIndexKeyLength;
}

int TIndexFile::ReadHeader() {
  std::vector<uint8_t> raw(kIndexPageSize);
  if (int rc = Read(0, raw.data(), raw.size())) return rc;
  if (host_.Enciphered()) ApplyCipher(raw.data(), raw.size(), kDataBlockCipher);
  TIndexHeader header;
  DecodeIndexHeader(raw.data(), header);
  if (header.version != kIndexVersion) return ReportError(kWrongVersion, Path());
  if (!HeaderFitsFields(header)) return ReportError(kHeaderCorrupt, host_.DataFilePath());
  header_ = header;
  headerModified_ = false;
  return kOk;
}

int TIndexFile::WriteHeader() {
  ++header_.counter;
  std::vector<uint8_t> raw(kIndexPageSize);
  EncodeIndexHeader(header_, headerModified_, raw.data());
  if (host_.Enciphered()) ApplyCipher(raw.data(), raw.size(), kDataBlockCipher);
  if (int rc = Write(0, raw.data(), raw.size())) return rc;
  headerModified_ = false;
  return kOk;
}

int TIndexFile::ReadDiskCounter(uint32_t* counter) {
  uint8_t raw[4];
  if (int rc = ReadHead(0, raw, sizeof raw)) return rc;
  if (host_.Enciphered()) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
  *counter = GetU32(raw);
  return kOk;
}

int TIndexFile::Reload() {
  DropCaches();
  return ReadHeader();
}

void TIndexFile::DropCaches() {
  cache_->Clear();
  ownLiveValid_ = false;
}

int TIndexFile::WritePages(const std::vector<TPage*>& pages) {
  std::vector<uint8_t> run;
  for (size_t i = 0; i < pages.size();) {
    // Pages at consecutive offsets go out in one write of at most 16 pages:
    // the system caches a file in pieces as large as the writes that filled
    // it, and each later one-page write costs in proportion to its piece.
    size_t end = i + 1;
    while (end < pages.size() && end - i < kPagesPerWrite &&
           pages[end]->offset == pages[end - 1]->offset + kIndexPageSize)
      ++end;
    run.assign((end - i) * kIndexPageSize, 0);
    for (size_t p = i; p < end; ++p) {
      uint8_t* raw = run.data() + (p - i) * kIndexPageSize;
      if (!EncodePage(FormatOf(pages[p]->slot), *pages[p], raw)) return Corrupt();
      if (host_.Enciphered()) ApplyCipher(raw, kIndexPageSize, kDataBlockCipher);
    }
    if (int rc = Write(pages[i]->offset, run.data(), run.size())) return rc;
    for (size_t p = i; p < end; ++p) pages[p]->modified = false;
    i = end;
  }
  return kOk;
}

int TIndexFile::Flush(bool forceHeader) {
  // Only inserts, deletes and key changes modify pages: an edit of other
  // fields skips looking through every cached page for modified ones.
  if (pagesModified_) {
    if (int rc = WritePages(cache_->ModifiedPages())) return rc;
    pagesModified_ = false;
  }
  if (headerModified_ || forceHeader) return WriteHeader();
  return kOk;
}

void TIndexFile::TrimCaches() {
  if (host_.HoldsTableLock()) return;
  for (int slot = 0; slot < kIndexSlots; ++slot) {
    // Cut back only past a sixteenth more: sorting the pages by age for
    // every page read cost more than the read itself.
    if (cache_->Size(slot) <= cachedPages_ + cachedPages_ / 16) continue;
    std::vector<TPage*> pages = cache_->ByAge(slot);
    size_t excess = pages.size() - cachedPages_;
    for (TPage* page : pages) {
      if (excess == 0) break;
      if (page->modified && WritePages({page}) != kOk) continue;
      cache_->Erase(slot, page->offset);
      --excess;
    }
  }
}

void TIndexFile::ShedPages(int slot) {
  if (cache_->Size(slot) <= 4 * cachedPages_ || host_.HoldsTableLock()) return;
  for (TPage* page : cache_->ByAge(slot))
    if (!page->modified) cache_->Erase(slot, page->offset);
}

// ---- Pages ----

TKeySpec TIndexFile::SpecOf(int slot) const {
  return MakeKeySpec(header_.indexes[slot], slot, host_.Fields(), host_.Locale());
}

TPageFormat TIndexFile::FormatOf(int slot) const {
  TPageFormat format;
  format.keyLength = header_.indexes[slot].keyLength;
  format.compression = slot == kRecordIndexSlot ? uint8_t(kCompressNone) : header_.indexes[slot].compression;
  format.suffixLength = SpecOf(slot).SuffixLength();
  return format;
}

int TIndexFile::FetchPage(int slot, uint32_t offset, TPage** page) {
  if (offset < kIndexPageSize || offset % kIndexPageSize || offset >= header_.endOffset) return Corrupt();
  if ((*page = cache_->Find(slot, offset))) return kOk;
  if (int rc = host_.BeforeDiskRead()) return rc;  // kRestart: every cache is gone
  std::vector<uint8_t> raw(kIndexPageSize);
  if (int rc = Read(offset, raw.data(), raw.size())) return rc;
  ++pagesRead_;
  if (host_.Enciphered()) ApplyCipher(raw.data(), raw.size(), kDataBlockCipher);
  auto fresh = std::make_unique<TPage>();
  fresh->slot = slot;
  fresh->offset = offset;
  if (!DecodePage(FormatOf(slot), raw.data(), *fresh)) return Corrupt();
  *page = cache_->Insert(std::move(fresh));
  return kOk;
}

int TIndexFile::ReadPage(int slot, uint32_t offset, const TPage** page) {
  TPage* found = nullptr;
  int rc = Retrying([&] { return FetchPage(slot, offset, &found); });
  *page = found;
  return rc;
}

int TIndexFile::AllocatePage(int slot, uint8_t type, TPage** page) {
  TIndexDescriptor& desc = header_.indexes[slot];
  if (desc.freeHead) {
    if (int rc = FetchPage(slot, desc.freeHead, page)) return rc;
    desc.freeHead = (*page)->next;
  } else {
    if (uint64_t(header_.endOffset) + kIndexPageSize > kMaxIndexFileOffset)
      return ReportError(kFileFull, host_.DataFilePath());
    auto fresh = std::make_unique<TPage>();
    fresh->slot = slot;
    fresh->offset = header_.endOffset;
    header_.endOffset += kIndexPageSize;
    *page = cache_->Insert(std::move(fresh));
  }
  TPage* p = *page;
  p->type = type;
  p->prev = p->next = 0;
  p->entries.clear();
  p->storedBytes = TPage::kUnknownSize;
  p->modified = true;
  pagesModified_ = true;
  headerModified_ = true;
  return kOk;
}

void TIndexFile::FreePage(TPage* page) {
  TIndexDescriptor& desc = header_.indexes[page->slot];
  page->entries.clear();
  page->storedBytes = TPage::kUnknownSize;
  page->type = kPageRoot;
  page->prev = 0;
  page->next = desc.freeHead;
  page->modified = true;
  pagesModified_ = true;
  desc.freeHead = page->offset;
  headerModified_ = true;
}

// ---- Keys ----

size_t TIndexFile::BuildKey(int slot, const uint8_t* image, uint32_t recordNumber, uint8_t* key,
                            int fieldCount) const {
  return BuildIndexKey(SpecOf(slot), image, recordNumber, key, fieldCount);
}

int TIndexFile::CompareKeys(int slot, const uint8_t* a, const uint8_t* b, size_t length) const {
  return CompareIndexKeys(SpecOf(slot), a, b, length);
}

// ---- Record operations ----

int TIndexFile::ForEachIndex(const std::function<int(int slot)>& action) const {
  for (int slot = 0; slot <= header_.secondaryCount && slot < kRecordIndexSlot; ++slot)
    if (IndexInUse(slot))
      if (int rc = action(slot)) return rc;
  return kOk;
}

int TIndexFile::CheckUnique(const uint8_t* newImage) { return CheckUniqueChanged(nullptr, newImage, 0); }

int TIndexFile::CheckUniqueChanged(const uint8_t* oldImage, const uint8_t* newImage, uint32_t recordNumber) {
  return Retrying([&] {
    return ForEachIndex([&](int slot) {
      if (slot != 0 && !header_.indexes[slot].unique) return int(kOk);
      const uint16_t k = KeyLength(slot);
      std::vector<uint8_t> key(k), old(k);
      BuildKey(slot, newImage, recordNumber, key.data());
      if (oldImage) {
        BuildKey(slot, oldImage, recordNumber, old.data());
        if (old == key) return int(kOk);
      }
      TIndexTree tree(*this, slot);
      bool found = false;
      if (int rc = tree.Contains(key.data(), k, &found)) return rc;
      return found ? ReportError(kDuplicateKey, host_.DataFilePath(), "", IndexErrorName(slot)) : int(kOk);
    });
  });
}

int TIndexFile::EnsureRoomForKeys() {
  uint64_t pages = 0;
  auto count = [&](int slot) {
    if (header_.indexes[slot].freeHead) return int(kOk);  // splits there take freed pages first
    int height = 0;
    if (int rc = TIndexTree(*this, slot).Height(&height)) return rc;
    pages += height + 1;
    return int(kOk);
  };
  int rc = ForEachIndex(count);
  if (rc == kOk && HasPrimary()) rc = count(kRecordIndexSlot);
  if (rc) return rc;
  if (header_.endOffset + pages * kIndexPageSize > kMaxIndexFileOffset)
    return ReportError(kFileFull, host_.DataFilePath());
  return kOk;
}

int TIndexFile::InsertRecord(uint32_t recordNumber, const uint8_t* image) {
  pagesModified_ = true;
  int rc = EnsureRoomForKeys();
  if (rc == kOk) rc = ForEachIndex([&](int slot) {
    std::vector<uint8_t> key(KeyLength(slot));
    BuildKey(slot, image, recordNumber, key.data());
    return TIndexTree(*this, slot).Insert(key.data(), recordNumber);
  });
  if (rc == kOk && HasPrimary()) {
    // A reused slot has its deleted key; a new slot has none yet.
    TIndexTree records(*this, kRecordIndexSlot);
    uint8_t key[kRecordIndexKeyLength];
    BuildRecordIndexKey(true, recordNumber, key);
    bool found = false;
    rc = records.Contains(key, sizeof key, &found);
    if (rc == kOk && found) rc = records.Remove(key);
    BuildRecordIndexKey(false, recordNumber, key);
    if (rc == kOk) rc = records.Insert(key, recordNumber);
  }
  if (rc == kOk) {
    ++header_.recordCount;
    headerModified_ = true;
    if (ownLiveValid_) {
      ownLive_.Resize(std::max(host_.SlotCount(), recordNumber));
      ownLive_.Set(recordNumber);
    }
  }
  // Changes run inside the write lock, where the host never restarts; a
  // restart here would leave changes half applied, so it is an error.
  if (rc == kRestart) rc = Corrupt();
  TrimCaches();
  return rc;
}

int TIndexFile::ModifyRecord(uint32_t recordNumber, const uint8_t* oldImage, const uint8_t* newImage) {
  int rc = EnsureRoomForKeys();
  if (rc == kOk) rc = ForEachIndex([&](int slot) {
    const uint16_t k = KeyLength(slot);
    std::vector<uint8_t> old(k), key(k);
    BuildKey(slot, oldImage, recordNumber, old.data());
    BuildKey(slot, newImage, recordNumber, key.data());
    if (old == key) return int(kOk);
    pagesModified_ = true;
    TIndexTree tree(*this, slot);
    if (int rc = tree.Remove(old.data())) return rc;
    return tree.Insert(key.data(), recordNumber);
  });
  // Changes run inside the write lock, where the host never restarts; a
  // restart here would leave changes half applied, so it is an error.
  if (rc == kRestart) rc = Corrupt();
  TrimCaches();
  return rc;
}

int TIndexFile::DeleteRecord(uint32_t recordNumber, const uint8_t* image) {
  pagesModified_ = true;
  int rc = ForEachIndex([&](int slot) {
    std::vector<uint8_t> key(KeyLength(slot));
    BuildKey(slot, image, recordNumber, key.data());
    return TIndexTree(*this, slot).Remove(key.data());
  });
  if (rc == kOk && HasPrimary()) {
    TIndexTree records(*this, kRecordIndexSlot);
    uint8_t key[kRecordIndexKeyLength];
    BuildRecordIndexKey(false, recordNumber, key);
    rc = records.Remove(key);
    BuildRecordIndexKey(true, recordNumber, key);
    if (rc == kOk) rc = records.Insert(key, recordNumber);
  }
  if (rc == kOk) {
    if (header_.recordCount) --header_.recordCount;
    headerModified_ = true;
    if (ownLiveValid_) ownLive_.Clear(recordNumber);
  }
  // Changes run inside the write lock, where the host never restarts; a
  // restart here would leave changes half applied, so it is an error.
  if (rc == kRestart) rc = Corrupt();
  TrimCaches();
  return rc;
}

int TIndexFile::Empty() {
  if (int rc = Write(kIndexPageSize, nullptr, 0)) return rc;
  for (auto& desc : header_.indexes) desc.root = desc.freeHead = 0;
  header_.endOffset = kIndexPageSize;
  header_.recordCount = 0;
  headerModified_ = true;
  DropCaches();
  cursor_ = Cursor{};
  return WriteHeader();
}

}  // namespace isam
