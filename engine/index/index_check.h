#pragma once
// A full consistency check of an index file, for "isamtool check" and tests:
// page types and depths, key order, separators, subtree counts, sibling
// links, free lists, header counts, and (given the live records) that every
// live record has its key in every index.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace isam {

class TIndexFile;

using TRecordVisitor = std::function<void(uint32_t record, const uint8_t* image)>;
// Calls the visitor for every live record (number and image); returns 0 or
// an engine error code.
using TLiveRecords = std::function<int(const TRecordVisitor&)>;

// The problems found, one line each; empty when the file is sound.
std::vector<std::string> CheckIndexFile(TIndexFile& file, const TLiveRecords& liveRecords = {});

}  // namespace isam
