#pragma once
// What the items review lists: one entry per item of the exam, captioned
// with its number and the letters of the selected choices, with an icon for
// its state. While answering the state is incomplete, complete or marked;
// after grading it is correct or incorrect.
#include <QString>
#include <vector>

namespace marvessa {

class TResponseTable;
struct ItemResponse;

enum class TReviewVariant { Answering, Graded };

// Positions in the review window's list of four icons.
enum TReviewIcon : int { riIncomplete = 0, riComplete = 1, riMarked = 2, riIncorrect = 3 };

struct TReviewEntry {
  QString caption;  // "7  AC"; "7  " for an unanswered item
  TReviewIcon icon;
  QString state;    // the icon's meaning in words, for screen readers
};

// "7  AC": the item's number (index + 1), two blanks, the selected letters.
QString ReviewCaption(int index, const ItemResponse& response);
TReviewEntry ReviewEntry(int index, const ItemResponse& response, TReviewVariant variant);
std::vector<TReviewEntry> ReviewEntries(const TResponseTable& responses, TReviewVariant variant);

// The legend of a variant, in the order shown: the icon and its text.
struct TLegendEntry {
  TReviewIcon icon;
  QString text;
};
std::vector<TLegendEntry> ReviewLegend(TReviewVariant variant);

}  // namespace marvessa
