#include "exam/session/review_list.h"

#include <algorithm>

#include "exam/data/response_table.h"

namespace marvessa {

QString ReviewCaption(int index, const ItemResponse& response) {
  QString caption = QString::number(index + 1) + "  ";
  for (size_t c = 0; c < response.Choice.size(); ++c)
    if (response.Choice[c]) caption += QChar('A' + int(c));
  return caption;
}

TReviewEntry ReviewEntry(int index, const ItemResponse& response, TReviewVariant variant) {
  TReviewEntry e{ReviewCaption(index, response), riIncomplete, "incomplete"};
  if (variant == TReviewVariant::Graded) {
    if (response.Correct)
      e.icon = riComplete, e.state = "correct";
    else
      e.icon = riIncorrect, e.state = "incorrect";
  } else if (response.Marked) {
    e.icon = riMarked, e.state = "marked";
  } else if (std::any_of(response.Choice.begin(), response.Choice.end(), [](bool b) { return b; })) {
    e.icon = riComplete, e.state = "complete";
  }
  return e;
}

std::vector<TReviewEntry> ReviewEntries(const TResponseTable& responses, TReviewVariant variant) {
  std::vector<TReviewEntry> entries;
  entries.reserve(static_cast<size_t>(responses.Count()));
  for (int i = 0; i < responses.Count(); ++i) entries.push_back(ReviewEntry(i, responses[i], variant));
  return entries;
}

std::vector<TLegendEntry> ReviewLegend(TReviewVariant variant) {
  if (variant == TReviewVariant::Graded)
    return {{riIncorrect, " - incorrect item   "}, {riComplete, " - correct item   "}};
  return {{riIncomplete, " - incomplete   "}, {riComplete, " - complete   "}, {riMarked, " - marked   "}};
}

}  // namespace marvessa
