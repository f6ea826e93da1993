#pragma once
// What the item area shows of one record of the current exam set: the texts
// as QString, the response type, the exhibit names and the key.
#include <QString>
#include <array>

namespace isam {
class TIsamTable;
}

namespace marvessa {

inline constexpr int kAnswerCount = 6;
using TAnswerFlags = std::array<bool, kAnswerCount>;

struct TItemContent {
  QString text;   // Q_TEXT
  QString expl;   // Q_EXPL
  std::array<QString, kAnswerCount> answers;  // Q1 .. Q6
  bool multiple = false;  // Q_TYPE: check boxes instead of radio buttons
  QString pict1, pict2;   // PICT1, PICT2
  TAnswerFlags key{};     // A1 .. A6

  bool HasAnswer(int n) const { return !answers[static_cast<size_t>(n)].isEmpty(); }
  bool operator==(const TItemContent&) const = default;
};

// The current record of the table.
TItemContent ReadItemContent(isam::TIsamTable& table);

}  // namespace marvessa
