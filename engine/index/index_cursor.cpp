// The cursor over the current index: moves by key, positions from subtree
// counts, ranges, and physical record order.
#include <algorithm>
#include <cstring>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/le.h"
#include "engine/index/index_file.h"
#include "engine/index/index_tree.h"

namespace isam {
namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

}  // namespace

int TIndexFile::SelectIndex(int slot) {
  if (slot != kPhysicalOrder && !(slot == 0 && header_.noPrimary) && !IndexInUse(slot)) slot = 0;
  if (slot == kRecordIndexSlot) slot = 0;
  slot_ = slot;
  range_ = Range{};
  cursor_ = Cursor{};
  return kOk;
}

int TIndexFile::SelectIndexByName(std::string_view name) {
  int slot = FindIndex(name);
  return SelectIndex(slot < 0 ? 0 : slot);
}

void TIndexFile::BeforeFirst() { cursor_ = Cursor{}; }

void TIndexFile::AfterLast() {
  cursor_ = Cursor{};
  cursor_.state = CursorState::kAfterLast;
}

int TIndexFile::OffTheEnd(bool forward, uint32_t* record) {
  cursor_ = Cursor{};
  cursor_.state = forward ? CursorState::kAfterLast : CursorState::kBeforeFirst;
  *record = 0;
  return forward ? kEndOfFile : kBeginningOfFile;
}

int TIndexFile::SetOnEntry(const TIndexEntry& entry, uint32_t* record) {
  cursor_.state = CursorState::kOnKey;
  cursor_.key = entry.key;
  cursor_.record = entry.pointer;
  *record = entry.pointer;
  return kOk;
}

int TIndexFile::RangeBounds(TIndexTree& tree, uint32_t* first, uint32_t* last) {
  const uint16_t k = tree.KeyLength();
  *first = 1;
  if (int rc = tree.Total(last)) return rc;
  if (!range_.active) return kOk;
  if (!range_.low.empty()) {
    uint32_t below;
    if (int rc = tree.CountBelow(Bytes(range_.low), k, false, &below)) return rc;
    *first = below + 1;
  }
  if (!range_.high.empty()) {
    if (int rc = tree.CountBelow(Bytes(range_.high), k, true, last)) return rc;
  }
  return kOk;
}

int TIndexFile::SeekVisible(TIndexTree& tree, uint32_t position, bool forward, uint32_t first,
                            uint32_t last, uint32_t* record) {
  if (position < first || position > last || position == 0) return OffTheEnd(forward, record);
  TIndexTree::Place place;
  const TIndexEntry* entry;
  if (int rc = tree.AtPosition(position, &place, &entry)) return rc;
  while (!Visible(entry->pointer)) {
    position = forward ? position + 1 : position - 1;
    if (position < first || position > last) return OffTheEnd(forward, record);
    if (int rc = tree.Step(&place, forward, &entry)) return rc;
    if (!entry) return Corrupt();
  }
  return SetOnEntry(*entry, record);
}

void TIndexFile::PeekAhead(bool forward, uint32_t max, std::vector<uint32_t>* records) {
  records->clear();
  if (max == 0 || cursor_.state != CursorState::kOnKey || PhysicalOrder()) return;
  TFileSession* session = CurrentFileSession();
  const ErrorContext saved = session ? session->lastError : ErrorContext{};
  TIndexTree tree(*this, slot_);
  uint32_t first, last, below;
  int rc = RangeBounds(tree, &first, &last);
  if (rc == kOk) rc = tree.CountBelow(Bytes(cursor_.key), tree.KeyLength(), forward, &below);
  // The position after the current key (forward) or before it.
  uint32_t position = forward ? below + 1 : below;
  TIndexTree::Place place;
  const TIndexEntry* entry = nullptr;
  if (rc == kOk && position >= first && position <= last && position != 0) {
    rc = tree.AtPosition(position, &place, &entry);
    while (rc == kOk && entry && records->size() < max) {
      if (Visible(entry->pointer)) records->push_back(entry->pointer);
      position = forward ? position + 1 : position - 1;
      if (position < first || position > last) break;
      rc = tree.Step(&place, forward, &entry);
    }
  }
  if (session) session->lastError = saved;
}

int TIndexFile::IndexMove(Move how, int64_t n, uint32_t* record) {
  *record = 0;
  TIndexTree tree(*this, slot_);
  const uint16_t k = tree.KeyLength();
  uint32_t first, last;
  if (int rc = RangeBounds(tree, &first, &last)) return rc;
  const bool onKey = cursor_.state == CursorState::kOnKey;
  // Keys ordered before the current key, or before or equal to it: the
  // current key may have gone (deleted by this or another user).
  auto below = [&](bool orEqual, uint32_t* count) {
    return tree.CountBelow(Bytes(cursor_.key), k, orEqual, count);
  };
  uint32_t count = 0;
  switch (how) {
    case Move::kFirst: return SeekVisible(tree, first, true, first, last, record);
    case Move::kLast: return SeekVisible(tree, last, false, first, last, record);
    case Move::kNext:
      if (AtEnd()) return OffTheEnd(true, record);
      if (!onKey) return SeekVisible(tree, first, true, first, last, record);
      if (int rc = below(true, &count)) return rc;
      return SeekVisible(tree, std::max(count + 1, first), true, first, last, record);
    case Move::kPrior:
      if (AtStart()) return OffTheEnd(false, record);
      if (!onKey) return SeekVisible(tree, last, false, first, last, record);
      if (int rc = below(false, &count)) return rc;
      return SeekVisible(tree, std::min(count, last), false, first, last, record);
    case Move::kTo: {
      if (n <= 0) return OffTheEnd(false, record);
      int64_t position = int64_t(first) + n - 1;
      if (position > int64_t(last)) return OffTheEnd(true, record);
      int rc = SeekVisible(tree, uint32_t(position), true, first, last, record);
      if (rc == kEndOfFile && UsesBitmaps())
        rc = SeekVisible(tree, uint32_t(position), false, first, last, record);
      return rc;
    }
    case Move::kBy: {
      if (n == 0) {
        if (onKey) *record = cursor_.record;
        return onKey ? kOk : AtEnd() ? kEndOfFile : kBeginningOfFile;
      }
      const bool forward = n > 0;
      if (UsesBitmaps()) {
        // Only visible records count as steps; hidden keys are passed over.
        for (int64_t steps = forward ? n : -n; steps > 0; --steps)
          if (int rc = IndexMove(forward ? Move::kNext : Move::kPrior, 0, record)) return rc;
        return kOk;
      }
      int64_t target;
      if (forward) {
        if (AtEnd()) return OffTheEnd(true, record);
        if (!onKey) {
          target = int64_t(first) + n - 1;
        } else {
          if (int rc = below(true, &count)) return rc;
          target = int64_t(count) + n;
        }
        if (target > int64_t(last)) return OffTheEnd(true, record);
        target = std::max<int64_t>(target, first);
      } else {
        if (AtStart()) return OffTheEnd(false, record);
        if (!onKey) {
          target = int64_t(last) + n + 1;
        } else {
          if (int rc = below(false, &count)) return rc;
          target = int64_t(count) + 1 + n;
        }
        if (target < int64_t(first)) return OffTheEnd(false, record);
        target = std::min<int64_t>(target, last);
      }
      return SeekVisible(tree, uint32_t(target), forward, first, last, record);
    }
  }
  return kOk;
}

int TIndexFile::PhysicalSet(const TRecordBitmap** set) {
  if (visible_) {
    *set = visible_;
    return kOk;
  }
  if (!ownLiveValid_) {
    if (int rc = BuildLiveBitmap(ownLive_)) return rc;
    ownLiveValid_ = true;
  }
  *set = &ownLive_;
  return kOk;
}

int TIndexFile::PhysicalMove(Move how, int64_t n, uint32_t* record) {
  *record = 0;
  const TRecordBitmap* set;
  if (int rc = PhysicalSet(&set)) return rc;
  auto land = [&](uint32_t found, bool forward) {
    if (!found) return OffTheEnd(forward, record);
    cursor_.state = CursorState::kOnKey;
    cursor_.record = found;
    cursor_.key.clear();
    *record = found;
    return int(kOk);
  };
  const bool onKey = cursor_.state == CursorState::kOnKey;
  switch (how) {
    case Move::kFirst: return land(set->NextSet(0), true);
    case Move::kLast: return land(set->PrevSet(0), false);
    case Move::kNext:
      if (AtEnd()) return OffTheEnd(true, record);
      return land(set->NextSet(onKey ? cursor_.record : 0), true);
    case Move::kPrior:
      if (AtStart()) return OffTheEnd(false, record);
      return land(onKey ? set->PrevSet(cursor_.record) : set->PrevSet(0), false);
    case Move::kTo: {
      if (n <= 0) return OffTheEnd(false, record);
      if (n > int64_t(set->slots())) return OffTheEnd(true, record);
      uint32_t at = uint32_t(n);
      if (set->Test(at)) return land(at, true);
      uint32_t found = set->NextSet(at);
      return land(found ? found : set->PrevSet(at), true);
    }
    case Move::kBy: {
      if (n == 0) {
        if (onKey) *record = cursor_.record;
        return onKey ? kOk : AtEnd() ? kEndOfFile : kBeginningOfFile;
      }
      for (int64_t steps = n > 0 ? n : -n; steps > 0; --steps)
        if (int rc = PhysicalMove(n > 0 ? Move::kNext : Move::kPrior, 0, record)) return rc;
      return kOk;
    }
  }
  return kOk;
}

int TIndexFile::AnyMove(Move how, int64_t n, uint32_t* record) {
  return PhysicalOrder() ? PhysicalMove(how, n, record) : IndexMove(how, n, record);
}

int TIndexFile::First(uint32_t* record) { return Retrying([&] { return AnyMove(Move::kFirst, 0, record); }); }
int TIndexFile::Last(uint32_t* record) { return Retrying([&] { return AnyMove(Move::kLast, 0, record); }); }
int TIndexFile::Next(uint32_t* record) { return Retrying([&] { return AnyMove(Move::kNext, 0, record); }); }
int TIndexFile::Prior(uint32_t* record) { return Retrying([&] { return AnyMove(Move::kPrior, 0, record); }); }
int TIndexFile::GoToPosition(uint32_t position, uint32_t* record) {
  return Retrying([&] { return AnyMove(Move::kTo, position, record); });
}
int TIndexFile::MoveBy(int32_t n, uint32_t* record) {
  Cursor start = cursor_;
  return Retrying([&] {
    cursor_ = start;  // a restart repeats the whole move from where it began
    return AnyMove(Move::kBy, n, record);
  });
}

int TIndexFile::Find(const uint8_t* key, size_t length, bool* exact, uint32_t* record) {
  *exact = false;
  *record = 0;
  if (PhysicalOrder()) return kKeyNotFound;
  return Retrying([&] {
    TIndexTree tree(*this, slot_);
    length = std::min<size_t>(length, tree.KeyLength());
    uint32_t first, last, below;
    if (int rc = RangeBounds(tree, &first, &last)) return rc;
    if (int rc = tree.CountBelow(key, length, false, &below)) return rc;
    int rc = SeekVisible(tree, std::max(below + 1, first), true, first, last, record);
    if (rc == kOk) *exact = tree.Compare(cursor_.key, key, length) == 0;
    return rc;
  });
}

int TIndexFile::Resync(uint32_t recordNumber, const uint8_t* image) {
  cursor_.state = CursorState::kOnKey;
  cursor_.record = recordNumber;
  cursor_.key.clear();
  if (!PhysicalOrder()) {
    cursor_.key.assign(KeyLength(slot_), '\0');
    BuildKey(slot_, image, recordNumber, reinterpret_cast<uint8_t*>(cursor_.key.data()));
  }
  return kOk;
}

int TIndexFile::Position(uint32_t* position) {
  *position = 0;
  if (cursor_.state != CursorState::kOnKey) return kOk;
  if (PhysicalOrder()) {
    *position = cursor_.record;
    return kOk;
  }
  return Retrying([&] {
    TIndexTree tree(*this, slot_);
    uint32_t first, last, below;
    if (int rc = RangeBounds(tree, &first, &last)) return rc;
    if (int rc = tree.CountBelow(Bytes(cursor_.key), tree.KeyLength(), false, &below)) return rc;
    *position = below + 1 >= first && below + 1 <= last ? below + 1 - first + 1 : 0;
    return int(kOk);
  });
}

int TIndexFile::Count(uint32_t* count) {
  if (UsesBitmaps()) {
    *count = visible_->Count();
    return kOk;
  }
  if (PhysicalOrder()) {
    *count = header_.recordCount;
    return kOk;
  }
  return Retrying([&] {
    TIndexTree tree(*this, slot_);
    uint32_t first, last;
    if (int rc = RangeBounds(tree, &first, &last)) return rc;
    *count = last >= first ? last - first + 1 : 0;
    return int(kOk);
  });
}

std::string TIndexFile::CurrentKey() const {
  if (cursor_.state != CursorState::kOnKey) return {};
  if (!PhysicalOrder()) return cursor_.key;
  std::string bookmark(4, '\0');
  PutU32(reinterpret_cast<uint8_t*>(bookmark.data()), cursor_.record);
  return bookmark;
}

int TIndexFile::GoToKey(std::string_view bookmark, uint32_t* record) {
  *record = 0;
  if (PhysicalOrder()) {
    if (bookmark.size() != 4) return kRecordNotFound;
    uint32_t at = GetU32(reinterpret_cast<const uint8_t*>(bookmark.data()));
    const TRecordBitmap* set = nullptr;
    int rc = Retrying([&] { return PhysicalSet(&set); });
    if (rc) return rc;
    if (!set->Test(at)) return kRecordNotFound;
    cursor_.state = CursorState::kOnKey;
    cursor_.record = *record = at;
    cursor_.key.clear();
    return kOk;
  }
  if (bookmark.size() != KeyLength(slot_)) return kRecordNotFound;
  bool exact = false;
  int rc = Find(reinterpret_cast<const uint8_t*>(bookmark.data()), bookmark.size(), &exact, record);
  if (rc == kOk && !exact) return kRecordNotFound;
  return rc;
}

int TIndexFile::SetRange(const uint8_t* low, const uint8_t* high) {
  const uint16_t k = slot_ == kPhysicalOrder ? 0 : KeyLength(slot_);
  range_.active = true;
  range_.low = low ? std::string(reinterpret_cast<const char*>(low), k) : std::string();
  range_.high = high ? std::string(reinterpret_cast<const char*>(high), k) : std::string();
  cursor_ = Cursor{};
  return kOk;
}

int TIndexFile::CancelRange() {
  range_ = Range{};
  cursor_ = Cursor{};
  return kOk;
}

}  // namespace isam
