#pragma once
// A filter text of isamtool's options compiled against a table and
// evaluated record by record. (The tool walks the slots anyway; the program
// uses the engine's index-assisted record bitmaps.)
#include <cstdint>
#include <memory>

#include "engine/data/data_file.h"
#include "engine/filter/filter_node.h"
#include "tools/isamtool/commands.h"

namespace isamtool {

class TableFilter {
 public:
  // Throws EDatabaseError for a malformed text, EIsamEngineError otherwise.
  TableFilter(isam::TDataFile& table, const Options& options);

  bool Accepts(uint32_t slot, const uint8_t* image) const;
  // The number of live records the filter accepts.
  uint32_t Count() const;

 private:
  isam::TDataFile& table_;
  std::unique_ptr<isam::TFilterNode> root_;
};

}  // namespace isamtool
