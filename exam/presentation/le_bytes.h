#pragma once
// Little-endian fields of picture file headers, read from bytes whose
// length the caller has checked.
#include <QByteArray>
#include <cstdint>

namespace marvessa {

inline uint16_t Le16(const QByteArray& b, qsizetype at) {
  return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}
inline uint32_t Le32(const QByteArray& b, qsizetype at) {
  return Le16(b, at) | uint32_t(Le16(b, at + 2)) << 16;
}
inline void PutLe32(QByteArray& b, qsizetype at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace marvessa
