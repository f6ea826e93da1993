#pragma once
// TIsamBlobStream: a byte stream over one blob field (memo, graphic, binary)
// of a table cursor's current record.
//
// The value is opened in the data file's blob layer when the stream starts
// (unless this buffer modified the field already, in which case it is open).
// Writing needs the table in edit or insert state and a writable field; a
// write stream empties the value first. Closing a written stream marks the
// field modified (posting the record saves it); closing a stream over an
// unmodified field releases the value's buffer.
//
// Reading past the end only shortens a read; an offset beyond the value
// reads nothing. Positions are 32-bit.
#include <cstdint>

namespace isam {

class TIsamField;
class TIsamTable;

enum class TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TIsamBlobStream {
 public:
  TIsamBlobStream(TIsamField& field, TBlobStreamMode mode);
  ~TIsamBlobStream();  // closes
  TIsamBlobStream(const TIsamBlobStream&) = delete;
  TIsamBlobStream& operator=(const TIsamBlobStream&) = delete;

  // Copies up to count bytes from the position; returns the count copied.
  uint32_t Read(void* buffer, uint32_t count);
  // Writes at the position (the value grows as needed); returns count.
  uint32_t Write(const void* buffer, uint32_t count);
  // Returns the new position (never below 0).
  uint32_t Seek(int64_t offset, TSeekOrigin origin);
  uint32_t Position() const { return position_; }
  uint32_t Size() const;
  // Cuts the value at the position.
  void Truncate();
  void Close();

 private:
  // One stream operation: the table's session made current, and a read frame
  // so that the read lock a disk read takes ends with the operation.
  class Operation;

  TIsamField& field_;
  TIsamTable& table_;
  TBlobStreamMode mode_;
  uint32_t position_ = 0;
  bool open_ = false;
  bool written_ = false;
};

}  // namespace isam
