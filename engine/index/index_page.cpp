#include "engine/index/index_page.h"

#include <algorithm>
#include <cstring>

#include "engine/file/le.h"

namespace isam {
namespace {

size_t CommonPrefix(const std::string& a, const std::string& b, size_t limit) {
  const char* pa = a.data();
  return size_t(std::mismatch(pa, pa + limit, b.data()).first - pa);
}

size_t TrailingZeros(const std::string& key, size_t from, size_t to) {
  const char* p = key.data();
  size_t n = 0;
  while (to > from + n && p[to - 1 - n] == 0) ++n;
  return n;
}

// How one compressed leaf entry is stored: p leading bytes shared with the
// previous key, t zero bytes dropped before the suffix.
struct Packing {
  size_t p = 0;
  size_t t = 0;
  size_t header = 0;  // bytes of the p/t fields
};

Packing PackingOf(const TPageFormat& format, const std::string* previous, const std::string& key) {
  const size_t k = format.keyLength;
  const size_t body = k - format.suffixLength;
  Packing pack;
  switch (format.compression) {
    case kCompressLeading:
      pack.p = previous ? CommonPrefix(*previous, key, k) : 0;
      pack.header = 2;
      break;
    case kCompressTrailing:
      pack.t = TrailingZeros(key, 0, body);
      pack.header = 2;
      break;
    case kCompressBoth:
      pack.p = previous ? std::min<size_t>(CommonPrefix(*previous, key, body), 255) : 0;
      pack.t = std::min<size_t>(TrailingZeros(key, pack.p, body), 255);
      pack.header = 2;
      break;
    default: break;
  }
  return pack;
}

}  // namespace

uint32_t TPage::KeyCount() const {
  if (IsLeaf()) return static_cast<uint32_t>(entries.size());
  uint32_t total = 0;
  for (const auto& e : entries) total += e.count;
  return total;
}

size_t StoredEntryBytes(const TPageFormat& format, const std::string* previous, const std::string& key) {
  Packing pack = PackingOf(format, previous, key);
  return pack.header + format.keyLength - pack.p - pack.t + 4;
}

size_t StoredLeafBytes(const TPageFormat& format, const std::vector<TIndexEntry>& entries) {
  size_t total = 0;
  for (size_t i = 0; i < entries.size(); ++i)
    total += StoredEntryBytes(format, i ? &entries[i - 1].key : nullptr, entries[i].key);
  return total;
}

bool PageFits(const TPageFormat& format, const TPage& page) {
  if (!page.IsLeaf()) return page.entries.size() <= InternalCapacity(format.keyLength);
  if (!format.CompressedLeaves()) return page.entries.size() <= LeafCapacity(format.keyLength);
  if (page.storedBytes == TPage::kUnknownSize) page.storedBytes = StoredLeafBytes(format, page.entries);
  return page.storedBytes <= kPageEntryBytes;
}

bool EncodePage(const TPageFormat& format, const TPage& page, uint8_t* raw) {
  if (!PageFits(format, page)) return false;
  std::memset(raw, 0, kIndexPageSize);
  raw[0] = page.type;
  PutU16(raw + 1, static_cast<uint16_t>(page.entries.size()));
  PutU32(raw + 3, page.prev);
  PutU32(raw + 7, page.next);
  const size_t k = format.keyLength;
  uint8_t* at = raw + kPageEntriesAt;
  if (!page.IsLeaf() || !format.CompressedLeaves()) {
    for (const auto& e : page.entries) {
      std::memcpy(at, e.key.data(), k);
      PutU32(at + k, e.pointer);
      at += k + 4;
      if (!page.IsLeaf()) {
        PutU32(at, e.count);
        at += 4;
      }
    }
    return true;
  }
  const size_t body = k - format.suffixLength;
  for (size_t i = 0; i < page.entries.size(); ++i) {
    const auto& e = page.entries[i];
    Packing pack = PackingOf(format, i ? &page.entries[i - 1].key : nullptr, e.key);
    switch (format.compression) {
      case kCompressLeading: PutU16(at, static_cast<uint16_t>(pack.p)); break;
      case kCompressTrailing: PutU16(at, static_cast<uint16_t>(pack.t)); break;
      default:
        at[0] = static_cast<uint8_t>(pack.p);
        at[1] = static_cast<uint8_t>(pack.t);
        break;
    }
    at += pack.header;
    // Bytes kept: [p, body - t) then the suffix [body, k).
    size_t keptBody = body - pack.t - std::min(pack.p, body - pack.t);
    std::memcpy(at, e.key.data() + std::min(pack.p, body), keptBody);
    at += keptBody;
    if (pack.p <= body) {
      std::memcpy(at, e.key.data() + body, k - body);
      at += k - body;
    } else {  // leading bytes reach into the suffix (leading compression only)
      std::memcpy(at, e.key.data() + pack.p, k - pack.p);
      at += k - pack.p;
    }
    PutU32(at, e.pointer);
    at += 4;
  }
  PutU16(raw + 11, static_cast<uint16_t>(at - (raw + kPageEntriesAt)));
  return true;
}

bool DecodePage(const TPageFormat& format, const uint8_t* raw, TPage& page) {
  page.storedBytes = TPage::kUnknownSize;
  page.type = raw[0];
  page.prev = GetU32(raw + 3);
  page.next = GetU32(raw + 7);
  page.entries.clear();
  if (page.type > kPageRootLeaf) return false;
  const size_t count = GetU16(raw + 1);
  const size_t k = format.keyLength;
  const uint8_t* at = raw + kPageEntriesAt;
  const uint8_t* end = raw + kIndexPageSize;
  page.entries.resize(count);
  if (!page.IsLeaf() || !format.CompressedLeaves()) {
    const size_t entrySize = k + (page.IsLeaf() ? 4 : 8);
    if (count * entrySize > kPageEntryBytes) return false;
    for (auto& e : page.entries) {
      e.key.assign(reinterpret_cast<const char*>(at), k);
      e.pointer = GetU32(at + k);
      if (!page.IsLeaf()) e.count = GetU32(at + k + 4);
      at += entrySize;
    }
    return true;
  }
  const size_t body = k - format.suffixLength;
  std::string previous(k, '\0');
  for (auto& e : page.entries) {
    size_t p = 0, t = 0;
    if (end - at < 2) return false;
    switch (format.compression) {
      case kCompressLeading: p = GetU16(at); break;
      case kCompressTrailing: t = GetU16(at); break;
      default:
        p = at[0];
        t = at[1];
        break;
    }
    at += 2;
    if (p > k || t > body || (format.compression == kCompressBoth && p + t > body)) return false;
    if (format.compression != kCompressLeading && p + t > body) return false;
    e.key.assign(k, '\0');
    std::memcpy(e.key.data(), previous.data(), p);
    size_t stored = k - p - t;
    if (static_cast<size_t>(end - at) < stored + 4) return false;
    if (p <= body) {
      size_t keptBody = body - t - p;
      std::memcpy(e.key.data() + p, at, keptBody);
      std::memcpy(e.key.data() + body, at + keptBody, k - body);
    } else {
      std::memcpy(e.key.data() + p, at, k - p);
    }
    at += stored;
    e.pointer = GetU32(at);
    at += 4;
    previous = e.key;
  }
  page.storedBytes = static_cast<size_t>(at - (raw + kPageEntriesAt));
  return page.storedBytes == GetU16(raw + 11);
}

TPage* TPageCache::Find(int slot, uint32_t offset) {
  auto& map = slots_[slot];
  auto it = map.find(offset);
  if (it == map.end()) return nullptr;
  it->second->lastUse = ++clock_;
  return it->second.get();
}

TPage* TPageCache::Insert(std::unique_ptr<TPage> page) {
  page->lastUse = ++clock_;
  TPage* raw = page.get();
  slots_[page->slot][page->offset] = std::move(page);
  return raw;
}

void TPageCache::Erase(int slot, uint32_t offset) { slots_[slot].erase(offset); }

void TPageCache::Clear() {
  for (auto& map : slots_) map.clear();
}

std::vector<TPage*> TPageCache::ModifiedPages() const {
  std::vector<TPage*> pages;
  for (const auto& map : slots_)
    for (const auto& [offset, page] : map)
      if (page->modified) pages.push_back(page.get());
  std::sort(pages.begin(), pages.end(), [](const TPage* a, const TPage* b) { return a->offset < b->offset; });
  return pages;
}

std::vector<TPage*> TPageCache::ByAge(int slot) const {
  std::vector<TPage*> pages;
  for (const auto& [offset, page] : slots_[slot]) pages.push_back(page.get());
  std::sort(pages.begin(), pages.end(), [](const TPage* a, const TPage* b) { return a->lastUse < b->lastUse; });
  return pages;
}

}  // namespace isam
