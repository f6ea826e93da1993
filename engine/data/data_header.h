#pragma once
// The 127-byte header of a data file. It is read and written as one block;
// the bytes the engine does not use are written back as they were read.
//
//   0   u32  update counter (+1 at every header write; 0 when emptied)
//   4   u32  blob block size (0 = 512)
//   8   u8   format version, must be 3
//   9   u32  head of the free-slot list (0 = none)
//   13  u32  next record number (slot count + 1)
//   17  u32  last auto-increment value handed out
//   21  u16  record size R
//   23  u16  field count F
//   25  u16  non-zero: the table has blob fields (and a blob file)
//   27  f64  moment of the last header write (days since 1899-12-30, - 693594)
//   35  51   unused
//   86  u8   non-zero: the table has a password (records, descriptors, index
//            and blob files enciphered)
//   87  16   password: length byte (<= 15) + characters enciphered with the
//            password parameters
//   103 u16  language id (0 = no locale)   105 u16 sort id
//   107 4    unused   111 u16 must be 0
//   113 u8   writer's header-changed flag at the moment of writing
//   114 13   unused
#include <array>
#include <cstdint>
#include <string>

#include "engine/file/field_desc.h"

namespace isam {

constexpr uint8_t kFormatVersion = 3;

struct TDataHeader {
  std::array<uint8_t, kDataHeaderSize> raw{};

  uint32_t updateCounter = 0;
  uint32_t blobBlockSize = 0;
  uint8_t version = 0;
  uint32_t freeHead = 0;
  uint32_t nextRecord = 1;
  uint32_t lastAutoIncrement = 0;
  uint16_t recordSize = 0;
  uint16_t fieldCount = 0;
  bool hasBlobs = false;
  double timeStamp = 0;  // see HeaderTimeStamp
  bool hasPassword = false;
  std::string password;  // plain
  uint16_t languageId = 0;
  uint16_t sortId = 0;
  uint16_t mustBeZero = 0;

  uint32_t SlotCount() const { return nextRecord - 1; }
  uint32_t BlockSize() const { return blobBlockSize == 0 ? 512 : blobBlockSize; }

  static TDataHeader Decode(const uint8_t* bytes);
  // Lays the fields over the raw image (unused bytes kept) and copies it out;
  // headerChanged is the writer's flag stored at offset 113.
  void Encode(uint8_t* bytes, bool headerChanged);
};

// The moment stored at offset 27: the local date and time as days since
// 30 December 1899, minus 693594.
double HeaderTimeStamp();

}  // namespace isam
