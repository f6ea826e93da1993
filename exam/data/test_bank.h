#pragma once
// Tests of the program run in a scratch folder that holds a copy of the
// shipped tables (bank, current exam set, user set), made the working
// directory as the start window makes the program's folder.
#include <unistd.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "testing/temp_dir.h"

namespace marvessa::testing {

class TBankFolder {
 public:
  TBankFolder() {
    namespace fs = std::filesystem;
    for (const char* base : {"qvault", "ces", "qvaultusr"})
      for (const char* ext : {".DAT", ".IDX", ".BLB"}) {
        std::string name = std::string(base) + ext;
        fs::path from = fs::path(MARVESSA_RUNTIME_DIR) / name;
        if (fs::exists(from)) fs::copy_file(from, fs::path(dir_.path()) / name);
      }
    previous_ = fs::current_path();
    fs::current_path(dir_.path());
  }
  ~TBankFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  TBankFolder(const TBankFolder&) = delete;
  TBankFolder& operator=(const TBankFolder&) = delete;

  const std::string& Path() const { return dir_.path(); }

 private:
  testing_support::TempDir dir_;
  std::filesystem::path previous_;
};

// How often each value of an integer field occurs in the records that a
// filter lets through (an empty filter: all records).
inline std::map<int, int> FieldCounts(isam::TIsamTable& table, const char* field, const std::string& filter = {}) {
  const bool wasOpen = table.Active();
  if (!wasOpen) table.Open();
  table.SetFilter(filter);
  table.SetFiltered(!filter.empty());
  std::map<int, int> counts;
  for (table.MoveFirst(); !table.IsTableEmpty() && !table.AtEnd(); table.MoveNext())
    ++counts[table.FieldNamed(field).IntegerValue()];
  if (!wasOpen) table.Close();
  return counts;
}

}  // namespace marvessa::testing
