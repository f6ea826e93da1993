#pragma once
// The banded reports that Marvessa prints: a title band printed once at the
// start, a page header and a page footer on every page, and a detail band
// printed once per record of a bound record source (or once without one).
// Bands hold elements placed in millimetres from the left edge of the
// printable area and from the top of their band. Text blocks grow with
// their text and break across pages; an element may be placed under the
// element printed before it, and a hook run before printing may leave it out.
//
// The model is plain data; report_writer.h lays it out and paints it.
#include <QColor>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <vector>

class QFont;
class QPainter;
class QRectF;

namespace marvessa {

// Metric-compatible with the face the layouts were drawn for, so that
// their positions keep their meaning.
inline constexpr const char* kReportFontFamily = "Liberation Sans";

struct TReportFont {
  double points = 10;
  bool bold = false;
  bool italic = false;
  QColor color = Qt::black;
  QString family = kReportFontFamily;
  QFont ToQFont() const;
};

// The records a detail band walks; texts are those a data-aware label shows
// ("True"/"False" for Boolean fields).
class IRecordSource {
 public:
  virtual ~IRecordSource() = default;
  virtual void First() = 0;
  virtual bool AtEnd() const = 0;
  virtual void Next() = 0;
  virtual QString Text(const QString& field) const = 0;
};

enum class TElementKind {
  Label,       // one line of text, as wide as its text
  TextBlock,   // text wrapped into the width, growing with it; "\n" ends a line
  Line,        // horizontal rule of `width`
  Rectangle,   // frame of width x height
  CheckBox,    // a box, ticked when the text (or the field's text) is "True"
  PageNumber,  // a label whose format gets the page number for "#"
  Region,      // a group of children, each at its own left and its top in the region
  Painting,    // width x height painted by `paint` (device coordinates)
};

struct TReportElement {
  TElementKind kind = TElementKind::Label;
  QString name;
  double left = 0, top = 0;     // mm; with alignRight, `left` is the right edge
  double width = 0, height = 0; // mm; the least height of growing elements
  bool alignRight = false;
  bool alignCenter = false;     // labels: centred in left .. left + width
  TReportFont font;
  QString text;    // the text, or the check box state
  QString field;   // when set, the text comes from the current record
  QString format;  // when set, the first "#" is replaced by the text (or page number)
  double penPoints = 0.75;      // lines and frames
  bool underPrevious = false;   // `top` ignored: under the element printed before
  double spaceBelow = 0;        // mm kept free before the element placed under this one
  // Run before the element is printed (for each record); false leaves it out.
  std::function<bool()> beforePrint;
  std::vector<TReportElement> children;  // Region
  std::function<void(QPainter& painter, const QRectF& deviceRect)> paint;  // Painting
};

struct TReportBand {
  double height = 0;  // mm, the least height; bands grow with their elements
  std::vector<TReportElement> elements;
  bool Empty() const { return elements.empty() && height <= 0; }
};

struct TReport {
  QString documentName;
  QPageLayout pageLayout = LetterPortrait();
  TReportBand title, pageHeader, detail, pageFooter;
  IRecordSource* source = nullptr;  // not owned; the detail band prints once without one
  int pageLimit = 0;                // 0: no limit

  // Letter, portrait, 6.35 mm margins on all sides.
  static QPageLayout LetterPortrait();
};

// Element helpers for the report definitions.
TReportFont ReportFont(double points, bool bold = false, bool italic = false);
TReportElement Label(double left, double top, const QString& text, TReportFont font = {});
TReportElement RightLabel(double rightEdge, double top, const QString& text, TReportFont font = {});
TReportElement CentredLabel(double left, double width, double top, const QString& text, TReportFont font = {});
TReportElement TextBlock(double left, double top, double width, const QString& text, TReportFont font = {});
TReportElement Rule(double left, double top, double length, double penPoints = 0.75);
TReportElement Frame(double left, double top, double width, double height, double penPoints = 0.75);

}  // namespace marvessa
