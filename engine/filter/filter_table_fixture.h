#pragma once
// Test fixture: a table held in memory (field layout, record slots) with a
// real index file on disk, standing in for the data file that filters read
// records through.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/file/error_codes.h"
#include "engine/file/file_session.h"
#include "engine/file/table_host.h"
#include "engine/filter/filter.h"
#include "engine/filter/filter_test_support.h"
#include "engine/index/index_defs.h"
#include "engine/index/index_file.h"
#include "testing/temp_dir.h"

namespace isam::filter_testing {

class MemoryTable : public TTableHost, public TFilterRecordSource {
 public:
  MemoryTable(const TestSchema& schema, const std::vector<TIndexDef>& defs)
      : schema_(schema), path_(dir_.File("T.DAT")) {
    bool hasPrimary = false;
    for (const TIndexDef& def : defs) hasPrimary = hasPrimary || def.primary;
    EXPECT_EQ(CreateIndexFile(dir_.File("T.IDX"), defs, hasPrimary, false, schema.fields(), path_), 0);
    index_ = std::make_unique<TIndexFile>(*this);
    index_->SetPath(dir_.File("T.IDX"));
    EXPECT_EQ(index_->Open(), 0);
  }
  ~MemoryTable() override { index_->Close(); }

  TIndexFile& index() { return *index_; }

  // Adds a record in a new slot, as the data file would; returns its number.
  uint32_t Add(std::vector<uint8_t> image) {
    uint32_t n = static_cast<uint32_t>(slots_.size() + 1);
    image[0] = 0;
    PutU32(&image[1], n);
    if (!HasAutoIncrement()) PutU32(&image[5], n);
    slots_.push_back(image);
    deleted_.push_back(false);
    EXPECT_EQ(index_->InsertRecord(n, image.data()), 0);
    return n;
  }
  void Modify(uint32_t n, std::vector<uint8_t> image) {
    std::copy(slots_[n - 1].begin(), slots_[n - 1].begin() + 9, image.begin());
    EXPECT_EQ(index_->ModifyRecord(n, slots_[n - 1].data(), image.data()), 0);
    slots_[n - 1] = image;
  }
  void Delete(uint32_t n) {
    EXPECT_EQ(index_->DeleteRecord(n, slots_[n - 1].data()), 0);
    slots_[n - 1][0] = 1;
    deleted_[n - 1] = true;
  }
  const std::vector<uint8_t>& Image(uint32_t n) const { return slots_[n - 1]; }
  bool Deleted(uint32_t n) const { return deleted_[n - 1]; }

  // TFilterRecordSource
  int ReadSlot(uint32_t slot, uint8_t* image, bool* deleted) override {
    if (failReads) return ReportError(kReadError, path_);
    if (restarts > 0) {
      --restarts;
      return kRestart;
    }
    ++reads;
    std::copy(slots_[slot - 1].begin(), slots_[slot - 1].end(), image);
    *deleted = deleted_[slot - 1];
    return 0;
  }

  // TTableHost
  const std::string& DataFilePath() const override { return path_; }
  const std::vector<TFieldDesc>& Fields() const override { return schema_.fields(); }
  uint16_t RecordSize() const override { return schema_.recordSize(); }
  bool Enciphered() const override { return false; }
  uint16_t LanguageId() const override { return 0; }
  uint16_t SortId() const override { return 0; }
  const TTableLocale* Locale() const override { return nullptr; }
  uint32_t SlotCount() const override { return static_cast<uint32_t>(slots_.size()); }
  int BeforeDiskRead() override { return 0; }
  bool HoldsTableLock() const override { return false; }

  uint64_t reads = 0;
  int restarts = 0;  // reads that report another user's change first
  bool failReads = false;

 private:
  bool HasAutoIncrement() const {
    for (const TFieldDesc& d : schema_.fields())
      if (d.IsAutoIncrement()) return true;
    return false;
  }

  EngineScope engine_;
  testing_support::TempDir dir_;
  const TestSchema& schema_;
  std::string path_;
  std::unique_ptr<TIndexFile> index_;
  std::vector<std::vector<uint8_t>> slots_;
  std::vector<bool> deleted_;
};

inline TIndexDef IndexOn(std::string name, uint16_t field, bool primary = false) {
  TIndexDef def;
  def.name = std::move(name);
  def.fields = {field};
  def.primary = primary;
  def.unique = primary;
  return def;
}

}  // namespace isam::filter_testing
