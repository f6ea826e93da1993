#include "engine/blob/blob_verify.h"

#include <string>
#include <unordered_map>

#include "engine/blob/blob_file.h"
#include "engine/file/error_codes.h"

namespace isam {
namespace {

// Which chain (index into the references) holds each block; kFree for the
// free list, kNobody for neither.
constexpr int kNobody = -1;
constexpr int kFree = -2;
// Lost blocks are listed one by one up to this many, then counted.
constexpr size_t kLostListed = 20;

std::string Where(const TBlobReference& ref) {
  return "record " + std::to_string(ref.record) + " field " + std::to_string(ref.field);
}

}  // namespace

int VerifyBlobFile(TBlobFile& file, const std::vector<TBlobReference>& references,
                   std::vector<std::string>* problems) {
  problems->clear();
  auto problem = [&](std::string text) { problems->push_back(std::move(text)); };
  const TBlobHeader& header = file.Header();
  const uint32_t blockSize = file.BlockSize();
  const uint32_t area = file.DataAreaSize();

  if (header.version != kBlobVersion) problem("header: version " + std::to_string(header.version));
  uint32_t end = header.endOffset;
  if (end < kBlobFirstBlock || (end - kBlobFirstBlock) % blockSize != 0) {
    problem("header: end offset " + std::to_string(end) + " is not on a block boundary");
  }
  uint64_t fileSize = 0;
  if (int rc = file.Size(&fileSize)) return rc;
  if (fileSize < end) {
    problem("header: end offset " + std::to_string(end) + " lies beyond the end of the file (" +
            std::to_string(fileSize) + " bytes)");
  }
  // Only blocks the header counts and the file holds are looked at.
  uint64_t last = std::min<uint64_t>(end, fileSize);
  size_t blockCount = last > kBlobFirstBlock ? size_t((last - kBlobFirstBlock) / blockSize) : 0;
  std::vector<int> holder(blockCount, kNobody);
  auto indexOf = [&](uint32_t offset) -> long {
    if (offset < kBlobFirstBlock || (offset - kBlobFirstBlock) % blockSize != 0) return -1;
    size_t index = (offset - kBlobFirstBlock) / blockSize;
    return index < blockCount ? long(index) : -1;
  };
  TBlockHeader block;
  std::vector<uint8_t> data;

  for (size_t r = 0; r < references.size(); ++r) {
    const TBlobReference& ref = references[r];
    if (ref.reference == 0) continue;
    if (ref.reference < 0) {
      problem(Where(ref) + ": reference " + std::to_string(ref.reference) +
              " is an open-blob handle");
      continue;
    }
    uint32_t at = uint32_t(ref.reference);
    uint32_t previous = 0;
    uint32_t total = 0;
    uint64_t held = 0;
    bool first = true;
    while (at != 0) {
      long index = indexOf(at);
      if (index < 0) {
        problem(Where(ref) + ": " + (first ? "reference " : "next pointer ") +
                std::to_string(at) + " is not a block of the file");
        break;
      }
      if (holder[index] == int(r)) {
        problem(Where(ref) + ": the chain runs in a circle at block " + std::to_string(at));
        break;
      }
      if (holder[index] >= 0) {
        problem(Where(ref) + ": block " + std::to_string(at) + " is also in the chain of " +
                Where(references[holder[index]]));
        break;
      }
      holder[index] = int(r);
      if (int rc = file.ReadBlockCopy(at, &block, &data)) return rc;
      std::string here = Where(ref) + ": block " + std::to_string(at);
      if (block.owner != ref.record) problem(here + " belongs to record " + std::to_string(block.owner));
      if (block.prev != previous) {
        problem(here + " points back to " + std::to_string(block.prev) + " instead of " +
                std::to_string(previous));
      }
      if (block.used > area) problem(here + " claims " + std::to_string(block.used) + " bytes");
      if (first) {
        total = block.total;
      } else if (block.total != 0) {
        problem(here + " is not the first block but carries a length");
      }
      if (block.next != 0 && block.used != area) problem(here + " is not full but not the last");
      held += block.used;
      previous = at;
      at = block.next;
      first = false;
    }
    if (held != total) {
      problem(Where(ref) + ": the chain holds " + std::to_string(held) + " bytes, its length is " +
              std::to_string(total));
    }
  }

  for (uint32_t at = header.freeHead; at != 0;) {
    long index = indexOf(at);
    if (index < 0) {
      problem("free list: " + std::to_string(at) + " is not a block of the file");
      break;
    }
    if (holder[index] == kFree) {
      problem("free list: runs in a circle at block " + std::to_string(at));
      break;
    }
    if (holder[index] >= 0) {
      problem("free list: block " + std::to_string(at) + " is also in the chain of " +
              Where(references[holder[index]]));
      break;
    }
    holder[index] = kFree;
    if (int rc = file.ReadBlockCopy(at, &block, &data)) return rc;
    at = block.next;
  }

  size_t lost = 0;
  for (size_t i = 0; i < blockCount; ++i) {
    if (holder[i] != kNobody) continue;
    if (++lost <= kLostListed) {
      problem("block " + std::to_string(kBlobFirstBlock + i * blockSize) +
              " is neither free nor in a chain");
    }
  }
  if (lost > kLostListed) problem(std::to_string(lost) + " blocks in all are neither free nor in a chain");
  return kOk;
}

}  // namespace isam
