#pragma once
// Records for a detail band, written out in the test.
#include <QMap>
#include <vector>

#include "exam/printing/report_model.h"

namespace marvessa::testing {

class TTestRecords : public IRecordSource {
 public:
  using Record = QMap<QString, QString>;
  explicit TTestRecords(std::vector<Record> records) : records_(std::move(records)) {}
  void First() override { at_ = 0; }
  bool AtEnd() const override { return at_ >= records_.size(); }
  void Next() override { ++at_; }
  QString Text(const QString& field) const override { return records_.at(at_).value(field); }

 private:
  std::vector<Record> records_;
  size_t at_ = 0;
};

}  // namespace marvessa::testing
