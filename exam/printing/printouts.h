#pragma once
// The exam's printouts: one item ("&Print this item") and the answer key of
// all items ("Print all items in this exam"), as report definitions for the
// report writer. The artwork shared by the printouts lives here too.
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "exam/printing/report_model.h"

namespace marvessa {

inline constexpr const char* kProductName = "Marvessa";
inline constexpr const char* kPublisherBanner = " Plindor ";
inline constexpr const char* kFooterNotice = "\u00A9 Plindor. All rights reserved.";

// The publisher's banner: navy, bold italic, 16 point.
TReportFont BannerFont();

// The banner in its frame with the rule beside it, at the top left of the
// answer key and of the score report.
std::vector<TReportElement> PageBanner();

// What "&Print this item" prints of the current item.
struct TItemPrintData {
  QString examTitle;
  int itemNumber = 0;     // the item's position in the exam
  QString questionText;   // as the item area shows it
  std::array<QString, 6> answers;  // Q1 .. Q6
  QString explanation;    // Q_EXPL
};

// The answer lines of a single item: a and b always, c .. f when not empty,
// each followed by an empty line, two more empty lines, the explanation.
QStringList ItemAnswerLines(const TItemPrintData& item);

// ItemReport: not bound to a table; the text that does not fit one page
// continues on the next.
TReport ItemReport(const TItemPrintData& item);

// ppReport1: bound to `source` (the current exam set), one detail band per
// record; answer rows c .. f are left out when their answer text is empty.
TReport AllItemsReport(const QString& examTitle, IRecordSource& source);

}  // namespace marvessa
