#include "engine/blob/blob_format.h"

#include <cstring>

#include "engine/file/le.h"

namespace isam {

TBlobHeader DecodeBlobHeader(const uint8_t* raw) {
  TBlobHeader header;
  header.counter = GetU32(raw + kBlobCounterAt);
  header.version = raw[kBlobVersionAt];
  header.freeHead = GetU32(raw + kBlobFreeHeadAt);
  header.endOffset = GetU32(raw + kBlobEndOffsetAt);
  return header;
}

void EncodeBlobHeader(const TBlobHeader& header, bool modifiedFlag, uint8_t* raw) {
  std::memset(raw, 0, kBlobHeaderSize);
  PutU32(raw + kBlobCounterAt, header.counter);
  raw[kBlobVersionAt] = header.version;
  PutU32(raw + kBlobFreeHeadAt, header.freeHead);
  PutU32(raw + kBlobEndOffsetAt, header.endOffset);
  raw[kBlobModifiedFlagAt] = modifiedFlag ? 1 : 0;
}

TBlockHeader DecodeBlockHeader(const uint8_t* raw) {
  TBlockHeader header;
  header.prev = GetU32(raw + kBlockPrevAt);
  header.next = GetU32(raw + kBlockNextAt);
  header.used = GetU16(raw + kBlockUsedAt);
  header.owner = GetU32(raw + kBlockOwnerAt);
  header.total = GetU32(raw + kBlockTotalAt);
  return header;
}

void EncodeBlockHeader(const TBlockHeader& header, uint8_t* raw) {
  PutU32(raw + kBlockPrevAt, header.prev);
  PutU32(raw + kBlockNextAt, header.next);
  PutU16(raw + kBlockUsedAt, header.used);
  PutU32(raw + kBlockOwnerAt, header.owner);
  PutU32(raw + kBlockTotalAt, header.total);
}

}  // namespace isam
