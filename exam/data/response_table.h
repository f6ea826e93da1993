#pragma once
// The candidate's answers, in memory only: one ItemResponse per record of the
// current exam set, entry i for record number i + 1. Reset after every
// preparation, kept when an exam closes, never written to a file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace isam {
class TIsamTable;
}

namespace marvessa {

struct ItemResponse {
  std::array<bool, 6> Choice{};  // choices a to f selected
  bool Marked = false;           // "Mark this item" ticked
  bool Correct = false;          // the result of CheckItem
  int32_t Section = 0;           // the item's Q_SECT, set when reset
};

class TResponseTable {
 public:
  int Count() const { return static_cast<int>(entries_.size()); }
  void Resize(int count) { entries_.assign(static_cast<size_t>(count < 0 ? 0 : count), {}); }
  // The entry of a record number (1-based); std::out_of_range outside.
  ItemResponse& ForRecord(int32_t recordNumber) { return entries_.at(Index(recordNumber)); }
  const ItemResponse& ForRecord(int32_t recordNumber) const { return entries_.at(Index(recordNumber)); }
  ItemResponse& operator[](int i) { return entries_.at(static_cast<size_t>(i)); }
  const ItemResponse& operator[](int i) const { return entries_.at(static_cast<size_t>(i)); }

 private:
  static size_t Index(int32_t recordNumber) {
    return recordNumber < 1 ? SIZE_MAX : static_cast<size_t>(recordNumber - 1);
  }
  std::vector<ItemResponse> entries_;
};

// Sizes the table to the current exam set and clears every entry, taking
// Section from each record's Q_SECT. Leaves the set at its end.
void ResetResponses(isam::TIsamTable& currentSet, TResponseTable& responses);
// The current record's entry becomes Correct exactly when A1 .. A6 equal the
// selected choices a .. f.
void CheckItem(isam::TIsamTable& currentSet, TResponseTable& responses);
// The key of the current record: A1 .. A6.
std::array<bool, 6> AnswerKey(isam::TIsamTable& table);

}  // namespace marvessa
