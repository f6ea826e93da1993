#pragma once
// The record buffer a table cursor hands out, and its key buffers.
//
// Record buffer layout:
//   0                     record image, exactly as in the data file (R bytes)
//   R                     calculated fields: per field a null-flag byte + data
//   R + C                 record information (8 bytes):
//                           0  i32  record number (-1 for a new record)
//                           4  u8   bookmark flag (TBookmarkFlag)
//                           5  3 bytes unused
//   R + C + 8             bookmark (bookmark size bytes, from the data file)
//
// Key buffer layout: an 8-byte header (byte 0: modified flag; u32 at 4: the
// number of key fields assigned), then a record image.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file/le.h"

namespace isam {

enum TBookmarkFlag : uint8_t {
  bfCurrent = 0,   // the buffer holds a record of the view
  bfBOF = 1,       // before the first record (empty view)
  bfEOF = 2,       // after the last record (empty view)
  bfInserted = 3,  // a new record, not yet posted
};

inline constexpr size_t kRecordInfoSize = 8;
inline constexpr size_t kKeyHeaderSize = 8;
inline constexpr int kKeyBufferCount = 6;

class TRecordBuffer {
 public:
  void Layout(size_t recordSize, size_t calcSize, size_t bookmarkSize) {
    recordSize_ = recordSize;
    calcSize_ = calcSize;
    bookmarkSize_ = bookmarkSize;
    bytes_.assign(recordSize + calcSize + kRecordInfoSize + bookmarkSize, 0);
  }
  void Free() { bytes_.clear(); bytes_.shrink_to_fit(); }

  uint8_t* Image() { return bytes_.data(); }
  const uint8_t* Image() const { return bytes_.data(); }
  uint8_t* Calc() { return bytes_.data() + recordSize_; }
  size_t Size() const { return bytes_.size(); }

  int32_t RecordNumber() const { return GetI32(Info()); }
  void SetRecordNumber(int32_t number) { PutI32(Info(), number); }
  TBookmarkFlag Flag() const { return static_cast<TBookmarkFlag>(Info()[4]); }
  void SetFlag(TBookmarkFlag flag) { Info()[4] = flag; }

  // The bookmark bytes (the data file's bookmark, cut or zero-padded).
  std::string Bookmark() const {
    return std::string(reinterpret_cast<const char*>(Info() + kRecordInfoSize), bookmarkSize_);
  }
  void SetBookmark(std::string_view bookmark) {
    uint8_t* at = Info() + kRecordInfoSize;
    std::memset(at, 0, bookmarkSize_);
    std::memcpy(at, bookmark.data(), std::min(bookmark.size(), bookmarkSize_));
  }

  // Every byte zero, then the record information of an empty view.
  void ClearAs(TBookmarkFlag flag) {
    std::fill(bytes_.begin(), bytes_.end(), 0);
    SetRecordNumber(flag == bfInserted ? -1 : 0);
    SetFlag(flag);
  }

 private:
  uint8_t* Info() { return bytes_.data() + recordSize_ + calcSize_; }
  const uint8_t* Info() const { return bytes_.data() + recordSize_ + calcSize_; }

  std::vector<uint8_t> bytes_;
  size_t recordSize_ = 0;
  size_t calcSize_ = 0;
  size_t bookmarkSize_ = 0;
};

class TKeyBuffer {
 public:
  void Layout(size_t recordSize) { bytes_.assign(kKeyHeaderSize + recordSize, 0); }
  void Free() { bytes_.clear(); }
  void Clear() { std::fill(bytes_.begin(), bytes_.end(), 0); }

  bool Modified() const { return bytes_[0] != 0; }
  void SetModified(bool modified) { bytes_[0] = modified ? 1 : 0; }
  uint32_t FieldCount() const { return GetU32(bytes_.data() + 4); }
  void SetFieldCount(uint32_t count) { PutU32(bytes_.data() + 4, count); }
  uint8_t* Image() { return bytes_.data() + kKeyHeaderSize; }
  const uint8_t* Image() const { return bytes_.data() + kKeyHeaderSize; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace isam
