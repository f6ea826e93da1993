#pragma once
// The data file as the record source of a table's filters.
#include "engine/data/data_file.h"
#include "engine/file/record_fields.h"
#include "engine/filter/filter.h"

namespace isam {

class TDataFileRecords final : public TFilterRecordSource {
 public:
  explicit TDataFileRecords(TDataFile& file) : file_(file) {}
  int ReadSlot(uint32_t slot, uint8_t* image, bool* deleted) override {
    int rc = file_.ReadSlot(slot, image);
    *deleted = rc == 0 && !SlotIsLive(image);
    return rc;
  }

 private:
  TDataFile& file_;
};

}  // namespace isam
