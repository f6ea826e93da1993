#pragma once
// Test support for the blob file: a small table (an integer and two blob
// fields) standing in for the data file, and an independent writer of blob
// files laid out by hand from the byte tables.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/blob/blob_file.h"
#include "engine/file/cipher.h"
#include "engine/file/field_desc.h"
#include "engine/file/le.h"
#include "engine/file/table_host.h"

namespace blob_test {

using isam::TFieldDesc;

// Record layout: 9-byte prefix, ID (null flag at 9, int32 at 10), Q_TEXT
// (memo: flag at 14, reference at 15), PICT1 (graphic: flag 19, reference 20).
constexpr uint16_t kIdField = 1;
constexpr uint16_t kTextField = 2;
constexpr uint16_t kPictField = 3;
constexpr size_t kRecordSize = 24;

inline TFieldDesc Field(uint16_t number, const char* name, uint8_t type, uint8_t subtype,
                        uint16_t offset) {
  TFieldDesc desc;
  desc.number = number;
  desc.name = name;
  desc.type = type;
  desc.subtype = subtype;
  desc.storedSize = 4;
  desc.offset = offset;
  return desc;
}

class FakeHost : public isam::TTableHost {
 public:
  explicit FakeHost(std::string dataPath, bool enciphered = false)
      : path_(std::move(dataPath)), enciphered_(enciphered) {
    fields_ = {Field(kIdField, "ID", isam::kFieldInt32, 0, 9),
               Field(kTextField, "Q_TEXT", isam::kFieldBlob, isam::kSubtypeMemo, 14),
               Field(kPictField, "PICT1", isam::kFieldBlob, isam::kSubtypeGraphic, 19)};
  }

  const std::string& DataFilePath() const override { return path_; }
  const std::vector<TFieldDesc>& Fields() const override { return fields_; }
  uint16_t RecordSize() const override { return kRecordSize; }
  bool Enciphered() const override { return enciphered_; }
  uint16_t LanguageId() const override { return 0; }
  uint16_t SortId() const override { return 0; }
  const isam::TTableLocale* Locale() const override { return nullptr; }
  uint32_t SlotCount() const override { return 1000; }
  // Counts disk reads; restartNext makes the next one behave as if another
  // user had written: the blob file reloads and the read restarts.
  int BeforeDiskRead() override {
    ++diskReads;
    if (restartNext && blob) {
      restartNext = false;
      blob->Reload();
      return isam::kRestart;
    }
    return 0;
  }
  bool HoldsTableLock() const override { return lockHeld; }

  isam::TBlobFile* blob = nullptr;
  bool lockHeld = false;
  bool restartNext = false;
  int diskReads = 0;

 private:
  std::string path_;
  bool enciphered_;
  std::vector<TFieldDesc> fields_;
};

using Image = std::vector<uint8_t>;
inline Image NewImage() { return Image(kRecordSize, 0); }
inline int32_t RefOf(const Image& image, uint16_t field) {
  return isam::GetI32(image.data() + (field == kTextField ? 15 : 20));
}
inline void SetRef(Image& image, uint16_t field, int32_t ref) {
  isam::PutI32(image.data() + (field == kTextField ? 15 : 20), ref);
  image[field == kTextField ? 14 : 19] = ref != 0;
}

inline std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(seed + i * 7 + i / 251);
  return bytes;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Builds a blob file image block by block, straight from the byte tables.
class HandLayout {
 public:
  explicit HandLayout(uint32_t blockSize) : b_(blockSize), bytes_(512, 0) {
    bytes_[8] = 3;
    SetEnd();
  }
  uint32_t BlockSize() const { return b_; }
  uint32_t Area() const { return b_ - 18; }
  uint32_t End() const { return uint32_t(bytes_.size()); }
  // Appends blank blocks; returns the offset of the first.
  uint32_t AddBlocks(size_t count) {
    uint32_t at = End();
    bytes_.resize(bytes_.size() + count * b_, 0);
    SetEnd();
    return at;
  }
  void SetBlock(uint32_t at, uint32_t prev, uint32_t next, uint16_t used, uint32_t owner,
                uint32_t total, const uint8_t* data) {
    uint8_t* p = bytes_.data() + at;
    isam::PutU32(p, prev);
    isam::PutU32(p + 4, next);
    isam::PutU16(p + 8, used);
    isam::PutU32(p + 10, owner);
    isam::PutU32(p + 14, total);
    if (data) std::memcpy(p + 18, data, used);
  }
  // Lays a value out over the given blocks (in that order); returns the
  // first offset (0 for an empty value).
  uint32_t PutValue(const std::vector<uint32_t>& blocks, uint32_t owner,
                    const std::vector<uint8_t>& value) {
    for (size_t i = 0; i < blocks.size(); ++i) {
      size_t at = i * Area();
      uint16_t used = uint16_t(std::min<size_t>(Area(), value.size() - at));
      SetBlock(blocks[i], i ? blocks[i - 1] : 0, i + 1 < blocks.size() ? blocks[i + 1] : 0, used,
               owner, i ? 0 : uint32_t(value.size()), value.data() + at);
    }
    return blocks.empty() ? 0 : blocks[0];
  }
  void SetFreeHead(uint32_t head) { isam::PutU32(bytes_.data() + 9, head); }
  void SetCounter(uint32_t counter) { isam::PutU32(bytes_.data(), counter); }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  // The file as stored: enciphered when the table has a password.
  std::vector<uint8_t> Stored(bool enciphered) const {
    std::vector<uint8_t> out = bytes_;
    if (!enciphered) return out;
    isam::ApplyCipher(out.data(), 512, isam::kDataBlockCipher);
    for (size_t at = 512; at + b_ <= out.size(); at += b_) {
      isam::ApplyCipher(out.data() + at, 18, isam::kDataBlockCipher);
      isam::ApplyCipher(out.data() + at + 18, b_ - 18, isam::kDataBlockCipher);
    }
    return out;
  }

 private:
  void SetEnd() { isam::PutU32(bytes_.data() + 13, uint32_t(bytes_.size())); }
  uint32_t b_;
  std::vector<uint8_t> bytes_;
};

}  // namespace blob_test
