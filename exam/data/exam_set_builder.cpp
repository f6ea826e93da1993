#include "exam/data/exam_set_builder.h"

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/table.h"
#include "exam/data/random_generator.h"
#include "prefs/clock.h"

namespace marvessa {

namespace {

const char* const kTextFields[] = {"Q_TEXT", "Q_EXPL", "Q1", "Q2", "Q3", "Q4", "Q5", "Q6"};

void CopyString(isam::TIsamTable& from, isam::TIsamTable& to, const char* name) {
  to.FieldNamed(name).SetStringValue(from.FieldNamed(name).StringValue());
}

// The fields of one question, in the order the copy writes them; the user
// set has no exam number, Q_SIM or exhibits to give.
void CopyQuestion(isam::TIsamTable& from, isam::TIsamTable& to, bool fromBank) {
  if (fromBank) to.FieldNamed("Q_EXAM_N").SetIntegerValue(from.FieldNamed("Q_EXAM_N").IntegerValue());
  to.FieldNamed("Q_SECT").SetIntegerValue(from.FieldNamed("Q_SECT").IntegerValue());
  CopyString(from, to, "Q_TEXT");
  CopyString(from, to, "Q_EXPL");
  to.FieldNamed("Q_TYPE").SetBooleanValue(from.FieldNamed("Q_TYPE").BooleanValue());
  for (int n = 1; n <= 6; ++n) CopyString(from, to, ("Q" + std::to_string(n)).c_str());
  if (fromBank) CopyString(from, to, "Q_SIM");
  for (int n = 1; n <= 6; ++n) {
    std::string a = "A" + std::to_string(n);
    to.FieldNamed(a).SetBooleanValue(from.FieldNamed(a).BooleanValue());
  }
  if (fromBank) {
    CopyString(from, to, "PICT1");
    CopyString(from, to, "PICT2");
  }
  to.FieldNamed("Q_OR_NUMBER").SetIntegerValue(from.FieldNamed("Q_ID").IntegerValue());
  CopyString(from, to, "U_MEMO");
}

}  // namespace

TExamSetResult TExamSetBuilder::BuildExamSet(isam::TIsamTable& bank) {
  return Build(bank, true, -1);
}

TExamSetResult TExamSetBuilder::BuildRandomSet(isam::TIsamTable& bank, int count) {
  return Build(bank, true, count);
}

TExamSetResult TExamSetBuilder::BuildUserSet(isam::TIsamTable& userSet) {
  return Build(userSet, false, -1);
}

TExamSetResult TExamSetBuilder::Build(isam::TIsamTable& source, bool fromBank, int count) {
  progress.Show();
  // The progress window has no close box: it goes also when an error ends
  // the preparation.
  struct CloseProgress {
    IProgress& progress;
    ~CloseProgress() { progress.Close(); }
  } closeProgress{progress};
  const int n = source.CountRecords();
  if (count < 0) count = n;

  // Bank records are looked up again by their record number (which equals
  // their Q_ID); the user set may have gaps, so it is collected by Q_ID.
  std::vector<int32_t> candidates;
  candidates.reserve(static_cast<size_t>(n));
  if (!source.IsTableEmpty()) {
    source.MoveFirst();
    while (!source.AtEnd() && static_cast<int>(candidates.size()) < n) {
      candidates.push_back(fromBank ? source.RecordNumber() : source.FieldNamed("Q_ID").IntegerValue());
      source.MoveNext();
    }
  }

  random.SeedFrom(clock.NowUtc());
  std::vector<int32_t> order = DrawOrder(candidates, count, random);

  currentSet.SetExclusive(true);
  currentSet.RemoveAllRecords();
  currentSet.Open();

  progress.SetMaximum(static_cast<int>(order.size()));
  for (size_t k = 0; k < order.size(); ++k) {
    source.BeginKeySearch();
    source.FieldNamed("Q_ID").SetIntegerValue(order[k]);
    // A question that is not found means a damaged table; copying on would
    // repeat the previous question in its place.
    if (!source.SeekKey())
      throw isam::EDatabaseError("Question " + std::to_string(order[k]) + " (Q_ID) is missing from " +
                                 source.TableName() + "; the question table is damaged");
    progress.SetPosition(static_cast<int>(k));
    currentSet.BeginAppend();
    CopyQuestion(source, currentSet, fromBank);
    currentSet.PostRecord();
  }

  currentSet.MoveFirst();
  return {currentSet.RecordNumber(), currentSet.CountRecords()};
}

}  // namespace marvessa
