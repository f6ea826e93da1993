// Windows metafiles through libwmf's gd back end, which draws them into a
// true-colour image with the URW base fonts standing in for the Windows ones.
//
// libwmf trusts the file more than we do, so the bytes are checked first:
// the optional placeable header, the metafile header, and a walk over the
// records that every record's size keeps inside the file. Only then does
// libwmf see them, only at a size the limits allow, and only in a child
// process (isolated_call.h): its record decoders are not safe against a
// hostile file, and no check of ours could stand in for them.
#include "exam/presentation/picture_loader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "exam/presentation/isolated_call.h"
#include "exam/presentation/le_bytes.h"

// After Qt's headers: libwmf defines short macro names that Qt's would trip on.
#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace marvessa {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableHeaderBytes = 22;
constexpr int kMetaHeaderBytes = 18;
constexpr int kRecordHeaderBytes = 6;  // size in 16-bit words (4), function (2)
constexpr int kDisplayDpi = 96;

[[noreturn]] void Invalid() { throw EPictureError(kMetafileInvalid); }

// What the checks found out about a metafile.
struct TWmfLayout {
  QSize declared;             // from a placeable header, else empty
  qsizetype header = 0;       // offset of the metafile header
  uint32_t words = 0;         // the header and records that were walked
  uint32_t largestRecord = 0; // in words
};

// The byte layout that libwmf will read: [placeable header] metafile header
// (type 1 memory or 2 disk, header size 9 words, version 0x100 or 0x300)
// and records of at least three words up to the end-of-file record (function
// 0) or the end of the bytes. The size that a placeable header declares
// (its bounds in units of 1/inch inch) is rounded to pixels.
TWmfLayout CheckStructure(const QByteArray& bytes) {
  TWmfLayout layout;
  qsizetype at = 0;
  if (bytes.size() >= 4 && Le32(bytes, 0) == kPlaceableKey) {
    if (bytes.size() < kPlaceableHeaderBytes) Invalid();
    const auto left = int16_t(Le16(bytes, 6)), top = int16_t(Le16(bytes, 8));
    const auto right = int16_t(Le16(bytes, 10)), bottom = int16_t(Le16(bytes, 12));
    const int inch = Le16(bytes, 14);
    if (inch == 0) Invalid();
    const qint64 width = (qAbs(qint64(right) - left) * kDisplayDpi + inch / 2) / inch;
    const qint64 height = (qAbs(qint64(bottom) - top) * kDisplayDpi + inch / 2) / inch;
    if (!PictureSizeAllowed(width, height)) Invalid();
    layout.declared = QSize(int(width), int(height));
    at = kPlaceableHeaderBytes;
  }
  layout.header = at;
  if (bytes.size() - at < kMetaHeaderBytes) Invalid();
  const uint16_t type = Le16(bytes, at), headerWords = Le16(bytes, at + 2), version = Le16(bytes, at + 4);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300)) Invalid();
  at += kMetaHeaderBytes;
  while (at < bytes.size()) {
    if (bytes.size() - at < kRecordHeaderBytes) Invalid();
    const uint32_t words = Le32(bytes, at);
    if (words < 3 || words > uint32_t(bytes.size() - at) / 2) Invalid();
    layout.largestRecord = std::max(layout.largestRecord, words);
    const bool last = Le16(bytes, at + 4) == 0;  // the end-of-file record
    at += qsizetype(words) * 2;
    if (last) break;
  }
  layout.words = uint32_t((at - layout.header) / 2);
  return layout;
}

struct TApiCloser {
  void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};

// A FILE that writes into memory, for the PNG the gd back end writes.
class TMemoryFile {
 public:
  TMemoryFile() : file_(open_memstream(&data_, &size_)) {}
  ~TMemoryFile() {
    Close();
    std::free(data_);
  }
  TMemoryFile(const TMemoryFile&) = delete;
  TMemoryFile& operator=(const TMemoryFile&) = delete;
  FILE* File() const { return file_; }
  // Closes the file; its bytes are complete then.
  QByteArray Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    return data_ ? QByteArray(data_, qsizetype(size_)) : QByteArray();
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};

// Draws the metafile and returns it as PNG (in the child process).
QByteArray RenderPng(const QByteArray& bytes, const TWmfLayout& layout) {
  // libwmf allocates by the header's file size and largest record before it
  // reads a record: the copy it reads states both as they were walked. The
  // copy, and the PNG that the device writes when it closes, outlive the API.
  QByteArray copy = bytes;
  PutLe32(copy, layout.header + 6, layout.words);
  PutLe32(copy, layout.header + 12, layout.largestRecord);
  TMemoryFile png;
  if (!png.File()) Invalid();
  wmfAPI_Options options{};
  options.function = wmf_gd_function;
  const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  wmfAPI* raw = nullptr;
  if (wmf_api_create(&raw, flags, &options) != wmf_E_None) {
    if (raw) wmf_api_destroy(raw);
    Invalid();
  }
  std::unique_ptr<wmfAPI, TApiCloser> api(raw);

  if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(copy.data()), long(copy.size())) != wmf_E_None)
    Invalid();
  wmfD_Rect bounds{};
  if (wmf_scan(api.get(), 0, &bounds) != wmf_E_None) Invalid();
  unsigned int width = 0, height = 0;
  if (layout.declared.isValid()) {
    width = unsigned(layout.declared.width());
    height = unsigned(layout.declared.height());
  } else if (wmf_display_size(api.get(), &width, &height, kDisplayDpi, kDisplayDpi) != wmf_E_None) {
    Invalid();
  }
  if (!PictureSizeAllowed(width, height)) Invalid();

  // The gd back end writes the drawn image as PNG when the device closes and
  // frees it then; an image taken over directly could never be freed (the
  // library does not export gd's destructor).
  wmf_gd_t* device = WMF_GD_GetData(api.get());
  device->type = wmf_gd_png;
  device->width = width;
  device->height = height;
  device->bbox = bounds;
  device->file = png.File();
  device->flags |= WMF_GD_OUTPUT_FILE;
  if (wmf_play(api.get(), 0, &bounds) != wmf_E_None) Invalid();
  api.reset();
  return png.Close();
}

}  // namespace

QImage DecodeWmf(const QByteArray& bytes) {
  const TWmfLayout layout = CheckStructure(bytes);
  QImage image = DrawIsolated([&] { return RenderPng(bytes, layout); }, layout.declared);
  if (image.isNull()) Invalid();
  return image;
}

}  // namespace marvessa
