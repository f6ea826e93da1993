#pragma once
// Consistency check of a blob file against the records that refer to it (for
// "isamtool check"): every chain and the free list are walked with bounds,
// and every problem found is described in one line.
#include <cstdint>
#include <string>
#include <vector>

namespace isam {

class TBlobFile;

// One blob field of a live record.
struct TBlobReference {
  uint32_t record = 0;    // physical record number (the chain's owner)
  uint16_t field = 0;     // 1-based field number, for the messages
  int32_t reference = 0;  // the stored reference: 0 = empty, else first block
};

// Checks each chain (offsets on block boundaries inside the file, owner,
// used counts and total length, links both ways, no cycle, no block in two
// chains), the free list (sane offsets, no cycle, no block both free and in
// a chain) and the header; blocks neither free nor in a chain are reported as
// lost. Reads go through the file's cache, so pending writes are seen.
// Returns 0, or an engine error when the file could not be read at all.
int VerifyBlobFile(TBlobFile& file, const std::vector<TBlobReference>& references,
                   std::vector<std::string>* problems);

}  // namespace isam
