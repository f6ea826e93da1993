#include "exam/printing/report_writer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

#include "exam/printing/report_layout.h"

namespace marvessa {

namespace {

// The tick of a check box: a glyph, so that a PDF's text shows which boxes
// are ticked.
const QString kTick = QString(QChar(0x2714));
constexpr const char* kTickFamily = "DejaVu Sans";

class TPagePainter {
 public:
  TPagePainter(QPainter& painter, QPaintDevice& device)
      : painter_(painter), device_(device), pxX_(device.logicalDpiX() / 25.4), pxY_(device.logicalDpiY() / 25.4) {}

  // Lines and frames first: text is drawn on a white ground over them, so a
  // rule under a label shows only beside it.
  void Paint(const TLaidOutPage& page, int pageNumber) {
    for (const TAtom& atom : page.atoms)
      if (!IsText(atom)) Paint(atom, pageNumber);
    for (const TAtom& atom : page.atoms)
      if (IsText(atom)) Paint(atom, pageNumber);
  }

 private:
  QRectF Device(const QRectF& mm) const {
    return QRectF(mm.left() * pxX_, mm.top() * pxY_, mm.width() * pxX_, mm.height() * pxY_);
  }
  QPen Pen(double points) const {
    return QPen(Qt::black, points * device_.logicalDpiY() / 72.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  }

  static bool IsText(const TAtom& atom) { return atom.kind == TAtom::Text || atom.kind == TAtom::PageNumber; }

  void Text(const QString& text, const QFont& font, const QColor& color, QPointF topLeft) {
    const QFontMetricsF metrics(font, &device_);
    if (text.isEmpty()) return;
    painter_.fillRect(QRectF(topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.height())), Qt::white);
    painter_.setFont(font);
    painter_.setPen(color);
    painter_.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
  }

  void Paint(const TAtom& atom, int pageNumber) {
    const QRectF r = Device(atom.rect);
    switch (atom.kind) {
      case TAtom::Text:
        Text(atom.text, atom.font, atom.color, r.topLeft());
        break;
      case TAtom::PageNumber: {
        QString text = atom.text;
        text.replace(text.indexOf('#'), 1, QString::number(pageNumber));
        const double width = QFontMetricsF(atom.font, &device_).horizontalAdvance(text);
        Text(text, atom.font, atom.color, QPointF(atom.alignRight ? r.left() - width : r.left(), r.top()));
        break;
      }
      case TAtom::Line:
        painter_.setPen(Pen(atom.penPoints));
        painter_.drawLine(r.topLeft(), r.topRight());
        break;
      case TAtom::Rectangle:
        painter_.setPen(Pen(atom.penPoints));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(r);
        break;
      case TAtom::Box: {
        // A square box in the element's rectangle, centred on its height.
        const double side = std::min(r.width(), r.height());
        const QRectF box(r.left(), r.top() + (r.height() - side) / 2, side, side);
        painter_.setPen(Pen(0.5));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(box);
        if (atom.ticked) {
          QFont tick(kTickFamily);
          tick.setPixelSize(std::max(1, static_cast<int>(side * 0.8)));
          painter_.setFont(tick);
          painter_.setPen(Qt::black);
          painter_.drawText(box, Qt::AlignCenter, kTick);
        }
        break;
      }
      case TAtom::Painting:
        if (atom.paint) {
          painter_.save();
          atom.paint(painter_, r);
          painter_.restore();
        }
        break;
    }
  }

  QPainter& painter_;
  QPaintDevice& device_;
  double pxX_, pxY_;
};

}  // namespace

QFont TReportFont::ToQFont() const {
  QFont font(family);
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

QPageLayout TReport::LetterPortrait() {
  return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(6.35, 6.35, 6.35, 6.35),
                     QPageLayout::Millimeter);
}

TReportWriter::TReportWriter(TReport& report) : report_(report) {}
TReportWriter::~TReportWriter() = default;

std::vector<TLaidOutPage> TReportWriter::LayOut(QPagedPaintDevice& device, bool& truncated) {
  IRecordSource* source = report_.source;
  if (source) source->First();
  TBandMeasure fixed(device, source);
  const double pageHeight = report_.pageLayout.paintRect(QPageLayout::Millimeter).height();
  TPaginator pages(pageHeight, fixed.LayOut(report_.pageHeader), fixed.LayOut(report_.pageFooter), report_.pageLimit);
  bool more = report_.title.Empty() || pages.Add(fixed.LayOut(report_.title));
  if (!source) {
    if (more) pages.Add(fixed.LayOut(report_.detail));
  } else {
    for (; more && !source->AtEnd(); source->Next())
      more = pages.Add(TBandMeasure(device, source).LayOut(report_.detail));
  }
  truncated = pages.Truncated();
  return pages.Finish();
}

TPrintOutcome TReportWriter::Print(QPagedPaintDevice& device, IPrintProgress* progress, int fromPage, int toPage) {
  TPrintOutcome outcome;
  device.setPageLayout(report_.pageLayout);
  const std::vector<TLaidOutPage> pages = LayOut(device, outcome.truncated);
  outcome.pagesLaidOut = static_cast<int>(pages.size());
  const int first = std::max(1, fromPage);
  const int last = toPage > 0 ? std::min(toPage, outcome.pagesLaidOut) : outcome.pagesLaidOut;
  if (progress) progress->Begin(std::max(0, last - first + 1));
  QPainter painter;
  if (first <= last && painter.begin(&device)) {
    painter.setRenderHint(QPainter::Antialiasing);
    TPagePainter pagePainter(painter, device);
    for (int page = first; page <= last; ++page) {
      if (page > first) device.newPage();
      pagePainter.Paint(pages[static_cast<size_t>(page - 1)], page);
      ++outcome.pagesPrinted;
      if (progress && !progress->PagePrinted(page) && page < last) {
        outcome.cancelled = true;
        // A printer drops the job rather than print part of it.
        if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->abort();
        break;
      }
    }
    painter.end();
  }
  if (progress) progress->End();
  return outcome;
}

TReportFont ReportFont(double points, bool bold, bool italic) {
  TReportFont font;
  font.points = points;
  font.bold = bold;
  font.italic = italic;
  return font;
}

TReportElement Label(double left, double top, const QString& text, TReportFont font) {
  TReportElement e;
  e.left = left;
  e.top = top;
  e.text = text;
  e.font = std::move(font);
  return e;
}

TReportElement RightLabel(double rightEdge, double top, const QString& text, TReportFont font) {
  TReportElement e = Label(rightEdge, top, text, std::move(font));
  e.alignRight = true;
  return e;
}

TReportElement CentredLabel(double left, double width, double top, const QString& text, TReportFont font) {
  TReportElement e = Label(left, top, text, std::move(font));
  e.width = width;
  e.alignCenter = true;
  return e;
}

TReportElement TextBlock(double left, double top, double width, const QString& text, TReportFont font) {
  TReportElement e = Label(left, top, text, std::move(font));
  e.kind = TElementKind::TextBlock;
  e.width = width;
  return e;
}

TReportElement Rule(double left, double top, double length, double penPoints) {
  TReportElement e;
  e.kind = TElementKind::Line;
  e.left = left;
  e.top = top;
  e.width = length;
  e.penPoints = penPoints;
  return e;
}

TReportElement Frame(double left, double top, double width, double height, double penPoints) {
  TReportElement e = Rule(left, top, width, penPoints);
  e.kind = TElementKind::Rectangle;
  e.height = height;
  return e;
}

}  // namespace marvessa
