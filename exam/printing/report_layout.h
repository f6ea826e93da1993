#pragma once
// The layout step of the report writer: bands measured into atoms (a line
// of text, a rule, a frame, a check box, a painting) in millimetres from the
// band's top, and atoms placed onto pages.
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

#include "exam/printing/report_model.h"

class QPaintDevice;
class QPainter;

namespace marvessa {

struct TAtom {
  enum Kind { Text, Line, Rectangle, Box, Painting, PageNumber };
  Kind kind = Text;
  QRectF rect;  // mm; a text line's rect is its line box; a rule has height 0
  QString text;  // text; a page number's format
  QFont font;
  QColor color = Qt::black;
  double penPoints = 0.75;
  bool ticked = false;
  bool alignRight = false;  // page numbers: rect.left() is the right edge
  std::function<void(QPainter&, const QRectF&)> paint;
};

struct TLaidOutBand {
  std::vector<TAtom> atoms;  // ordered by top
  double height = 0;
};

struct TLaidOutPage {
  std::vector<TAtom> atoms;  // mm from the top left of the printable area
};

// Measures bands with the fonts as the device renders them.
class TBandMeasure {
 public:
  TBandMeasure(QPaintDevice& device, const IRecordSource* record);
  TLaidOutBand LayOut(const TReportBand& band) const;

 private:
  // Lays out one element with its top at `top`; returns its bottom.
  double Place(const TReportElement& e, double top, std::vector<TAtom>& out) const;
  double PlaceAll(const std::vector<TReportElement>& elements, double origin, std::vector<TAtom>& out) const;
  double PlaceText(const TReportElement& e, double top, const QString& text, std::vector<TAtom>& out) const;
  QString TextOf(const TReportElement& e) const;
  double ToMm(double px) const { return px / pxPerMm_; }

  QPaintDevice& device_;
  const IRecordSource* record_;
  double pxPerMm_;
};

// Places laid-out bands on pages of the body height, breaking them as the
// writer's header describes.
class TPaginator {
 public:
  TPaginator(double pageHeight, TLaidOutBand header, TLaidOutBand footer, int pageLimit);
  // False once the page limit stopped the report.
  bool Add(const TLaidOutBand& band);
  std::vector<TLaidOutPage> Finish();
  bool Truncated() const { return truncated_; }

 private:
  bool NewPage();
  void Put(const TAtom& atom, double pageTop);

  double pageHeight_;
  TLaidOutBand header_, footer_;
  int pageLimit_;
  std::vector<TLaidOutPage> pages_;
  double y_ = 0;
  bool truncated_ = false;
};

}  // namespace marvessa
