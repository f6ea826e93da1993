#pragma once
// Computes a filter's record bitmap from a starting set (live and in range).
//
// Level-0 leaves are answered from an index: the records whose key lies in
// the comparison's key range (a range holding more than half of the table's
// records is collected through its complement and inverted). Level-2 nodes
// are evaluated record by record, reading only the records still in the set
// they are given: in an AND the indexed side runs first, and the scanning
// side reads only what it left.
#include <cstdint>
#include <vector>

#include "engine/filter/filter.h"
#include "engine/index/index_file.h"

namespace isam {

class TFilterBitmapBuilder {
 public:
  TFilterBitmapBuilder(TIndexFile& index, TFilterRecordSource& records);

  // out := the records of start that satisfy the filter. Returns 0, kRestart
  // or an engine error code.
  int Compute(const TFilter& filter, const TRecordBitmap& start, TRecordBitmap& out);

  // Records read so far (tests check that scans stay inside their set).
  uint64_t RecordsRead() const { return recordsRead_; }

 private:
  // out agrees with the node on every record of incoming (records outside
  // it may hold anything).
  int Build(const TFilterNode& node, const TRecordBitmap& incoming, TRecordBitmap& out);
  int Scan(const TFilter* filter, const TFilterNode* node, TRecordBitmap& bits);
  int IndexAnswer(const TFilterNode& node, TRecordBitmap& out);
  // The records whose key lies between low and high (null = open end), with
  // the more-than-half complement rule.
  int CollectKeys(int slot, const uint8_t* low, size_t lowLength, const uint8_t* high,
                  size_t highLength, TRecordBitmap& out);
  // The first-field key part of a constant (blank when constant is null).
  size_t ConstantKey(int slot, const TFilterNode& field, const TFilterNode* constant,
                     std::vector<uint8_t>& key);

  TIndexFile& index_;
  TFilterRecordSource& records_;
  std::vector<uint8_t> image_;
  uint64_t recordsRead_ = 0;
};

}  // namespace isam
