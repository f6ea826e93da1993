#pragma once
// The exam window's two print commands over the current exam set:
// "&Print this item" (Print1Click) and "Print all items in this exam"
// (Print2Click). Neither changes the current record, the answers or the
// tables; the all-items print walks the set with the window's
// notifications suspended and returns to the item shown before.
#include <QString>

namespace isam {
class TIsamTable;
}

namespace marvessa {

class IReportPrinter;

// `shownQuestion` is the question text as the item area shows it.
bool PrintCurrentItem(isam::TIsamTable& currentSet, const QString& shownQuestion, const QString& examTitle,
                      IReportPrinter& printer);
bool PrintAllItems(isam::TIsamTable& currentSet, const QString& examTitle, IReportPrinter& printer);

}  // namespace marvessa
