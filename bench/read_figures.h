#pragma once
// Read counts as a table grows (no timing): index pages per positioning,
// counting and range operation, which a counted B+-tree keeps near its
// height (log n); and the records a filter reads, which is none for a filter
// that an index answers and none again for counting and moving through it.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Prints both series for tables of these sizes, built in folder.
void PrintReadFigures(const std::string& folder, const std::vector<uint32_t>& sizes);

}  // namespace bench
