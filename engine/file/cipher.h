#pragma once
// The table cipher of password-protected tables. Each byte becomes
// byte ^ x ^ y, then x grows and y shrinks by one (mod 256); every buffer
// starts again from the seeds, so the same call enciphers and deciphers.
#include <cstddef>
#include <cstdint>

namespace isam {

struct CipherParameters {
  uint8_t x;
  uint8_t y;
};

// Records, field descriptors, index pages and header, blob blocks and header.
inline constexpr CipherParameters kDataBlockCipher{0xA7, 0x3D};
// The password characters in the data file header.
inline constexpr CipherParameters kPasswordCipher{0x5C, 0xE1};

// Enciphers or deciphers a buffer in place. The length is a 16-bit count in
// the file format; callers never pass more than 65 535 bytes at once.
inline void ApplyCipher(void* buffer, size_t length, CipherParameters seeds) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  uint8_t x = seeds.x, y = seeds.y;
  for (size_t i = 0; i < length; ++i) {
    bytes[i] = static_cast<uint8_t>(bytes[i] ^ x ^ y);
    ++x;
    --y;
  }
}

}  // namespace isam
