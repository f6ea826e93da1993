#include "exam/presentation/picture_loader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace marvessa {

namespace {

[[noreturn]] void UnknownExtension(const QString& extension) {
  throw EPictureError(QString("Unknown picture file extension (.%1)").arg(extension));
}

// A raster picture through Qt's reader for `format` (null: by content).
// The declared size is checked before any pixel is allocated.
QImage ReadRaster(const QByteArray& bytes, const char* format, const char* invalid) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  if (format) {
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
  }
  if (!reader.canRead()) throw EPictureError(invalid);
  const QSize declared = reader.size();
  if (declared.isValid() && !PictureSizeAllowed(declared.width(), declared.height()))
    throw EPictureError(invalid);
  QImage image = reader.read();
  if (image.isNull() || !PictureSizeAllowed(image.width(), image.height())) throw EPictureError(invalid);
  return image;
}

}  // namespace

bool PictureSizeAllowed(qint64 width, qint64 height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

TPictureFormat PictureFormatOf(const QString& fileName) {
  const QString name = QFileInfo(fileName).fileName();
  const qsizetype dot = name.lastIndexOf('.');
  if (dot < 0) return TPictureFormat::Generic;
  const QString extension = name.mid(dot + 1);
  const QString lower = extension.toLower();
  if (lower == "bmp") return TPictureFormat::Bitmap;
  if (lower == "ico") return TPictureFormat::Icon;
  if (lower == "wmf") return TPictureFormat::Metafile;
  if (lower == "emf") return TPictureFormat::EnhancedMetafile;
  UnknownExtension(extension);
}

QImage DecodePicture(TPictureFormat format, const QByteArray& bytes) {
  switch (format) {
    case TPictureFormat::Bitmap: return ReadRaster(bytes, "bmp", kBitmapInvalid);
    case TPictureFormat::Icon: return ReadRaster(bytes, "ico", kIconInvalid);
    case TPictureFormat::Metafile: return DecodeWmf(bytes);
    case TPictureFormat::EnhancedMetafile: return DecodeEmf(bytes);
    case TPictureFormat::Generic: break;
  }
  // Content the generic reader does not know has no format to name.
  try {
    return ReadRaster(bytes, nullptr, "");
  } catch (const EPictureError&) {
    UnknownExtension("");
  }
}

QImage LoadPicture(const QString& fileName) {
  const TPictureFormat format = PictureFormatOf(fileName);
  QFile file(fileName);
  if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
    throw EPictureError(QString("Cannot open file %1").arg(fileName));
  // A file larger than any picture is read no further than the limit; the
  // decoder then finds it cut short.
  const QByteArray bytes = file.read(kMaxPictureFileBytes + 1);
  if (file.error() != QFileDevice::NoError) throw EPictureError(QString("Cannot open file %1").arg(fileName));
  if (bytes.size() > kMaxPictureFileBytes) return DecodePicture(format, QByteArray());
  return DecodePicture(format, bytes);
}

}  // namespace marvessa
