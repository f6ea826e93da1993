#include "exam/data/response_table.h"

#include <string>

#include "engine/table.h"

namespace marvessa {

void ResetResponses(isam::TIsamTable& currentSet, TResponseTable& responses) {
  currentSet.MoveFirst();
  responses.Resize(currentSet.CountRecords());
  if (currentSet.IsTableEmpty()) return;
  while (!currentSet.AtEnd()) {
    ItemResponse& entry = responses.ForRecord(currentSet.RecordNumber());
    entry = ItemResponse{};
    entry.Section = currentSet.FieldNamed("Q_SECT").IntegerValue();
    currentSet.MoveNext();
  }
}

std::array<bool, 6> AnswerKey(isam::TIsamTable& table) {
  std::array<bool, 6> key{};
  for (int n = 0; n < 6; ++n) key[static_cast<size_t>(n)] = table.FieldNamed("A" + std::to_string(n + 1)).BooleanValue();
  return key;
}

void CheckItem(isam::TIsamTable& currentSet, TResponseTable& responses) {
  ItemResponse& entry = responses.ForRecord(currentSet.RecordNumber());
  entry.Correct = AnswerKey(currentSet) == entry.Choice;
}

}  // namespace marvessa
