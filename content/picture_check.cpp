#include "content/picture_check.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdint>

namespace content {
namespace {

uint32_t U16(std::string_view f, size_t at) {
  return static_cast<unsigned char>(f[at]) | static_cast<unsigned char>(f[at + 1]) << 8;
}
uint32_t U32(std::string_view f, size_t at) { return U16(f, at) | U16(f, at + 2) << 16; }
int32_t I32(std::string_view f, size_t at) { return static_cast<int32_t>(U32(f, at)); }

// Walks an RLE4/RLE8 stream to its end-of-bitmap mark, keeping every run
// inside the picture.
std::string WalkRle(std::string_view data, int bits, int64_t width, int64_t height) {
  size_t at = 0;
  int64_t x = 0, y = 0;
  while (at + 2 <= data.size()) {
    const unsigned count = static_cast<unsigned char>(data[at]);
    const unsigned value = static_cast<unsigned char>(data[at + 1]);
    at += 2;
    if (count > 0) {
      x += count;
    } else if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      return at == data.size() ? "" : "bytes after the end-of-bitmap mark";
    } else if (value == 2) {
      if (at + 2 > data.size()) break;
      x += static_cast<unsigned char>(data[at]);
      y += static_cast<unsigned char>(data[at + 1]);
      at += 2;
    } else {
      const size_t bytes = bits == 8 ? value : (value + 1) / 2;
      at += bytes + (bytes % 2);
      x += value;
    }
    if (x > width || y > height) return "run outside the picture";
  }
  return "the compressed pixels end without an end-of-bitmap mark";
}

// Palette entries that follow a BITMAPINFOHEADER-style header at `at`.
uint64_t PaletteEntries(std::string_view f, size_t at, unsigned bits) {
  const uint32_t used = U32(f, at + 32);
  if (bits > 8) return used;
  return used != 0 ? used : (uint64_t{1} << bits);
}

uint64_t Stride(int64_t width, unsigned bits) { return ((width * bits + 31) / 32) * 4; }

}  // namespace

std::string CheckBitmap(std::string_view f) {
  if (f.size() < 54 || f.substr(0, 2) != "BM") return "no bitmap file header";
  if (U32(f, 2) != f.size()) return "file size in the header differs from the file's size";
  const uint32_t offBits = U32(f, 10);
  const uint32_t infoSize = U32(f, 14);
  if (infoSize != 40 && infoSize != 108 && infoSize != 124) return "unknown bitmap info header size";
  if (14 + uint64_t{infoSize} > f.size()) return "bitmap info header runs past the end";
  const int64_t width = I32(f, 18), height = I32(f, 22);
  const unsigned planes = U16(f, 26), bits = U16(f, 28), compression = U32(f, 30);
  if (width <= 0 || height == 0 || width > 4096 || std::abs(height) > 4096) return "implausible size";
  if (planes != 1) return "planes must be 1";
  const bool bitsOk = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (!bitsOk) return "unsupported bit count";
  if (compression == 1 && bits != 8) return "RLE8 needs 8 bits per pixel";
  if (compression == 2 && bits != 4) return "RLE4 needs 4 bits per pixel";
  if (compression == 3 && bits != 16 && bits != 32) return "bit fields need 16 or 32 bits per pixel";
  if (compression > 3) return "unsupported compression";
  const uint64_t masks = (compression == 3 && infoSize == 40) ? 12 : 0;
  const uint64_t palette = PaletteEntries(f, 14, bits);
  if (bits <= 8 && palette > (uint64_t{1} << bits)) return "palette larger than the bit count allows";
  if (14 + infoSize + masks + 4 * palette > offBits) return "palette overlaps the pixels";
  if (offBits > f.size()) return "pixel offset past the end";
  const std::string_view pixels = f.substr(offBits);
  if (compression == 1 || compression == 2) {
    if (height < 0) return "compressed bitmaps must be bottom-up";
    return WalkRle(pixels, bits, width, height);
  }
  if (Stride(width, bits) * std::abs(height) > pixels.size()) return "pixel data shorter than the picture";
  return "";
}

std::string CheckIcon(std::string_view f) {
  if (f.size() < 6 || U16(f, 0) != 0 || U16(f, 2) != 1) return "no icon directory";
  const unsigned count = U16(f, 4);
  if (count == 0) return "icon without images";
  if (6 + 16 * uint64_t{count} > f.size()) return "icon directory runs past the end";
  uint64_t end = 0;
  for (unsigned i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * i;
    const unsigned width = static_cast<unsigned char>(f[entry]) ? static_cast<unsigned char>(f[entry]) : 256;
    const unsigned height =
        static_cast<unsigned char>(f[entry + 1]) ? static_cast<unsigned char>(f[entry + 1]) : 256;
    const uint64_t bytes = U32(f, entry + 8), offset = U32(f, entry + 12);
    if (offset < 6 + 16 * uint64_t{count} || offset + bytes > f.size()) return "image outside the file";
    end = std::max(end, offset + bytes);
    const std::string_view image = f.substr(offset, bytes);
    if (image.substr(0, 8) == "\x89PNG\r\n\x1a\n") continue;
    if (image.size() < 40 || U32(image, 0) != 40) return "image without a bitmap info header";
    if (I32(image, 4) != static_cast<int32_t>(width) || I32(image, 8) != static_cast<int32_t>(2 * height)) {
      return "image size differs from its directory entry (the height must be doubled)";
    }
    const unsigned bits = U16(image, 14);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return "unsupported bit count";
    if (U32(image, 16) != 0) return "icon images must not be compressed";
    const uint64_t need = 40 + 4 * PaletteEntries(image, 0, bits) + Stride(width, bits) * height +
                          Stride(width, 1) * height;
    if (need > image.size()) return "image shorter than its pixels and mask";
  }
  return end == f.size() ? "" : "bytes after the last image";
}

std::string CheckWindowsMetafile(std::string_view f) {
  size_t at = 0;
  if (f.size() >= 22 && U32(f, 0) == 0x9AC6CDD7) {
    uint32_t sum = 0;
    for (size_t k = 0; k < 20; k += 2) sum ^= U16(f, k);
    if (sum != U16(f, 20)) return "placeable header checksum is wrong";
    if (static_cast<int16_t>(U16(f, 10)) <= static_cast<int16_t>(U16(f, 6)) ||
        static_cast<int16_t>(U16(f, 12)) <= static_cast<int16_t>(U16(f, 8))) {
      return "empty placeable bounding box";
    }
    if (U16(f, 14) == 0) return "placeable header without units per inch";
    at = 22;
  }
  if (f.size() < at + 18) return "no metafile header";
  const unsigned type = U16(f, at), headerWords = U16(f, at + 2), version = U16(f, at + 4);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) {
    return "bad metafile header";
  }
  if (uint64_t{U32(f, at + 6)} * 2 != f.size() - at) return "metafile size differs from the file's size";
  const unsigned objects = U16(f, at + 10);
  const uint32_t maxRecord = U32(f, at + 12);
  at += 18;
  while (at + 6 <= f.size()) {
    const uint64_t words = U32(f, at);
    const unsigned function = U16(f, at + 4);
    if (words < 3 || at + 2 * words > f.size()) return "record size outside the file";
    if (words > maxRecord) return "record larger than the header's largest record";
    if (function == 0x012D && U16(f, at + 6) >= objects) return "selects an object outside the object table";
    at += 2 * words;
    if (function == 0) return at == f.size() ? "" : "bytes after the end-of-file record";
  }
  return "records end without an end-of-file record";
}

std::string CheckEnhancedMetafile(std::string_view f) {
  if (f.size() < 88 || U32(f, 0) != 1) return "no enhanced metafile header";
  const uint32_t headerSize = U32(f, 4);
  if (headerSize < 88 || headerSize % 4 != 0 || headerSize > f.size()) return "bad header size";
  if (U32(f, 40) != 0x464D4520) return "signature is not \" EMF\"";
  if (U32(f, 48) != f.size()) return "size in the header differs from the file's size";
  if (I32(f, 24) >= I32(f, 32) || I32(f, 28) >= I32(f, 36)) return "empty picture frame";
  const uint32_t records = U32(f, 52);
  const unsigned handles = U16(f, 56);
  uint32_t walked = 0;
  size_t at = 0;
  while (at + 8 <= f.size()) {
    const uint32_t type = U32(f, at), size = U32(f, at + 4);
    if (size < 8 || size % 4 != 0 || at + size > f.size()) return "record size outside the file";
    if (walked > 0 && type == 1) return "second header record";
    // Object-creating records name their handle first; 0 is the metafile itself.
    const bool creates = type == 38 || type == 39 || type == 82;
    if (creates && (size < 12 || U32(f, at + 8) == 0 || U32(f, at + 8) >= handles)) {
      return "object handle outside the handle table";
    }
    ++walked;
    at += size;
    if (type == 14) {
      if (at != f.size()) return "bytes after the end-of-file record";
      return walked == records ? "" : "record count differs from the header";
    }
  }
  return "records end without an end-of-file record";
}

std::string CheckPicture(std::string_view name, std::string_view file) {
  const size_t dot = name.rfind('.');
  std::string ext(dot == std::string_view::npos ? "" : name.substr(dot + 1));
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == "bmp") return CheckBitmap(file);
  if (ext == "ico") return CheckIcon(file);
  if (ext == "wmf") return CheckWindowsMetafile(file);
  if (ext == "emf") return CheckEnhancedMetafile(file);
  return "extension is not one of bmp, ico, wmf, emf";
}

}  // namespace content
