#pragma once
// Building the current exam set: the chosen questions of the bank or of the
// user set are copied into ces.DAT in a random order, so that the item
// numbers of the exam follow the records of the current exam set.
//
// BuildExamSet: every question the bank's filter lets through (a practice
// exam, All Questions). BuildRandomSet: `count` of the questions the bank's
// filter "Q_EXAM_N<>0" lets through. BuildUserSet: every question of the user
// set. The source is open; the current exam set closed (it is emptied and
// opened exclusively here).
#include <cstdint>

namespace isam {
class TIsamTable;
}

namespace marvessa {

class IClock;
class TRandomGenerator;

// The progress window shown while a set is built.
class IProgress {
 public:
  virtual ~IProgress() = default;
  virtual void Show() = 0;
  virtual void SetMaximum(int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  virtual void Close() = 0;
};

struct TExamSetResult {
  int32_t FirstRecNo = 0;
  int32_t ItemCount = 0;
};

struct TExamSetBuilder {
  isam::TIsamTable& currentSet;
  IProgress& progress;
  TRandomGenerator& random;
  const IClock& clock;

  TExamSetResult BuildExamSet(isam::TIsamTable& bank);
  TExamSetResult BuildRandomSet(isam::TIsamTable& bank, int count);
  TExamSetResult BuildUserSet(isam::TIsamTable& userSet);

 private:
  TExamSetResult Build(isam::TIsamTable& source, bool fromBank, int count);
};

}  // namespace marvessa
