#include "tools/isamtool/repair.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "engine/blob/blob_file.h"
#include "engine/blob/blob_format.h"
#include "engine/errors.h"
#include "engine/file/cipher.h"
#include "engine/data/data_file.h"
#include "engine/data/data_header.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/index/index_file.h"
#include "engine/file/file_session.h"
#include "tools/isamtool/commands.h"

namespace isamtool {
namespace {

using namespace isam;

// The data file's header and size as stored, opened for this process alone.
struct RawData {
  TFileHandler file{".DAT"};
  TDataHeader header;
  uint64_t descriptorsEnd = 0;

  explicit RawData(const std::string& path) {
    Check(file.SetPath(path));
    Check(file.SetExclusive(true));
    Check(file.Open());
    uint8_t raw[kDataHeaderSize];
    Check(file.Read(0, raw, sizeof raw));
    header = TDataHeader::Decode(raw);
    if (header.version != kFormatVersion) Check(ReportError(kWrongVersion, file.Path()));
    if (header.fieldCount == 0 || header.fieldCount > kMaxFields || header.recordSize <= kRecordPrefixSize)
      Check(ReportError(kHeaderCorrupt, file.Path()));
    descriptorsEnd = kDataHeaderSize + uint64_t(kFieldDescriptorSize) * header.fieldCount;
  }
  void WriteHeader() {
    ++header.updateCounter;
    uint8_t raw[kDataHeaderSize];
    header.Encode(raw, false);
    Check(file.Write(0, raw, sizeof raw));
  }
  uint64_t SlotOffset(uint32_t slot) const { return descriptorsEnd + uint64_t(slot - 1) * header.recordSize; }
};

std::string SlotName(uint32_t slot) { return "slot " + std::to_string(slot); }

// Step 1: make the data file's length and next record number agree, and the
// blob header's end offset and the blob file's length, so that the table
// opens. A whole slot beyond the counted ones is kept: it was written in one
// piece, only the header that counts it is missing.
void AlignLengths(const std::string& path, RepairResult& result) {
  RawData data(path);
  uint64_t size = 0;
  Check(data.file.Size(&size));
  if (size < data.descriptorsEnd) Check(ReportError(kHeaderCorrupt, data.file.Path()));
  uint64_t body = size - data.descriptorsEnd;
  uint64_t slots = body / data.header.recordSize;
  if (body % data.header.recordSize != 0) {
    Check(data.file.Write(data.SlotOffset(uint32_t(slots + 1)), nullptr, 0));
    result.fixed.push_back("cut off a partial record slot at the end of the data file");
  }
  if (data.header.nextRecord != slots + 1) {
    result.fixed.push_back("next record number " + std::to_string(data.header.nextRecord) + " -> " +
                           std::to_string(slots + 1));
    data.header.nextRecord = uint32_t(slots + 1);
    data.WriteHeader();
  }
  if (!data.header.hasBlobs) return;

  const uint32_t blockSize = data.header.BlockSize();
  if (!ValidBlobBlockSize(blockSize)) Check(ReportError(kBlobFieldLimits, data.file.Path()));
  TFileHandler blob(".BLB");
  Check(blob.SetPath(path));
  blob.SetErrorPath(data.file.Path());
  Check(blob.SetExclusive(true));
  Check(blob.Open());
  uint64_t blobSize = 0;
  Check(blob.Size(&blobSize));
  uint8_t raw[kBlobHeaderSize] = {};
  TBlobHeader header;
  bool rewrite = false;
  if (blobSize >= kBlobHeaderSize) {
    Check(blob.Read(0, raw, sizeof raw));
    if (data.header.hasPassword) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
    header = DecodeBlobHeader(raw);
  }
  if (blobSize < kBlobHeaderSize || header.version != kBlobVersion) {
    result.fixed.push_back("blob file header rebuilt");
    header = TBlobHeader{};
    header.freeHead = 0;
    rewrite = true;
  }
  uint64_t blocks = blobSize > kBlobFirstBlock ? (blobSize - kBlobFirstBlock) / blockSize : 0;
  uint64_t end = kBlobFirstBlock + blocks * blockSize;
  if (end > kMaxBlobFileOffset) Check(ReportError(kFileFull, data.file.Path()));
  if (end != blobSize && blobSize > kBlobHeaderSize) {
    Check(blob.Write(end, nullptr, 0));
    result.fixed.push_back("cut off a partial block at the end of the blob file");
  }
  if (header.endOffset != end || rewrite) {
    if (!rewrite) {
      result.fixed.push_back("blob end offset " + std::to_string(header.endOffset) + " -> " + std::to_string(end));
    }
    header.endOffset = uint32_t(end);
    // The free list is rebuilt later; until then it must not point anywhere.
    header.freeHead = 0;
    ++header.counter;
    EncodeBlobHeader(header, false, raw);
    if (data.header.hasPassword) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
    Check(blob.Write(0, raw, sizeof raw));
  }
}

struct Plan {
  std::vector<std::vector<uint8_t>> images;  // index = slot - 1, plain
  std::vector<bool> changed;
  std::vector<uint32_t> freeBlocks;
  uint32_t lastAutoIncrement = 0;
  uint32_t blockSize = 0;
  bool enciphered = false;
  bool hasPrimary = false;
  bool blobFreeListSound = false;  // visits exactly freeBlocks
};

std::unique_ptr<TDataFile> OpenExclusive(const std::string& path) {
  auto table = std::make_unique<TDataFile>();
  Check(table->SetPath(path));
  Check(table->SetExclusive(true));
  Check(table->Open());
  return table;
}

void MarkDeleted(Plan& plan, uint32_t slot) {
  SetSlotStatus(plan.images[slot - 1].data(), kSlotDeleted);
  plan.changed[slot - 1] = true;
}

// Walks one chain; true when it is whole: every block inside the file, in
// nobody else's chain, owned by the record, linked back, full but for the
// last, and the used bytes add up to the length in the first block.
bool ChainIsWhole(TBlobFile& blob, uint32_t first, uint32_t owner, std::vector<bool>& taken,
                  std::vector<uint32_t>& chain, std::string* why) {
  const uint32_t area = blob.DataAreaSize();
  TBlockHeader block;
  std::vector<uint8_t> data;
  uint32_t at = first, previous = 0, total = 0;
  uint64_t held = 0;
  chain.clear();
  std::set<uint32_t> inChain;
  while (at != 0) {
    if (!blob.ValidBlockOffset(at)) return *why = "block " + std::to_string(at) + " is not in the file", false;
    size_t index = (at - kBlobFirstBlock) / blob.BlockSize();
    if (taken[index] || !inChain.insert(at).second)
      return *why = "block " + std::to_string(at) + " is used twice", false;
    if (blob.ReadBlockCopy(at, &block, &data) != kOk) return *why = "block " + std::to_string(at) + " unreadable", false;
    if (block.owner != owner) return *why = "block " + std::to_string(at) + " belongs to record " + std::to_string(block.owner), false;
    if (block.prev != previous) return *why = "block " + std::to_string(at) + " is not linked back", false;
    if (block.used > area || (block.next != 0 && block.used != area))
      return *why = "block " + std::to_string(at) + " has a wrong used count", false;
    if (chain.empty()) total = block.total;
    else if (block.total != 0) return *why = "block " + std::to_string(at) + " carries a length", false;
    chain.push_back(at);
    held += block.used;
    previous = at;
    at = block.next;
  }
  if (held != total) return *why = "the chain holds " + std::to_string(held) + " of " + std::to_string(total) + " bytes", false;
  return true;
}

// Step 2: read every slot through the engine and decide what stays.
Plan Survey(const std::string& path, RepairResult& result) {
  auto table = OpenExclusive(path);
  Plan plan;
  plan.enciphered = table->Enciphered();
  plan.hasPrimary = table->Index().HasPrimary();
  const uint32_t slots = table->SlotCount();
  plan.images.assign(slots, std::vector<uint8_t>(table->RecordSize()));
  plan.changed.assign(slots, false);
  plan.lastAutoIncrement = table->Header().lastAutoIncrement;
  for (uint32_t slot = 1; slot <= slots; ++slot) {
    std::vector<uint8_t>& image = plan.images[slot - 1];
    Check(table->ReadSlot(slot, image.data()));
    plan.lastAutoIncrement = std::max(plan.lastAutoIncrement, AutoIncrementOf(image.data()));
    if (SlotStatus(image.data()) > kSlotDeleted) {
      result.lost.push_back(SlotName(slot) + ": status byte " + std::to_string(SlotStatus(image.data())) +
                            ", counted as deleted");
      MarkDeleted(plan, slot);
    }
    if (SlotIsLive(image.data()) && SlotNumberOf(image.data()) != slot) {
      SetSlotNumberOf(image.data(), slot);
      plan.changed[slot - 1] = true;
    }
  }

  // Keys of unique indexes: the record in the earlier slot keeps its key.
  TIndexFile& index = table->Index();
  for (int s = 0; s < kRecordIndexSlot; ++s) {
    if (!index.IndexInUse(s) || (s != 0 && !index.Descriptor(s).unique)) continue;
    std::set<std::string> seen;
    std::string key(index.KeyLength(s), '\0');
    for (uint32_t slot = 1; slot <= slots; ++slot) {
      if (!SlotIsLive(plan.images[slot - 1].data())) continue;
      index.BuildKey(s, plan.images[slot - 1].data(), slot, reinterpret_cast<uint8_t*>(key.data()));
      if (seen.insert(key).second) continue;
      result.lost.push_back(SlotName(slot) + ": its key in index " + index.IndexErrorName(s) +
                            " repeats an earlier record's; the record was deleted");
      MarkDeleted(plan, slot);
    }
  }

  if (TBlobFile* blob = table->Blob()) {
    plan.blockSize = blob->BlockSize();
    const uint32_t end = blob->Header().endOffset;
    std::vector<bool> taken((end - kBlobFirstBlock) / blob->BlockSize(), false);
    std::vector<uint32_t> chain;
    for (uint32_t slot = 1; slot <= slots; ++slot) {
      std::vector<uint8_t>& image = plan.images[slot - 1];
      if (!SlotIsLive(image.data())) continue;
      for (const TFieldDesc& f : table->Fields()) {
        if (!f.IsBlob()) continue;
        int32_t reference = GetI32(image.data() + f.DataOffset());
        std::string why;
        if (reference == 0) continue;
        if (reference > 0 && ChainIsWhole(*blob, uint32_t(reference), slot, taken, chain, &why)) {
          for (uint32_t at : chain) taken[(at - kBlobFirstBlock) / blob->BlockSize()] = true;
          continue;
        }
        if (reference < 0) why = "reference " + std::to_string(reference);
        result.lost.push_back(SlotName(slot) + " field " + f.name + ": blob value lost (" + why + ")");
        PutI32(image.data() + f.DataOffset(), 0);
        image[f.offset] = 0;
        plan.changed[slot - 1] = true;
      }
    }
    for (size_t i = 0; i < taken.size(); ++i)
      if (!taken[i]) plan.freeBlocks.push_back(uint32_t(kBlobFirstBlock + i * blob->BlockSize()));
    // The free list stays when it holds exactly the blocks no chain holds.
    std::set<uint32_t> listed;
    TBlockHeader block;
    std::vector<uint8_t> data;
    uint32_t at = blob->Header().freeHead;
    while (at != 0 && blob->ValidBlockOffset(at) && !taken[(at - kBlobFirstBlock) / blob->BlockSize()] &&
           listed.insert(at).second && blob->ReadBlockCopy(at, &block, &data) == kOk)
      at = block.next;
    plan.blobFreeListSound = at == 0 && listed.size() == plan.freeBlocks.size();
  }
  table->Close();
  return plan;
}

// Step 3: write the decided slots, the data header and the blob free list.
void WritePlan(const std::string& path, Plan& plan, RepairResult& result) {
  const bool hasPrimary = plan.hasPrimary;
  RawData data(path);
  const uint32_t slots = uint32_t(plan.images.size());
  // A free list that visits every deleted slot once stays as it is; any
  // other is rebuilt, lowest slot first (the engine uses it only in tables
  // with a primary index).
  uint32_t deleted = 0;
  for (const auto& image : plan.images) deleted += SlotIsDeleted(image.data());
  std::vector<bool> visited(slots + 1, false);
  uint32_t steps = 0, at = data.header.freeHead;
  while (hasPrimary && at != 0 && at <= slots && !visited[at] && SlotIsDeleted(plan.images[at - 1].data())) {
    visited[at] = true;
    ++steps;
    at = FreeListLink(plan.images[at - 1].data());
  }
  const uint32_t oldHead = data.header.freeHead;
  const bool sound = hasPrimary ? at == 0 && steps == deleted
                                : oldHead == 0 || (oldHead <= slots && SlotIsDeleted(plan.images[oldHead - 1].data()));
  uint32_t head = sound ? data.header.freeHead : 0;
  for (uint32_t slot = slots; slot >= 1 && !sound; --slot) {
    std::vector<uint8_t>& image = plan.images[slot - 1];
    if (!SlotIsDeleted(image.data())) continue;
    uint32_t link = hasPrimary ? head : 0;
    if (FreeListLink(image.data()) != link) {
      SetFreeListLink(image.data(), link);
      plan.changed[slot - 1] = true;
    }
    if (hasPrimary) head = slot;
  }
  for (uint32_t slot = 1; slot <= slots; ++slot) {
    if (!plan.changed[slot - 1]) continue;
    std::vector<uint8_t> raw = plan.images[slot - 1];
    if (plan.enciphered) ApplyCipher(raw.data(), raw.size(), kDataBlockCipher);
    Check(data.file.Write(data.SlotOffset(slot), raw.data(), raw.size()));
  }
  if (data.header.freeHead != head) result.fixed.push_back("free list of record slots rebuilt");
  if (data.header.lastAutoIncrement != plan.lastAutoIncrement)
    result.fixed.push_back("last auto-increment value " + std::to_string(data.header.lastAutoIncrement) + " -> " +
                           std::to_string(plan.lastAutoIncrement));
  data.header.freeHead = head;
  data.header.lastAutoIncrement = plan.lastAutoIncrement;
  data.WriteHeader();
  if (!data.header.hasBlobs || plan.blobFreeListSound) return;

  TFileHandler blob(".BLB");
  Check(blob.SetPath(path));
  blob.SetErrorPath(data.file.Path());
  Check(blob.SetExclusive(true));
  Check(blob.Open());
  uint32_t next = 0;
  for (auto it = plan.freeBlocks.rbegin(); it != plan.freeBlocks.rend(); ++it) {
    uint8_t raw[kBlobBlockHeaderSize];
    TBlockHeader free;
    free.next = next;
    EncodeBlockHeader(free, raw);
    if (plan.enciphered) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
    Check(blob.Write(*it, raw, sizeof raw));
    next = *it;
  }
  uint8_t raw[kBlobHeaderSize];
  Check(blob.Read(0, raw, sizeof raw));
  if (plan.enciphered) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
  TBlobHeader header = DecodeBlobHeader(raw);
  header.freeHead = next;
  ++header.counter;
  EncodeBlobHeader(header, false, raw);
  if (plan.enciphered) ApplyCipher(raw, sizeof raw, kDataBlockCipher);
  Check(blob.Write(0, raw, sizeof raw));
  result.fixed.push_back("blob free list rebuilt with " + std::to_string(plan.freeBlocks.size()) + " blocks");
}

// Step 4: every index from nothing. Deleted slots first (their old keys go
// in and out again, leaving the deleted key in the record index), so that no
// tree ever holds a key twice.
uint32_t RebuildIndexes(const std::string& path, const Plan& plan, RepairResult& result) {
  auto table = OpenExclusive(path);
  TIndexFile& index = table->Index();
  Check(index.Empty());
  const uint32_t slots = uint32_t(plan.images.size());
  if (index.HasPrimary()) {
    for (uint32_t slot = 1; slot <= slots; ++slot) {
      const uint8_t* image = plan.images[slot - 1].data();
      if (!SlotIsDeleted(image)) continue;
      Check(index.InsertRecord(slot, image));
      Check(index.DeleteRecord(slot, image));
    }
  }
  uint32_t live = 0;
  for (uint32_t slot = 1; slot <= slots; ++slot) {
    const uint8_t* image = plan.images[slot - 1].data();
    if (!SlotIsLive(image)) continue;
    Check(index.InsertRecord(slot, image));
    ++live;
  }
  table->Close();
  result.fixed.push_back("every index rebuilt from " + std::to_string(live) + " records");
  return live;
}

}  // namespace

RepairResult RepairTable(const std::string& path) {
  RepairResult result;
  AlignLengths(path, result);
  Plan plan = Survey(path, result);
  WritePlan(path, plan, result);
  result.records = RebuildIndexes(path, plan, result);
  return result;
}

int Repair(const Options& options) {
  RepairResult result = RepairTable(options.table);
  for (const std::string& line : result.fixed) std::printf("fixed: %s\n", line.c_str());
  for (const std::string& line : result.lost) std::printf("lost: %s\n", line.c_str());
  std::printf("repaired: %u records\n", result.records);
  return 0;
}

}  // namespace isamtool
