#pragma once
// Little-endian integers and doubles in file images.
#include <cstdint>
#include <cstring>

namespace isam {

inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int16_t GetI16(const uint8_t* p) { return static_cast<int16_t>(GetU16(p)); }
inline int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
inline uint64_t GetU64(const uint8_t* p) { return uint64_t(GetU32(p)) | (uint64_t(GetU32(p + 4)) << 32); }
inline int64_t GetI64(const uint8_t* p) { return static_cast<int64_t>(GetU64(p)); }
inline double GetF64(const uint8_t* p) {
  uint64_t bits = GetU64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void PutU64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void PutI16(uint8_t* p, int16_t v) { PutU16(p, static_cast<uint16_t>(v)); }
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline void PutI64(uint8_t* p, int64_t v) { PutU64(p, static_cast<uint64_t>(v)); }
inline void PutF64(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU64(p, bits);
}

}  // namespace isam
