// Enhanced metafiles through libemf2svg, which turns the records into SVG,
// drawn by Qt's SVG renderer at the picture's size.
//
// As with the Windows metafiles the bytes are checked before the library
// sees them: the header record with its signature and frame, and a walk over
// the records that keeps every record inside the file. The size comes from
// the frame (hundredths of a millimetre) at the screen's 96 dpi. The
// conversion and the drawing of the SVG run in a child process
// (isolated_call.h), as libwmf does: the SVG of a hostile file can take the
// SVG renderer minutes to fill.
#include <emf2svg.h>

#include <QBuffer>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "exam/presentation/picture_loader.h"

#include "exam/presentation/isolated_call.h"
#include "exam/presentation/le_bytes.h"

namespace marvessa {

namespace {

constexpr uint32_t kHeaderRecord = 1;
constexpr uint32_t kEofRecord = 14;
constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr int kHeaderBytes = 88;             // up to the device size in millimetres
constexpr int kDisplayDpi = 96;

[[noreturn]] void Invalid() { throw EPictureError(kMetafileInvalid); }

// The header record (type 1, the signature at offset 40), then records of a
// size of at least 8 bytes, a multiple of 4, inside the file, up to the
// end-of-file record. Returns the size in pixels the frame describes.
QSize CheckStructure(const QByteArray& bytes) {
  if (bytes.size() < kHeaderBytes || Le32(bytes, 0) != kHeaderRecord || Le32(bytes, 40) != kSignature) Invalid();
  const qint64 frameLeft = int32_t(Le32(bytes, 24)), frameTop = int32_t(Le32(bytes, 28));
  const qint64 frameRight = int32_t(Le32(bytes, 32)), frameBottom = int32_t(Le32(bytes, 36));
  // The frame is inclusive-inclusive, in 0.01 mm.
  const qint64 width = ((frameRight - frameLeft) * kDisplayDpi + 1270) / 2540;
  const qint64 height = ((frameBottom - frameTop) * kDisplayDpi + 1270) / 2540;
  if (!PictureSizeAllowed(width, height)) Invalid();
  bool ended = false;
  for (qsizetype at = 0; at < bytes.size() && !ended;) {
    if (bytes.size() - at < 8) Invalid();
    const uint32_t size = Le32(bytes, at + 4);
    if (size < 8 || size % 4 != 0 || size > uint64_t(bytes.size() - at)) Invalid();
    ended = Le32(bytes, at) == kEofRecord;
    at += qsizetype(size);
  }
  if (!ended) Invalid();
  return {int(width), int(height)};
}

struct TFree {
  void operator()(char* p) const { std::free(p); }
};

// The metafile drawn and encoded as PNG (in the child process).
QByteArray DrawPng(const QByteArray& bytes, QSize size) {
  generatorOptions options{};
  char svgNamespace[] = "";
  options.nameSpace = svgNamespace;
  options.svgDelimiter = true;
  options.emfplus = false;  // the plain records that every writer adds suffice
  options.imgWidth = size.width();
  options.imgHeight = size.height();
  QByteArray copy = bytes;  // the converter's interface is not const
  char* out = nullptr;
  size_t outLength = 0;
  const int converted = emf2svg(copy.data(), size_t(copy.size()), &out, &outLength, &options);
  std::unique_ptr<char, TFree> svg(out);
  if (!converted || !svg || outLength == 0) Invalid();

  QSvgRenderer renderer(QByteArray(svg.get(), qsizetype(outLength)));
  if (!renderer.isValid()) Invalid();
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) Invalid();
  image.fill(Qt::transparent);
  QPainter painter(&image);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  painter.end();
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "png")) Invalid();
  return png;
}

}  // namespace

QImage DecodeEmf(const QByteArray& bytes) {
  const QSize size = CheckStructure(bytes);
  QImage image = DrawIsolated([&] { return DrawPng(bytes, size); }, size);
  if (image.isNull()) Invalid();
  return image;
}

}  // namespace marvessa
