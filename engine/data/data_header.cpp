#include "engine/data/data_header.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "engine/file/cipher.h"
#include "engine/file/le.h"

namespace isam {

TDataHeader TDataHeader::Decode(const uint8_t* b) {
  TDataHeader h;
  std::memcpy(h.raw.data(), b, kDataHeaderSize);
  h.updateCounter = GetU32(b + 0);
  h.blobBlockSize = GetU32(b + 4);
  h.version = b[8];
  h.freeHead = GetU32(b + 9);
  h.nextRecord = GetU32(b + 13);
  h.lastAutoIncrement = GetU32(b + 17);
  h.recordSize = GetU16(b + 21);
  h.fieldCount = GetU16(b + 23);
  h.hasBlobs = GetU16(b + 25) != 0;
  h.timeStamp = GetF64(b + 27);
  h.hasPassword = b[86] != 0;
  uint8_t passwordChars[15];
  size_t length = std::min<size_t>(b[87], 15);
  std::memcpy(passwordChars, b + 88, length);
  ApplyCipher(passwordChars, length, kPasswordCipher);
  h.password.assign(reinterpret_cast<const char*>(passwordChars), length);
  h.languageId = GetU16(b + 103);
  h.sortId = GetU16(b + 105);
  h.mustBeZero = GetU16(b + 111);
  return h;
}

void TDataHeader::Encode(uint8_t* bytes, bool headerChanged) {
  uint8_t* b = raw.data();
  PutU32(b + 0, updateCounter);
  PutU32(b + 4, blobBlockSize);
  b[8] = version;
  PutU32(b + 9, freeHead);
  PutU32(b + 13, nextRecord);
  PutU32(b + 17, lastAutoIncrement);
  PutU16(b + 21, recordSize);
  PutU16(b + 23, fieldCount);
  PutU16(b + 25, hasBlobs ? 1 : 0);
  PutF64(b + 27, timeStamp);
  b[86] = hasPassword ? 1 : 0;
  size_t length = std::min<size_t>(password.size(), 15);
  std::memset(b + 87, 0, 16);
  b[87] = static_cast<uint8_t>(length);
  std::memcpy(b + 88, password.data(), length);
  ApplyCipher(b + 88, length, kPasswordCipher);
  PutU16(b + 103, languageId);
  PutU16(b + 105, sortId);
  PutU16(b + 111, mustBeZero);
  b[113] = headerChanged ? 1 : 0;
  std::memcpy(bytes, b, kDataHeaderSize);
}

double HeaderTimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // Days from 1899-12-30 to 1970-01-01 are 25569.
  std::tm utcLike = local;
  double seconds = static_cast<double>(timegm(&utcLike));
  double days = 25569.0 + seconds / 86400.0;
  return days - 693594.0;
}

}  // namespace isam
