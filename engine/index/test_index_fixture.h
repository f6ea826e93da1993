#pragma once
// A created and opened index file over the test host, for index tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/file/file_session.h"
#include "engine/index/index_check.h"
#include "engine/index/index_defs.h"
#include "engine/index/index_file.h"
#include "engine/index/test_table_host.h"
#include "testing/temp_dir.h"

namespace isam::testing_index {

inline TIndexDef Def(std::string name, std::vector<uint16_t> fields, bool primary = false, bool unique = false,
                     uint8_t compression = kCompressNone) {
  TIndexDef def;
  def.name = std::move(name);
  def.fields = std::move(fields);
  def.primary = primary;
  def.unique = unique;
  def.compression = compression;
  return def;
}

class IndexFixture {
 public:
  explicit IndexFixture(std::vector<TIndexDef> defs, bool enciphered = false)
      : host(dir.File("T.DAT")), defs_(std::move(defs)) {
    host.enciphered = enciphered;
    bool hasPrimary = false;
    for (const auto& d : defs_) hasPrimary = hasPrimary || d.primary;
    createResult = CreateIndexFile(IndexPath(), defs_, hasPrimary, enciphered, host.Fields(), host.DataFilePath());
    file = std::make_unique<TIndexFile>(host);
    host.onRestart = [this] { file->Reload(); };
    if (createResult == 0) {
      file->SetPath(IndexPath());
      openResult = file->Open();
    }
  }

  std::string IndexPath() const { return dir.File("T.IDX"); }

  // Adds a record under the next slot number, as the data file would.
  uint32_t Add(const std::vector<uint8_t>& image) {
    uint32_t record = ++host.slots;
    EXPECT_EQ(file->InsertRecord(record, image.data()), 0);
    return record;
  }

  // Record numbers in the order of the current index (First, Next, ...).
  std::vector<uint32_t> Walk() {
    std::vector<uint32_t> order;
    uint32_t record = 0;
    for (int rc = file->First(&record); rc == 0; rc = file->Next(&record)) order.push_back(record);
    return order;
  }

  EngineScope engine;  // error contexts land in the engine record
  testing_support::TempDir dir;
  TestTableHost host;
  std::unique_ptr<TIndexFile> file;
  int createResult = -1;
  int openResult = -1;

 private:
  std::vector<TIndexDef> defs_;
};

}  // namespace isam::testing_index
