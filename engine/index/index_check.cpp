#include "engine/index/index_check.h"

#include <map>
#include <set>

#include "engine/file/error_codes.h"
#include "engine/index/index_file.h"
#include "engine/index/index_key.h"
#include "engine/index/index_page.h"

namespace isam {
namespace {

class Checker {
 public:
  Checker(TIndexFile& file, std::vector<std::string>& problems) : file_(file), problems_(problems) {}

  // Walks one index; returns its key count and fills keys (key -> record).
  uint32_t CheckIndex(int slot, std::map<std::string, uint32_t>& keys) {
    slot_ = slot;
    name_ = slot == kRecordIndexSlot ? std::string(kRecordIndexName) : file_.IndexErrorName(slot);
    const TIndexDescriptor& desc = file_.Descriptor(slot);
    spec_ = MakeKeySpec(desc, slot, file_.Host().Fields(), file_.Host().Locale());
    format_.keyLength = desc.keyLength;
    format_.compression = slot == kRecordIndexSlot ? uint8_t(kCompressNone) : desc.compression;
    format_.suffixLength = spec_.SuffixLength();
    levels_.clear();
    leafDepth_ = -1;
    last_.clear();
    keys_ = &keys;
    uint32_t total = 0;
    if (desc.root) total = Walk(desc.root, 0, nullptr);
    CheckLinks();
    CheckFreeList(desc.freeHead);
    return total;
  }

  void Problem(const std::string& text) { problems_.push_back("index " + name_ + ": " + text); }

  // Every page below the end offset belongs to a tree or a free list.
  void CheckNoPageLost() {
    for (uint32_t offset = kIndexPageSize; offset < file_.Header().endOffset; offset += kIndexPageSize)
      if (!used_.count(offset)) problems_.push_back("page " + std::to_string(offset) + " is in no index and no free list");
  }

 private:
  struct LevelPage {
    uint32_t offset, prev, next;
  };

  bool Load(uint32_t offset, TPage& out) {
    if (offset < kIndexPageSize || offset % kIndexPageSize || offset >= file_.Header().endOffset) {
      Problem("page offset " + std::to_string(offset) + " outside the file");
      return false;
    }
    if (!used_.insert(offset).second) {
      Problem("page " + std::to_string(offset) + " used twice");
      return false;
    }
    const TPage* page = nullptr;
    if (file_.ReadPage(slot_, offset, &page) != kOk || !page) {
      Problem("page " + std::to_string(offset) + " unreadable");
      return false;
    }
    out = *page;
    return true;
  }

  // Returns the subtree's key count; checks the first key against the
  // separator that leads here.
  uint32_t Walk(uint32_t offset, int depth, const std::string* separator) {
    if (depth > 40) {
      Problem("tree deeper than 40 levels");
      return 0;
    }
    TPage page;
    if (!Load(offset, page)) return 0;
    const std::string at = "page " + std::to_string(offset) + ": ";
    const bool root = depth == 0;
    if (root != page.IsRoot()) Problem(at + "page type " + std::to_string(page.type) + " at depth " + std::to_string(depth));
    if (page.entries.empty()) {
      Problem(at + "no entries");
      return 0;
    }
    const size_t kept = page.storedBytes;
    page.storedBytes = TPage::kUnknownSize;
    if (!PageFits(format_, page)) Problem(at + "entries do not fit a page");
    if (page.IsLeaf() && format_.CompressedLeaves() && kept != TPage::kUnknownSize && kept != page.storedBytes)
      Problem(at + "kept packed size " + std::to_string(kept) + " differs from " + std::to_string(page.storedBytes));
    if (separator && *separator != page.entries.front().key) Problem(at + "separator differs from first key");
    for (const auto& e : page.entries)
      if (e.key.size() != format_.keyLength) Problem(at + "key of wrong length");
    levels_[depth].push_back({offset, page.prev, page.next});
    if (page.IsLeaf()) {
      if (leafDepth_ < 0) leafDepth_ = depth;
      if (leafDepth_ != depth) Problem(at + "leaf at depth " + std::to_string(depth) + ", others at " + std::to_string(leafDepth_));
      for (const auto& e : page.entries) {
        if (!last_.empty() && Compare(last_, e.key) >= 0) Problem(at + "keys out of order");
        last_ = e.key;
        (*keys_)[e.key] = e.pointer;
      }
      return static_cast<uint32_t>(page.entries.size());
    }
    uint32_t total = 0;
    for (size_t i = 0; i < page.entries.size(); ++i) {
      const TIndexEntry& e = page.entries[i];
      if (i && Compare(page.entries[i - 1].key, e.key) >= 0) Problem(at + "separators out of order");
      uint32_t below = Walk(e.pointer, depth + 1, &e.key);
      if (below != e.count)
        Problem(at + "entry " + std::to_string(i) + " counts " + std::to_string(e.count) + " keys, subtree has " +
                std::to_string(below));
      total += below;
    }
    return total;
  }

  void CheckLinks() {
    for (const auto& [depth, pages] : levels_) {
      for (size_t i = 0; i < pages.size(); ++i) {
        uint32_t prev = i ? pages[i - 1].offset : 0;
        uint32_t next = i + 1 < pages.size() ? pages[i + 1].offset : 0;
        if (pages[i].prev != prev || pages[i].next != next)
          Problem("page " + std::to_string(pages[i].offset) + ": sibling links wrong at depth " + std::to_string(depth));
      }
    }
  }

  void CheckFreeList(uint32_t head) {
    for (uint32_t offset = head, steps = 0; offset; ++steps) {
      if (steps > file_.Header().endOffset / kIndexPageSize) {
        Problem("free list loops");
        return;
      }
      TPage page;
      if (!Load(offset, page)) return;
      if (!page.entries.empty()) Problem("free page " + std::to_string(offset) + " has entries");
      offset = page.next;
    }
  }

  int Compare(const std::string& a, const std::string& b) const {
    return CompareIndexKeys(spec_, reinterpret_cast<const uint8_t*>(a.data()),
                            reinterpret_cast<const uint8_t*>(b.data()), format_.keyLength);
  }

  TIndexFile& file_;
  std::vector<std::string>& problems_;
  std::set<uint32_t> used_;  // across all indexes: a page belongs to one place
  int slot_ = 0;
  std::string name_;
  TKeySpec spec_;
  TPageFormat format_;
  std::map<int, std::vector<LevelPage>> levels_;
  int leafDepth_ = -1;
  std::string last_;
  std::map<std::string, uint32_t>* keys_ = nullptr;
};

}  // namespace

std::vector<std::string> CheckIndexFile(TIndexFile& file, const TLiveRecords& liveRecords) {
  std::vector<std::string> problems;
  Checker checker(file, problems);
  const TIndexHeader& header = file.Header();
  std::map<int, std::map<std::string, uint32_t>> keys;
  std::vector<int> slots;
  for (int slot = 0; slot < kRecordIndexSlot; ++slot)
    if (file.IndexInUse(slot)) slots.push_back(slot);
  if (file.HasPrimary()) slots.push_back(kRecordIndexSlot);
  for (int slot : slots) {
    uint32_t total = checker.CheckIndex(slot, keys[slot]);
    if (slot != kRecordIndexSlot && total != header.recordCount)
      checker.Problem("holds " + std::to_string(total) + " keys for " + std::to_string(header.recordCount) + " records");
  }
  checker.CheckNoPageLost();
  if (file.HasPrimary()) {
    uint32_t inUse = 0;
    for (const auto& [key, record] : keys[kRecordIndexSlot]) {
      if (key.size() != kRecordIndexKeyLength || GetRecordNumberKey(reinterpret_cast<const uint8_t*>(key.data()) + 1) != record)
        checker.Problem("record index key does not name its record " + std::to_string(record));
      else if (key[0] == 0)
        ++inUse;
    }
    if (inUse != header.recordCount)
      checker.Problem(std::to_string(inUse) + " records in use for a record count of " + std::to_string(header.recordCount));
  }
  if (!liveRecords) return problems;

  uint32_t live = 0;
  int rc = liveRecords([&](uint32_t record, const uint8_t* image) {
    ++live;
    for (int slot : slots) {
      std::string key(file.KeyLength(slot), '\0');
      file.BuildKey(slot, image, record, reinterpret_cast<uint8_t*>(key.data()));
      if (slot == kRecordIndexSlot) key[0] = 0;
      auto it = keys[slot].find(key);
      if (it == keys[slot].end() || it->second != record)
        problems.push_back("index " + (slot == kRecordIndexSlot ? std::string(kRecordIndexName) : file.IndexErrorName(slot)) +
                           ": record " + std::to_string(record) + " has no key");
    }
  });
  if (rc) problems.push_back("live records unreadable: error " + std::to_string(rc));
  if (live != header.recordCount)
    problems.push_back(std::to_string(live) + " live records for a record count of " + std::to_string(header.recordCount));
  return problems;
}

}  // namespace isam
