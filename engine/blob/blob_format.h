#pragma once
// On-disk layout of the blob file (".BLB"): a 512-byte header, then blocks of
// B bytes (the data file header's blob block size, 0 meaning 512). Each value
// is a chain of blocks linked both ways; a record keeps, per blob field, the
// offset of its chain's first block. All integers are little-endian.
//
// Header (512 bytes at offset 0):
//   0    u32  update counter, incremented each time the header is written
//   4    4    zero
//   8    u8   version, always 3
//   9    u32  head of the free-block list (0 = empty)
//   13   u32  end offset: where the next new block is appended (512 when empty)
//   17   u8   the writer's header-modified flag; ignored on reading
//   18   494  zero
//
// Block (B bytes at its offset; the first block lies at 512):
//   0    u32  offset of the previous block of the chain (0 in the first)
//   4    u32  offset of the next block (0 in the last); in a free block the
//             next free block
//   8    u16  data bytes used in this block
//   10   u32  owner: physical record number of the record holding the value
//   14   u32  total length of the value (first block only; 0 in the others)
//   18   B-18 data
//
// In a password-protected table the header, and each block's 18-byte header
// and data area separately, pass through the table cipher (data-block seeds).
#include <cstddef>
#include <cstdint>

namespace isam {

constexpr uint32_t kBlobHeaderSize = 512;
constexpr uint32_t kBlobFirstBlock = 512;
constexpr uint8_t kBlobVersion = 3;
constexpr uint32_t kBlobBlockHeaderSize = 18;
constexpr uint32_t kDefaultBlobBlockSize = 512;
// The smallest and largest block sizes with a usable data area whose used
// count fits the 16-bit field.
constexpr uint32_t kMinBlobBlockSize = kBlobBlockHeaderSize + 1;
constexpr uint32_t kMaxBlobBlockSize = kBlobBlockHeaderSize + 65535;
// No block may be appended at an end offset above this (9479).
constexpr uint32_t kMaxBlobFileOffset = 2000000000u;
// Open values per table.
constexpr size_t kMaxOpenBlobs = 64;
// Operations holding one cached block at the same time.
constexpr uint16_t kMaxBlockUses = 64;
// Cache sizing: capacity min(262140 / B, 4096) blocks, read-ahead 65535 / B
// blocks per file read, growth by 256 blocks while the table lock is held.
constexpr uint32_t kBlobCacheBytes = 262140;
constexpr uint32_t kBlobCacheMaxBlocks = 4096;
constexpr uint32_t kBlobReadAheadBytes = 65535;
constexpr uint32_t kBlobCacheGrowth = 256;
// Times an operation starts over after other users' changes before it gives
// up with a lock failure (normally once: the check leaves the read lock held).
constexpr int kBlobMaxRestarts = 16;

constexpr size_t kBlobCounterAt = 0;
constexpr size_t kBlobVersionAt = 8;
constexpr size_t kBlobFreeHeadAt = 9;
constexpr size_t kBlobEndOffsetAt = 13;
constexpr size_t kBlobModifiedFlagAt = 17;

constexpr size_t kBlockPrevAt = 0;
constexpr size_t kBlockNextAt = 4;
constexpr size_t kBlockUsedAt = 8;
constexpr size_t kBlockOwnerAt = 10;
constexpr size_t kBlockTotalAt = 14;

// The header fields the engine uses; every other byte is written as zero.
struct TBlobHeader {
  uint32_t counter = 0;             // update counter
  uint8_t version = kBlobVersion;   // must be 3
  uint32_t freeHead = 0;            // first free block, 0 = none
  uint32_t endOffset = kBlobFirstBlock;  // where the next block is appended
};

// Plain (deciphered) images.
TBlobHeader DecodeBlobHeader(const uint8_t* raw);
// Fills all 512 bytes; modifiedFlag goes to offset 17.
void EncodeBlobHeader(const TBlobHeader& header, bool modifiedFlag, uint8_t* raw);

// The unpacked 18-byte block header.
struct TBlockHeader {
  uint32_t prev = 0;   // previous block of the chain, 0 in the first
  uint32_t next = 0;   // next block (or next free block), 0 in the last
  uint16_t used = 0;   // data bytes used in this block
  uint32_t owner = 0;  // record number owning the chain
  uint32_t total = 0;  // value length, first block only
};

TBlockHeader DecodeBlockHeader(const uint8_t* raw);
void EncodeBlockHeader(const TBlockHeader& header, uint8_t* raw);

// Block size from the data file header's value (0 means 512).
inline uint32_t EffectiveBlobBlockSize(uint32_t stored) {
  return stored == 0 ? kDefaultBlobBlockSize : stored;
}
inline bool ValidBlobBlockSize(uint32_t blockSize) {
  return blockSize >= kMinBlobBlockSize && blockSize <= kMaxBlobBlockSize;
}

}  // namespace isam
