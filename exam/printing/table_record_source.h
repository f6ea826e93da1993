#pragma once
// A detail band's records from a table cursor: the cursor itself is walked
// from its first record, in its order and through its filter.
#include "exam/printing/report_model.h"

namespace isam {
class TIsamTable;
}

namespace marvessa {

class TTableRecordSource : public IRecordSource {
 public:
  explicit TTableRecordSource(isam::TIsamTable& table) : table_(table) {}
  void First() override;
  bool AtEnd() const override { return atEnd_; }
  void Next() override;
  QString Text(const QString& field) const override;

 private:
  isam::TIsamTable& table_;
  bool atEnd_ = true;
};

}  // namespace marvessa
