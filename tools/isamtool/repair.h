#pragma once
// Repairing a table after a writer died in the middle of its writes. The
// format has no journal, so the three files may disagree: a slot appended
// without the header that counts it, an index that misses the last change, a
// blob chain half written. The record slots are taken as the truth and
// everything that can be derived from them is rebuilt:
//   - the data file header: next record number from the file length (a
//     partial slot at the end is cut off), free list from the deleted slots,
//     last auto-increment value at least the largest value in any slot;
//   - the blob file: end offset from the file length, every chain of a live
//     record walked and kept only when it is whole, every other block put on
//     a fresh free list;
//   - every index, record index included, from the live records.
// What cannot be kept is reported: a blob value whose chain is broken (the
// field becomes empty), a record whose key in a unique index repeats the key
// of a record in an earlier slot (the later one is deleted), a status byte
// that is neither 0 nor 1 (the slot counts as deleted).
#include <cstdint>
#include <string>
#include <vector>

namespace isamtool {

struct RepairResult {
  uint32_t records = 0;             // live records afterwards
  std::vector<std::string> fixed;   // what was rebuilt or corrected
  std::vector<std::string> lost;    // what could not be kept
};

// Needs the table to itself (11013 while another handle has it open).
// Throws EIsamEngineError when the table cannot be repaired at all: a data
// file header or field descriptors that do not hold together, an index file
// header that is unreadable (the index definitions live only there), or an
// unusable blob block size.
RepairResult RepairTable(const std::string& path);

}  // namespace isamtool
