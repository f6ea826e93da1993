#pragma once
// Loading an exhibit picture from its file. The format follows the file
// name's extension, letter case ignored: "bmp" and "ico" through Qt's image
// readers, "wmf" through libwmf, "emf" through libemf2svg and Qt's SVG
// renderer. A name without an extension goes to Qt's generic reader, which
// looks at the content. Every picture comes back as an image of its own size
// in pixels; a metafile is drawn at the screen resolution of 96 dpi.
//
// A failure raises EPictureError with the text the candidate sees. Damaged
// or hostile files (truncated, absurd declared sizes, bad records) fail
// with their format's message; no declared size is trusted before it has
// been checked against the limits below.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <stdexcept>

namespace marvessa {

class EPictureError : public std::runtime_error {
 public:
  explicit EPictureError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

inline constexpr const char* kBitmapInvalid = "Bitmap image is not valid";
inline constexpr const char* kIconInvalid = "Icon image is not valid";
inline constexpr const char* kMetafileInvalid = "Metafile is not valid";

// The largest picture file read, and the largest picture drawn: more than
// any screen shows, far less than would exhaust memory.
inline constexpr qint64 kMaxPictureFileBytes = 64 * 1024 * 1024;
inline constexpr int kMaxPictureSide = 16384;
inline constexpr qint64 kMaxPicturePixels = qint64(8192) * 8192;

// The metafile decoders run in a child process (isolated_call.h) for at
// most this long, and hand back at most this much.
inline constexpr int kDecoderTimeLimitMs = 5000;
inline constexpr qint64 kMaxDecoderOutputBytes = 128 * 1024 * 1024;

enum class TPictureFormat { Bitmap, Icon, Metafile, EnhancedMetafile, Generic };

// The format for a file name; raises "Unknown picture file extension (.%s)"
// for any other extension.
TPictureFormat PictureFormatOf(const QString& fileName);

// Reads and decodes the file; raises "Cannot open file %s" when it cannot
// be read.
QImage LoadPicture(const QString& fileName);

// The decoders by format, on the file's bytes.
QImage DecodePicture(TPictureFormat format, const QByteArray& bytes);
QImage DecodeWmf(const QByteArray& bytes);
QImage DecodeEmf(const QByteArray& bytes);

// Whether a width and height in pixels lie within the limits above.
bool PictureSizeAllowed(qint64 width, qint64 height);

}  // namespace marvessa
