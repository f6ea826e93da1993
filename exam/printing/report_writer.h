#pragma once
// TReportWriter lays a TReport out into pages and paints them on a paged
// device (a QPrinter or a QPdfWriter), in device units converted from
// millimetres, so that printer, preview and PDF share one code path.
//
// Page order: the page header at the top of every page, then on the first
// page the title band, then the detail bands, and the page footer at the
// bottom of every page. A band that does not fit the rest of a page starts
// on the next one; only a band taller than a whole page is broken, between
// lines of its text, with the page header repeated above the rest.
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "exam/printing/report_model.h"

class QPagedPaintDevice;
class QPainter;

namespace marvessa {

struct TLaidOutPage;

// Told of each page as it is painted; returning false cancels the print.
class IPrintProgress {
 public:
  virtual ~IPrintProgress() = default;
  virtual void Begin(int pageCount) = 0;
  virtual bool PagePrinted(int page) = 0;
  virtual void End() = 0;
};

struct TPrintOutcome {
  int pagesLaidOut = 0;  // the report's pages (after the page limit)
  int pagesPrinted = 0;  // the pages painted (within the page range)
  bool cancelled = false;
  bool truncated = false;  // the page limit left content out
};

class TReportWriter {
 public:
  explicit TReportWriter(TReport& report);
  ~TReportWriter();
  TReportWriter(const TReportWriter&) = delete;
  TReportWriter& operator=(const TReportWriter&) = delete;

  // Pages fromPage..toPage (1-based, 0: no bound) of the report. The
  // device's page layout is set from the report's before the first page.
  // For a QPrinter the caller sets the layout and range from the dialog.
  TPrintOutcome Print(QPagedPaintDevice& device, IPrintProgress* progress = nullptr,
                      int fromPage = 0, int toPage = 0);

 private:
  std::vector<TLaidOutPage> LayOut(QPagedPaintDevice& device, bool& truncated);

  TReport& report_;
};

}  // namespace marvessa
