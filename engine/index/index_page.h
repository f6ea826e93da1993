#pragma once
// Index pages: their on-disk form and the unpacked TPage kept in the caches.
//
// Page (4096 bytes, little-endian):
//   0   u8   type: 0 root (internal), 1 internal, 2 leaf, 3 root that is a leaf
//   1   u16  number of entries (0 in a free page)
//   3   u32  previous page on the same level (0 = none)
//   7   u32  next page on the same level (0 = none); free page: next free page
//   11  u16  bytes used by the entries of a compressed leaf (0 otherwise)
//   13  4083 entries, then zero
// Entries, sorted by key (K = key length):
//   internal:          key (K); u32 child page offset; u32 keys in the child's subtree
//   leaf, none:        key (K); u32 record number
//   leaf, leading:     u16 p (bytes equal to the previous key); key[p..K); u32 record number
//   leaf, trailing:    u16 t (zero bytes dropped before the suffix); key without them; u32 record number
//   leaf, both:        u8 p; u8 t; the bytes between; u32 record number
// The record-number suffix of a non-unique secondary index is never dropped
// by trailing compression. Internal pages are never compressed.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/index/index_format.h"

namespace isam {

constexpr size_t kPageEntriesAt = 13;
constexpr size_t kPageEntryBytes = kIndexPageSize - kPageEntriesAt;  // 4083

enum : uint8_t {
  kPageRoot = 0,
  kPageInternal = 1,
  kPageLeaf = 2,
  kPageRootLeaf = 3,
};

struct TIndexEntry {
  std::string key;       // K bytes
  uint32_t pointer = 0;  // leaf: record number; internal: child page offset
  uint32_t count = 0;    // internal: keys in the child's subtree
};

struct TPage {
  int slot = 0;
  uint32_t offset = 0;
  uint8_t type = kPageRootLeaf;
  uint32_t prev = 0;
  uint32_t next = 0;
  std::vector<TIndexEntry> entries;
  bool modified = false;
  uint64_t lastUse = 0;
  // Stored bytes of a compressed leaf's entries, kept so that an insert
  // need not re-pack the whole page; kUnknownSize after other changes.
  static constexpr size_t kUnknownSize = ~size_t{0};
  mutable size_t storedBytes = kUnknownSize;

  bool IsLeaf() const { return type == kPageLeaf || type == kPageRootLeaf; }
  bool IsRoot() const { return type == kPageRoot || type == kPageRootLeaf; }
  // Keys in this page's subtree.
  uint32_t KeyCount() const;
};

// What the byte form of an index's pages depends on.
struct TPageFormat {
  uint16_t keyLength = 0;
  uint8_t compression = kCompressNone;  // leaves only
  size_t suffixLength = 0;              // kept by trailing compression

  bool CompressedLeaves() const { return compression != kCompressNone; }
};

inline size_t InternalCapacity(uint16_t keyLength) { return kPageEntryBytes / (keyLength + 10u); }
inline size_t LeafCapacity(uint16_t keyLength) { return kPageEntryBytes / (keyLength + 6u); }

// Stored bytes of a leaf entry after previous (null for the first entry).
size_t StoredEntryBytes(const TPageFormat& format, const std::string* previous, const std::string& key);
// Stored bytes of a compressed leaf's entries.
size_t StoredLeafBytes(const TPageFormat& format, const std::vector<TIndexEntry>& entries);
// Whether the page's entries fit in one page.
bool PageFits(const TPageFormat& format, const TPage& page);

// Writes the page image; false when the entries do not fit.
bool EncodePage(const TPageFormat& format, const TPage& page, uint8_t* raw);
// Reads a page image; false when it is not a sound page of this format.
bool DecodePage(const TPageFormat& format, const uint8_t* raw, TPage& page);

// The unpacked pages of every index, one map per slot, with use stamps for
// least-recently-used trimming.
class TPageCache {
 public:
  TPage* Find(int slot, uint32_t offset);
  TPage* Insert(std::unique_ptr<TPage> page);
  void Erase(int slot, uint32_t offset);
  void Clear();
  size_t Size(int slot) const { return slots_[slot].size(); }
  std::vector<TPage*> ModifiedPages() const;
  // The pages of a slot, least recently used first.
  std::vector<TPage*> ByAge(int slot) const;

 private:
  std::array<std::unordered_map<uint32_t, std::unique_ptr<TPage>>, kIndexSlots> slots_;
  uint64_t clock_ = 0;
};

}  // namespace isam
