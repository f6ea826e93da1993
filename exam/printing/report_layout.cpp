#include "exam/printing/report_layout.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTextLayout>
#include <algorithm>

namespace marvessa {

namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;
// Atoms whose tops lie this close share a line (a check box and its text).
constexpr double kSameLine = 0.01;

}  // namespace

TBandMeasure::TBandMeasure(QPaintDevice& device, const IRecordSource* record)
    : device_(device), record_(record), pxPerMm_(device.logicalDpiY() / 25.4) {}

TLaidOutBand TBandMeasure::LayOut(const TReportBand& band) const {
  TLaidOutBand result;
  result.height = std::max(band.height, PlaceAll(band.elements, 0, result.atoms));
  std::stable_sort(result.atoms.begin(), result.atoms.end(),
                   [](const TAtom& a, const TAtom& b) { return a.rect.top() < b.rect.top() - kSameLine; });
  return result;
}

// Returns the extent of the elements below `origin`: the lowest bottom plus
// the space kept below it.
double TBandMeasure::PlaceAll(const std::vector<TReportElement>& elements, double origin,
                              std::vector<TAtom>& out) const {
  double extent = 0;
  double previousBottom = origin, previousSpace = 0;
  for (const TReportElement& e : elements) {
    if (e.beforePrint && !e.beforePrint()) continue;
    const double top = e.underPrevious ? previousBottom + previousSpace : origin + e.top;
    const double bottom = Place(e, top, out);
    extent = std::max(extent, bottom + e.spaceBelow - origin);
    previousBottom = bottom;
    previousSpace = e.spaceBelow;
  }
  return extent;
}

QString TBandMeasure::TextOf(const TReportElement& e) const {
  QString text = e.field.isEmpty() || !record_ ? e.text : record_->Text(e.field);
  if (!e.format.isEmpty() && e.kind != TElementKind::PageNumber) {
    QString formatted = e.format;
    const qsizetype hash = formatted.indexOf('#');
    if (hash >= 0) formatted.replace(hash, 1, text);
    text = formatted;
  }
  return text;
}

double TBandMeasure::Place(const TReportElement& e, double top, std::vector<TAtom>& out) const {
  TAtom atom;
  atom.penPoints = e.penPoints;
  switch (e.kind) {
    case TElementKind::Label:
    case TElementKind::TextBlock:
      return std::max(top + e.height, PlaceText(e, top, TextOf(e), out));
    case TElementKind::PageNumber: {
      atom.kind = TAtom::PageNumber;
      atom.font = e.font.ToQFont();
      atom.color = e.font.color;
      atom.text = e.format.isEmpty() ? QStringLiteral("#") : e.format;
      atom.alignRight = e.alignRight;
      const double lineHeight = ToMm(QFontMetricsF(atom.font, &device_).lineSpacing());
      atom.rect = QRectF(e.left, top, e.width, lineHeight);
      out.push_back(atom);
      return top + std::max(e.height, lineHeight);
    }
    case TElementKind::Line:
      atom.kind = TAtom::Line;
      atom.rect = QRectF(e.left, top, e.width, 0);
      out.push_back(atom);
      return top + e.penPoints * kMmPerPoint;
    case TElementKind::Rectangle:
      atom.kind = TAtom::Rectangle;
      atom.rect = QRectF(e.left, top, e.width, e.height);
      out.push_back(atom);
      return top + e.height;
    case TElementKind::CheckBox:
      atom.kind = TAtom::Box;
      atom.rect = QRectF(e.left, top, e.width, e.height);
      atom.ticked = TextOf(e) == QLatin1String("True");
      out.push_back(atom);
      return top + e.height;
    case TElementKind::Painting:
      atom.kind = TAtom::Painting;
      atom.rect = QRectF(e.left, top, e.width, e.height);
      atom.paint = e.paint;
      out.push_back(atom);
      return top + e.height;
    case TElementKind::Region:
      return top + std::max(e.height, PlaceAll(e.children, top, out));
  }
  return top;
}

// One atom per line; a label is one line as wide as its text, a text block
// wraps at word boundaries (or anywhere in a word too long for the width).
double TBandMeasure::PlaceText(const TReportElement& e, double top, const QString& text,
                               std::vector<TAtom>& out) const {
  const QFont font = e.font.ToQFont();
  const QFontMetricsF metrics(font, &device_);
  const double lineHeight = ToMm(metrics.lineSpacing());
  TAtom atom;
  atom.font = font;
  atom.color = e.font.color;
  if (e.kind == TElementKind::Label) {
    const QString line = QString(text).replace('\n', ' ');
    const double width = ToMm(metrics.horizontalAdvance(line));
    atom.text = line;
    const double left = e.alignRight ? e.left - width : e.alignCenter ? e.left + (e.width - width) / 2 : e.left;
    atom.rect = QRectF(left, top, width, lineHeight);
    out.push_back(atom);
    return top + lineHeight;
  }
  double y = top;
  QString normalised = text;
  normalised.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n');
  normalised.replace('\t', QLatin1String("    "));  // lines are drawn as plain runs
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  for (const QString& paragraph : normalised.split('\n')) {
    QTextLayout layout(paragraph, font, &device_);
    layout.setTextOption(option);
    layout.beginLayout();
    bool any = false;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(e.width * pxPerMm_);
      atom.text = paragraph.mid(line.textStart(), line.textLength());
      while (!atom.text.isEmpty() && atom.text.back().isSpace()) atom.text.chop(1);  // indentation stays
      atom.rect = QRectF(e.left, y, ToMm(metrics.horizontalAdvance(atom.text)), lineHeight);
      out.push_back(atom);
      y += lineHeight;
      any = true;
    }
    layout.endLayout();
    if (!any) y += lineHeight;  // an empty line keeps its height
  }
  return y;
}

TPaginator::TPaginator(double pageHeight, TLaidOutBand header, TLaidOutBand footer, int pageLimit)
    : pageHeight_(pageHeight), header_(std::move(header)), footer_(std::move(footer)), pageLimit_(pageLimit) {
  NewPage();
}

bool TPaginator::NewPage() {
  if (pageLimit_ > 0 && static_cast<int>(pages_.size()) >= pageLimit_) {
    truncated_ = true;
    return false;
  }
  pages_.emplace_back();
  for (const TAtom& atom : header_.atoms) Put(atom, 0);
  y_ = header_.height;
  return true;
}

void TPaginator::Put(const TAtom& atom, double pageTop) {
  TAtom placed = atom;
  placed.rect.translate(0, pageTop);
  pages_.back().atoms.push_back(std::move(placed));
}

bool TPaginator::Add(const TLaidOutBand& band) {
  if (truncated_) return false;
  const double bodyTop = header_.height;
  const double bodyBottom = pageHeight_ - footer_.height;
  // A band that fits a fresh page is kept whole.
  if (y_ > bodyTop && y_ + band.height > bodyBottom && band.height <= bodyBottom - bodyTop && !NewPage())
    return false;
  // pageY = bandY - origin + y_ for the atoms placed on the current page.
  double origin = 0;
  for (size_t i = 0; i < band.atoms.size();) {
    const double lineTop = band.atoms[i].rect.top();
    size_t end = i;
    double lineBottom = lineTop;
    while (end < band.atoms.size() && band.atoms[end].rect.top() <= lineTop + kSameLine)
      lineBottom = std::max(lineBottom, band.atoms[end++].rect.bottom());
    if (lineBottom - origin + y_ > bodyBottom && lineTop - origin + y_ > bodyTop) {
      if (!NewPage()) return false;
      origin = lineTop;
    }
    for (; i < end; ++i) Put(band.atoms[i], y_ - origin);
  }
  y_ += band.height - origin;
  return true;
}

std::vector<TLaidOutPage> TPaginator::Finish() {
  const double footerTop = pageHeight_ - footer_.height;
  for (TLaidOutPage& page : pages_)
    for (TAtom atom : footer_.atoms) {
      atom.rect.translate(0, footerTop);
      page.atoms.push_back(std::move(atom));
    }
  return std::move(pages_);
}

}  // namespace marvessa
