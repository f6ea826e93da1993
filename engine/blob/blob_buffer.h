#pragma once
// TBlobBuffer: one open blob value. The whole value is kept in memory from
// open to close; it reaches the file only when the record is posted.
#include <cstdint>
#include <vector>

namespace isam {

struct TBlobBuffer {
  int32_t handle = 0;           // the open-blob handle (negative) in the image
  bool modified = false;        // changed since it was read or last saved
  uint32_t record = 0;          // record number: owner written into its blocks
  uint16_t field = 0;           // 1-based field number
  uint32_t firstBlock = 0;      // offset of the chain's first block, 0 = none
  int32_t openedReference = 0;  // the image's reference when it was opened
  std::vector<uint8_t> data;    // the value
};

}  // namespace isam
