#include "engine/index/index_tree.h"

#include <algorithm>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/index/index_file.h"

namespace isam {
TIndexTree::TIndexTree(TIndexFile& file, int slot)
    : file_(file), slot_(slot), spec_(file.SpecOf(slot)), format_(file.FormatOf(slot)) {}

int TIndexTree::Fetch(uint32_t offset, TPage** page) { return file_.FetchPage(slot_, offset, page); }

size_t TIndexTree::Capacity(const TPage& page) const {
  return page.IsLeaf() ? LeafCapacity(format_.keyLength) : InternalCapacity(format_.keyLength);
}

int TIndexTree::Height(int* height) {
  *height = 0;
  for (uint32_t offset = file_.header_.indexes[slot_].root; offset && *height < 64;) {
    TPage* page;
    if (int rc = Fetch(offset, &page)) return rc;
    ++*height;
    if (page->IsLeaf()) return kOk;
    if (page->entries.empty()) return file_.Corrupt();
    offset = page->entries.front().pointer;
  }
  return *height < 64 ? int(kOk) : file_.Corrupt();
}

int TIndexTree::Total(uint32_t* total) {
  *total = 0;
  uint32_t root = file_.header_.indexes[slot_].root;
  if (root == 0) return kOk;
  TPage* page;
  if (int rc = Fetch(root, &page)) return rc;
  *total = page->KeyCount();
  return kOk;
}

int TIndexTree::CountBelow(const uint8_t* key, size_t length, bool orEqual, uint32_t* count) {
  *count = 0;
  uint32_t offset = file_.header_.indexes[slot_].root;
  if (offset == 0) return kOk;
  // An entry is "below" when its key orders before the search key (or equal
  // to it, for orEqual) over length bytes; that predicate is monotone.
  auto below = [&](const TIndexEntry& e) {
    int c = Compare(e.key, key, length);
    return orEqual ? c <= 0 : c < 0;
  };
  for (int depth = 0; depth < 64; ++depth) {
    TPage* page;
    if (int rc = Fetch(offset, &page)) return rc;
    auto& entries = page->entries;
    size_t split = std::partition_point(entries.begin(), entries.end(), below) - entries.begin();
    if (page->IsLeaf()) {
      *count += static_cast<uint32_t>(split);
      return kOk;
    }
    if (entries.empty()) return file_.Corrupt();
    // Keys below can also sit in the subtree of the last separator below.
    size_t follow = split ? split - 1 : 0;
    for (size_t i = 0; i < follow; ++i) *count += entries[i].count;
    offset = entries[follow].pointer;
  }
  return file_.Corrupt();
}

int TIndexTree::AtPosition(uint32_t position, Place* place, const TIndexEntry** entry) {
  uint32_t offset = file_.header_.indexes[slot_].root;
  if (offset == 0 || position == 0) return file_.Corrupt();
  for (int depth = 0; depth < 64; ++depth) {
    TPage* page;
    if (int rc = Fetch(offset, &page)) return rc;
    if (page->IsLeaf()) {
      if (position > page->entries.size()) return file_.Corrupt();
      place->leaf = page->offset;
      place->index = position - 1;
      *entry = &page->entries[position - 1];
      return kOk;
    }
    size_t i = 0;
    while (i < page->entries.size() && position > page->entries[i].count) position -= page->entries[i++].count;
    if (i == page->entries.size()) return file_.Corrupt();
    offset = page->entries[i].pointer;
  }
  return file_.Corrupt();
}

int TIndexTree::Step(Place* place, bool forward, const TIndexEntry** entry) {
  *entry = nullptr;
  file_.ShedPages(slot_);
  TPage* page;
  if (int rc = Fetch(place->leaf, &page)) return rc;
  if (forward && place->index + 1 < page->entries.size()) {
    *entry = &page->entries[++place->index];
    return kOk;
  }
  if (!forward && place->index > 0 && place->index <= page->entries.size()) {
    *entry = &page->entries[--place->index];
    return kOk;
  }
  // Empty leaves are passed over; a loop of them is corruption.
  for (uint32_t hops = 0; hops <= file_.header_.endOffset / kIndexPageSize; ++hops) {
    uint32_t neighbour = forward ? page->next : page->prev;
    if (neighbour == 0) return kOk;
    if (int rc = Fetch(neighbour, &page)) return rc;
    if (page->entries.empty()) continue;
    place->leaf = page->offset;
    place->index = forward ? 0 : page->entries.size() - 1;
    *entry = &page->entries[place->index];
    return kOk;
  }
  return file_.Corrupt();
}

int TIndexTree::Contains(const uint8_t* key, size_t length, bool* found) {
  uint32_t below, belowOrEqual;
  if (int rc = CountBelow(key, length, false, &below)) return rc;
  if (int rc = CountBelow(key, length, true, &belowOrEqual)) return rc;
  *found = belowOrEqual > below;
  return kOk;
}

// Follows, in each internal page, the last entry whose key is <= key (the
// first entry when key is smaller than all), down to a leaf; the leaf is the
// last step, its index unset.
int TIndexTree::Descend(const uint8_t* key, std::vector<PathStep>* path) {
  path->clear();
  uint32_t offset = file_.header_.indexes[slot_].root;
  for (int depth = 0; depth < 64; ++depth) {
    TPage* page;
    if (int rc = Fetch(offset, &page)) return rc;
    if (page->IsLeaf()) {
      path->push_back({page, 0});
      return kOk;
    }
    auto& entries = page->entries;
    if (entries.empty()) return file_.Corrupt();
    size_t split = std::partition_point(entries.begin(), entries.end(), [&](const TIndexEntry& e) {
                     return Compare(e.key, key, format_.keyLength) <= 0;
                   }) - entries.begin();
    size_t follow = split ? split - 1 : 0;
    path->push_back({page, follow});
    offset = entries[follow].pointer;
  }
  return file_.Corrupt();
}

// After a page's first key changed, its separator in the parent follows,
// and so on up while the entry is its page's first.
void TIndexTree::PropagateFirstKey(std::vector<PathStep>& path, size_t level) {
  for (size_t l = level; l > 0; --l) {
    TPage* child = path[l].page;
    if (child->entries.empty()) return;
    TPage* parent = path[l - 1].page;
    TIndexEntry& entry = parent->entries[path[l - 1].index];
    if (entry.key == child->entries.front().key) return;
    entry.key = child->entries.front().key;
    parent->modified = true;
    if (path[l - 1].index != 0) return;
  }
}

int TIndexTree::Insert(const uint8_t* key, uint32_t recordNumber) {
  TIndexDescriptor& desc = file_.header_.indexes[slot_];
  std::string stored(reinterpret_cast<const char*>(key), format_.keyLength);
  if (desc.root == 0) {
    TPage* page;
    if (int rc = file_.AllocatePage(slot_, kPageRootLeaf, &page)) return rc;
    page->entries.push_back({stored, recordNumber, 0});
    desc.root = page->offset;
    file_.headerModified_ = true;
    return kOk;
  }
  std::vector<PathStep> path;
  if (int rc = Descend(key, &path)) return rc;
  // A split needs at most one new page per level plus a new root: refuse
  // before changing anything when the file cannot grow that far.
  if (desc.freeHead == 0 &&
      uint64_t(file_.header_.endOffset) + kIndexPageSize * (path.size() + 1) > kMaxIndexFileOffset) {
    return ReportError(kFileFull, file_.host_.DataFilePath());
  }
  TPage* leaf = path.back().page;
  auto& entries = leaf->entries;
  size_t at = std::partition_point(entries.begin(), entries.end(), [&](const TIndexEntry& e) {
                return Compare(e.key, key, format_.keyLength) <= 0;
              }) - entries.begin();
  entries.insert(entries.begin() + at, TIndexEntry{stored, recordNumber, 0});
  leaf->modified = true;
  if (format_.CompressedLeaves() && leaf->storedBytes != TPage::kUnknownSize) {
    // Only the new entry and the one after it are packed differently.
    const std::string* before = at ? &entries[at - 1].key : nullptr;
    leaf->storedBytes += StoredEntryBytes(format_, before, stored);
    if (at + 1 < entries.size())
      leaf->storedBytes += StoredEntryBytes(format_, &stored, entries[at + 1].key) -
                           StoredEntryBytes(format_, before, entries[at + 1].key);
  }
  path.back().index = at;
  for (size_t l = 0; l + 1 < path.size(); ++l) {
    path[l].page->entries[path[l].index].count++;
    path[l].page->modified = true;
  }
  if (at == 0) PropagateFirstKey(path, path.size() - 1);
  for (size_t level = path.size(); level-- > 0;) {
    if (PageFits(format_, *path[level].page)) break;
    if (int rc = Split(path, level)) return rc;
  }
  return kOk;
}

int TIndexTree::Split(std::vector<PathStep>& path, size_t level) {
  TIndexDescriptor& desc = file_.header_.indexes[slot_];
  TPage* page = path[level].page;
  const bool leaf = page->IsLeaf();
  const bool wasRoot = page->IsRoot();
  TPage* right;
  if (int rc = file_.AllocatePage(slot_, leaf ? kPageLeaf : kPageInternal, &right)) return rc;
  right->prev = page->offset;
  right->next = page->next;
  if (page->next) {
    TPage* after;
    if (int rc = Fetch(page->next, &after)) return rc;
    after->prev = right->offset;
    after->modified = true;
  }
  page->next = right->offset;

  auto& entries = page->entries;
  size_t move = entries.size() / 2;
  right->entries.assign(entries.end() - move, entries.end());
  entries.resize(entries.size() - move);
  page->storedBytes = right->storedBytes = TPage::kUnknownSize;
  if (leaf && format_.CompressedLeaves()) {
    // Halves by count may not fit by bytes: shift entries across the
    // boundary until both pages fit.
    while (!PageFits(format_, *page) && entries.size() > 1) {
      right->entries.insert(right->entries.begin(), entries.back());
      entries.pop_back();
      page->storedBytes = right->storedBytes = TPage::kUnknownSize;
    }
    while (!PageFits(format_, *right) && right->entries.size() > 1) {
      entries.push_back(right->entries.front());
      right->entries.erase(right->entries.begin());
      page->storedBytes = right->storedBytes = TPage::kUnknownSize;
    }
    if (!PageFits(format_, *page) || !PageFits(format_, *right)) return file_.Corrupt();
  }
  page->type = right->type = leaf ? kPageLeaf : kPageInternal;
  page->modified = right->modified = true;

  if (wasRoot) {
    TPage* root;
    if (int rc = file_.AllocatePage(slot_, kPageRoot, &root)) return rc;
    root->entries.push_back({entries.front().key, page->offset, page->KeyCount()});
    root->entries.push_back({right->entries.front().key, right->offset, right->KeyCount()});
    desc.root = root->offset;
    file_.headerModified_ = true;
    return kOk;
  }
  TPage* parent = path[level - 1].page;
  size_t index = path[level - 1].index;
  parent->entries[index].count = page->KeyCount();
  parent->entries.insert(parent->entries.begin() + index + 1,
                         TIndexEntry{right->entries.front().key, right->offset, right->KeyCount()});
  parent->modified = true;
  return kOk;
}

int TIndexTree::Remove(const uint8_t* key) {
  TIndexDescriptor& desc = file_.header_.indexes[slot_];
  auto notFound = [&] {
    return ReportError(kKeyNotFound, file_.host_.DataFilePath(), "", file_.IndexErrorName(slot_));
  };
  if (desc.root == 0) return notFound();
  std::vector<PathStep> path;
  if (int rc = Descend(key, &path)) return rc;
  TPage* leaf = path.back().page;
  auto& entries = leaf->entries;
  size_t at = std::partition_point(entries.begin(), entries.end(), [&](const TIndexEntry& e) {
                return Compare(e.key, key, format_.keyLength) < 0;
              }) - entries.begin();
  if (at == entries.size() || Compare(entries[at].key, key, format_.keyLength) != 0) return notFound();
  if (format_.CompressedLeaves() && leaf->storedBytes != TPage::kUnknownSize) {
    const std::string* before = at ? &entries[at - 1].key : nullptr;
    leaf->storedBytes -= StoredEntryBytes(format_, before, entries[at].key);
    if (at + 1 < entries.size())
      leaf->storedBytes += StoredEntryBytes(format_, before, entries[at + 1].key) -
                           StoredEntryBytes(format_, &entries[at].key, entries[at + 1].key);
  }
  entries.erase(entries.begin() + at);
  leaf->modified = true;
  path.back().index = at;
  for (size_t l = 0; l + 1 < path.size(); ++l) {
    path[l].page->entries[path[l].index].count--;
    path[l].page->modified = true;
  }
  if (at == 0) PropagateFirstKey(path, path.size() - 1);
  return Rebalance(path, path.size() - 1);
}

int TIndexTree::Unlink(TPage* page) {
  if (page->prev) {
    TPage* before;
    if (int rc = Fetch(page->prev, &before)) return rc;
    before->next = page->next;
    before->modified = true;
  }
  if (page->next) {
    TPage* after;
    if (int rc = Fetch(page->next, &after)) return rc;
    after->prev = page->prev;
    after->modified = true;
  }
  return kOk;
}

int TIndexTree::Rebalance(std::vector<PathStep>& path, size_t level) {
  TIndexDescriptor& desc = file_.header_.indexes[slot_];
  for (;;) {
    TPage* page = path[level].page;
    if (level == 0) {
      if (page->entries.empty()) {  // the last key went: the index is empty
        desc.root = 0;
        file_.headerModified_ = true;
        file_.FreePage(page);
        return kOk;
      }
      while (page->type == kPageRoot && page->entries.size() == 1) {
        TPage* child;
        if (int rc = Fetch(page->entries.front().pointer, &child)) return rc;
        child->type = child->IsLeaf() ? kPageRootLeaf : kPageRoot;
        child->prev = child->next = 0;
        child->modified = true;
        desc.root = child->offset;
        file_.headerModified_ = true;
        file_.FreePage(page);
        page = child;
      }
      return kOk;
    }
    TPage* parent = path[level - 1].page;
    const size_t j = path[level - 1].index;
    const bool compressedLeaf = page->IsLeaf() && format_.CompressedLeaves();
    const size_t capacity = Capacity(*page);
    const bool dropEmpty = page->entries.empty() && (compressedLeaf || parent->entries.size() == 1);
    if (dropEmpty) {
      if (int rc = Unlink(page)) return rc;
      file_.FreePage(page);
      parent->entries.erase(parent->entries.begin() + j);
      parent->modified = true;
      path[level - 1].index = 0;
      if (j == 0) PropagateFirstKey(path, level - 1);
      --level;
      continue;
    }
    if (compressedLeaf || page->entries.size() >= capacity / 2 || parent->entries.size() == 1) return kOk;

    // Work with the left neighbour, or the right one for a first child.
    const bool withLeft = j > 0;
    const size_t li = withLeft ? j - 1 : 0;
    TPage* left;
    TPage* right;
    if (withLeft) {
      if (int rc = Fetch(parent->entries[li].pointer, &left)) return rc;
      right = page;
    } else {
      left = page;
      if (int rc = Fetch(parent->entries[1].pointer, &right)) return rc;
    }
    const size_t total = left->entries.size() + right->entries.size();
    if (total < capacity) {
      // Merge into the neighbour; this page goes.
      TPage* survivor = withLeft ? left : right;
      if (withLeft)
        left->entries.insert(left->entries.end(), right->entries.begin(), right->entries.end());
      else
        right->entries.insert(right->entries.begin(), left->entries.begin(), left->entries.end());
      page->entries.clear();
      survivor->modified = true;
      if (int rc = Unlink(page)) return rc;
      file_.FreePage(page);
      parent->entries.erase(parent->entries.begin() + j);
      TIndexEntry& kept = parent->entries[li];
      kept.count = survivor->KeyCount();
      kept.key = survivor->entries.front().key;
      parent->modified = true;
      path[level - 1].index = li;
      if (li == 0) PropagateFirstKey(path, level - 1);
      --level;
      continue;
    }
    // Redistribute: the neighbour ends with ceil(total / 2) entries.
    const size_t leftWant = withLeft ? (total + 1) / 2 : total - (total + 1) / 2;
    while (left->entries.size() > leftWant) {
      right->entries.insert(right->entries.begin(), left->entries.back());
      left->entries.pop_back();
    }
    while (left->entries.size() < leftWant) {
      left->entries.push_back(right->entries.front());
      right->entries.erase(right->entries.begin());
    }
    left->modified = right->modified = parent->modified = true;
    parent->entries[li].count = left->KeyCount();
    parent->entries[li].key = left->entries.front().key;
    parent->entries[li + 1].count = right->KeyCount();
    parent->entries[li + 1].key = right->entries.front().key;
    path[level - 1].index = li;
    if (li == 0) PropagateFirstKey(path, level - 1);
    return kOk;
  }
}

}  // namespace isam
