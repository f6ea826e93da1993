#pragma once
// TIndexTree: one index's counted B+-tree, worked through the index file's
// page cache and header. Internal entries carry the number of keys below
// them, so positions and range sizes need one descent, not a leaf scan.
//
// Page pointers handed out stay valid until the operation that asked for
// them ends: the cache is trimmed only between operations.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/index/index_key.h"
#include "engine/index/index_page.h"

namespace isam {

class TIndexFile;

class TIndexTree {
 public:
  TIndexTree(TIndexFile& file, int slot);

  int Slot() const { return slot_; }
  uint16_t KeyLength() const { return format_.keyLength; }
  const TKeySpec& Spec() const { return spec_; }
  int Compare(const std::string& stored, const uint8_t* key, size_t length) const {
    return CompareIndexKeys(spec_, reinterpret_cast<const uint8_t*>(stored.data()), key, length);
  }

  // Levels of the tree (0 when empty).
  int Height(int* height);
  // Number of keys in the index.
  int Total(uint32_t* total);
  // Keys ordered before key over length bytes (orEqual: before or equal).
  int CountBelow(const uint8_t* key, size_t length, bool orEqual, uint32_t* count);

  // A place in the leaf level.
  struct Place {
    uint32_t leaf = 0;
    size_t index = 0;
  };
  // The key at a 1-based position (1..Total); 8965 beyond the counts.
  int AtPosition(uint32_t position, Place* place, const TIndexEntry** entry);
  // Moves to the neighbouring key; *entry null when running off an end.
  int Step(Place* place, bool forward, const TIndexEntry** entry);

  // Adds a key (K bytes); uniqueness is the caller's business.
  int Insert(const uint8_t* key, uint32_t recordNumber);
  // Removes the key equal to key over K bytes (8708 when absent).
  int Remove(const uint8_t* key);
  // Whether a key equals key over length bytes.
  int Contains(const uint8_t* key, size_t length, bool* found);

 private:
  struct PathStep {
    TPage* page;
    size_t index;  // entry followed (internal) or touched (leaf)
  };

  int Fetch(uint32_t offset, TPage** page);
  int Descend(const uint8_t* key, std::vector<PathStep>* path);
  void PropagateFirstKey(std::vector<PathStep>& path, size_t level);
  int Split(std::vector<PathStep>& path, size_t level);
  int Rebalance(std::vector<PathStep>& path, size_t level);
  int Unlink(TPage* page);
  size_t Capacity(const TPage& page) const;

  TIndexFile& file_;
  int slot_;
  TKeySpec spec_;
  TPageFormat format_;
};

}  // namespace isam
