#pragma once
// What the table fuzz target does with a table made of arbitrary bytes, kept
// in a header so that the regression test of the normal suite replays found
// inputs through exactly the same steps.
//
// An input is the three files of one table in one byte string:
//   0  u32  length of the data file image (cut to what is there)
//   4  u32  length of the index file image (cut likewise)
//   8       the data file, then the index file, then the blob file (the rest)
//
// Exercising opens the table exclusively, reads every record slot, every blob
// value of every live record, walks every index forward and back, runs the
// index and blob verifiers and, when asked, adds, modifies and deletes a
// record. Every failure must be an engine error code: the caller only cares
// that nothing crashes, hangs or reads outside a buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/blob/blob_file.h"
#include "engine/blob/blob_verify.h"
#include "engine/file/error_codes.h"
#include "engine/data/data_file.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/index/index_check.h"
#include "engine/index/index_file.h"

namespace isam::fuzzing {

struct TTableImages {
  std::string data, index, blob;
};

inline TTableImages SplitTableInput(const uint8_t* bytes, size_t size) {
  TTableImages images;
  if (size < 8) return images;
  size_t dataLength = std::min<size_t>(GetU32(bytes), size - 8);
  size_t indexLength = std::min<size_t>(GetU32(bytes + 4), size - 8 - dataLength);
  const char* at = reinterpret_cast<const char*>(bytes) + 8;
  images.data.assign(at, dataLength);
  images.index.assign(at + dataLength, indexLength);
  images.blob.assign(at + dataLength + indexLength, size - 8 - dataLength - indexLength);
  return images;
}

inline std::string JoinTableInput(const TTableImages& images) {
  std::string out(8, '\0');
  PutU32(reinterpret_cast<uint8_t*>(out.data()), uint32_t(images.data.size()));
  PutU32(reinterpret_cast<uint8_t*>(out.data()) + 4, uint32_t(images.index.size()));
  return out + images.data + images.index + images.blob;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// base: the table path without extension.
inline TTableImages ReadTableImages(const std::string& base) {
  return {ReadWholeFile(base + ".DAT"), ReadWholeFile(base + ".IDX"), ReadWholeFile(base + ".BLB")};
}

inline void WriteTableImages(const std::string& base, const TTableImages& images) {
  std::ofstream(base + ".DAT", std::ios::binary | std::ios::trunc) << images.data;
  std::ofstream(base + ".IDX", std::ios::binary | std::ios::trunc) << images.index;
  std::ofstream(base + ".BLB", std::ios::binary | std::ios::trunc) << images.blob;
}

namespace detail {

// Walks are bounded so that a damaged file cannot keep a run busy for long.
constexpr uint32_t kMaxSteps = 20000;

inline void ReadBlobs(TDataFile& table, uint32_t slot, const uint8_t* image) {
  TBlobFile* blob = table.Blob();
  if (!blob) return;
  std::vector<uint8_t> copy(image, image + table.RecordSize());
  for (const TFieldDesc& f : table.Fields()) {
    if (!f.IsBlob() || GetI32(copy.data() + f.DataOffset()) == 0) continue;
    if (blob->OpenBlob(copy.data(), f.number, slot) != kOk) continue;
    uint32_t size = 0, done = 0;
    blob->GetBlobSize(copy.data(), f.number, &size);
    std::vector<uint8_t> bytes(std::min<uint32_t>(size, 1 << 20) + 16);
    blob->ReadBlob(copy.data(), f.number, 0, uint32_t(bytes.size()), bytes.data(), &done);
    blob->CloseBlob(copy.data(), f.number);
  }
}

inline void WalkIndex(TDataFile& table, int slot, std::vector<uint8_t>& image) {
  if (table.Index().SelectIndex(slot) != kOk) return;
  uint32_t count = 0, position = 0;
  table.Count(&count);
  uint32_t steps = 0;
  for (int rc = table.MoveFirst(); rc == kOk && steps < kMaxSteps; rc = table.MoveNext(), ++steps) {
    table.ReadCurrent(image.data());
    table.Position(&position);
  }
  steps = 0;
  for (int rc = table.MoveLast(); rc == kOk && steps < 50; rc = table.MovePrior(), ++steps) {
    table.ReadCurrent(image.data());
  }
  table.MoveToPosition(count / 2 + 1);
  std::string bookmark = table.Bookmark();
  table.MoveBy(-3);
  if (!bookmark.empty()) table.MoveToBookmark(bookmark);
  bool exact = false;
  std::vector<uint8_t> key(table.Index().KeyLength(slot == kPhysicalOrder ? 0 : slot) + 1, 0x41);
  if (slot != kPhysicalOrder) table.MoveToKey(key.data(), key.size() - 1, &exact);
}

inline void Change(TDataFile& table, std::vector<uint8_t>& image) {
  TBlobFile* blob = table.Blob();
  table.InitRecord(image.data());
  for (const TFieldDesc& f : table.Fields()) {
    if (f.IsBlob() && blob && blob->OpenBlob(image.data(), f.number, 0) == kOk) {
      const char text[] = "a value of a few bytes, written through the whole chain code";
      blob->WriteBlob(image.data(), f.number, 0, sizeof text, text);
    } else if (!f.IsComputed() && !f.IsAutoIncrement() && !f.IsBlob()) {
      std::vector<uint8_t> data(f.storedSize, 0x31);
      PutFieldData(f, image.data(), data.data());
    }
  }
  if (table.AddRecord(image.data()) != kOk && blob) blob->CloseImageBlobs(image.data());
  if (table.MoveFirst() == kOk && table.ReadCurrent(image.data(), true) == kOk) {
    for (const TFieldDesc& f : table.Fields()) {
      if (f.IsBlob() && blob && blob->OpenBlob(image.data(), f.number, table.CurrentSlot()) == kOk)
        blob->SetBlobSize(image.data(), f.number, 700);
    }
    if (table.ModifyCurrent(image.data()) != kOk && blob) blob->CloseImageBlobs(image.data());
  }
  if (table.MoveLast() == kOk) table.DeleteCurrent();
}

}  // namespace detail

inline void ExerciseTable(const std::string& base, bool change) {
  TDataFile table;
  if (table.SetPath(base) != kOk || table.SetExclusive(true) != kOk || table.SetReadOnly(!change) != kOk) return;
  if (table.Open() != kOk) return;
  std::vector<uint8_t> image(table.RecordSize());
  std::vector<TBlobReference> references;
  const uint32_t slots = std::min(table.SlotCount(), detail::kMaxSteps);
  for (uint32_t slot = 1; slot <= slots; ++slot) {
    if (table.ReadSlot(slot, image.data()) != kOk || image[0] != 0) continue;
    detail::ReadBlobs(table, slot, image.data());
    for (const TFieldDesc& f : table.Fields())
      if (f.IsBlob()) references.push_back({slot, f.number, GetI32(image.data() + f.DataOffset())});
  }
  for (int slot = 0; slot < kRecordIndexSlot; ++slot)
    if (table.Index().IndexInUse(slot)) detail::WalkIndex(table, slot, image);
  detail::WalkIndex(table, kPhysicalOrder, image);

  auto live = [&](const TRecordVisitor& visit) -> int {
    std::vector<uint8_t> record(table.RecordSize());
    for (uint32_t slot = 1; slot <= slots; ++slot) {
      if (int rc = table.ReadSlot(slot, record.data())) return rc;
      if (record[0] == 0) visit(slot, record.data());
    }
    return kOk;
  };
  CheckIndexFile(table.Index(), live);
  if (table.Blob()) {
    std::vector<std::string> problems;
    VerifyBlobFile(*table.Blob(), references, &problems);
  }
  if (change) detail::Change(table, image);
  table.Close();
}

}  // namespace isam::fuzzing
