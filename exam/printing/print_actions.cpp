#include "exam/printing/print_actions.h"

#include "engine/table.h"
#include "exam/data/qt_text.h"
#include "exam/printing/printouts.h"
#include "exam/printing/report_printer.h"
#include "exam/printing/table_record_source.h"

namespace marvessa {

bool PrintCurrentItem(isam::TIsamTable& currentSet, const QString& shownQuestion, const QString& examTitle,
                      IReportPrinter& printer) {
  TItemPrintData item;
  item.examTitle = examTitle;
  item.itemNumber = currentSet.RecordNumber();
  item.questionText = shownQuestion;
  for (int n = 0; n < 6; ++n)
    item.answers[static_cast<size_t>(n)] = ToQString(currentSet.FieldNamed("Q" + std::to_string(n + 1)).StringValue());
  item.explanation = ToQString(currentSet.FieldNamed("Q_EXPL").StringValue());
  TReport report = ItemReport(item);
  return printer.Print(report);
}

bool PrintAllItems(isam::TIsamTable& currentSet, const QString& examTitle, IReportPrinter& printer) {
  currentSet.SuspendNotifications();
  isam::TBookmark bookmark;
  try {
    bookmark = currentSet.SaveBookmark();
  } catch (...) {
    currentSet.ResumeNotifications();
    throw;
  }
  // Back to the item shown before and the window told again, whatever the
  // print did (cancelled or failed included).
  auto restore = [&] {
    try {
      currentSet.ReturnToBookmark(bookmark);
    } catch (...) {
      currentSet.ReleaseBookmark(bookmark);
      currentSet.ResumeNotifications();
      throw;
    }
    currentSet.ReleaseBookmark(bookmark);
    currentSet.ResumeNotifications();
  };
  bool printed = false;
  try {
    TTableRecordSource source(currentSet);
    TReport report = AllItemsReport(examTitle, source);
    printed = printer.Print(report);
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return printed;
}

}  // namespace marvessa
