// Writes the seed corpora of the fuzz targets: valid tables of several shapes
// (with and without primary index, password, blob files of two block sizes,
// one and several index levels, a free list of deleted slots), filter texts
// and the expression buffers compiled from them.
//   make_seeds OUTDIR   -> OUTDIR/table, OUTDIR/filter_text, OUTDIR/filter_buffer
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/blob/blob_file.h"
#include "engine/filter/filter_expr.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/table_exercise.h"

using namespace isam;

namespace {

void Save(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Adds `count` records (NAME and N set, a memo of varying length on every
// third) and deletes every fifth.
void Fill(const std::string& base, int count) {
  TDataFile table;
  table.SetPath(base);
  table.SetExclusive(true);
  fuzzing::Require(table.Open());
  std::vector<uint8_t> image(table.RecordSize());
  for (int i = 0; i < count; ++i) {
    table.InitRecord(image.data());
    for (const TFieldDesc& f : table.Fields()) {
      if (f.type == kFieldString) PutFieldString(f, image.data(), "name " + std::to_string(i * 7919 % 1000));
      if (f.type == kFieldInt32 && !f.IsAutoIncrement()) fuzzing::PutRaw(f, image.data(), uint32_t(i % 13));
      if (f.IsBlob() && i % 3 == 0 && table.Blob()) {
        std::string text(size_t(i * 37 % 1500 + 1), char('a' + i % 26));
        fuzzing::Require(table.Blob()->OpenBlob(image.data(), f.number, 0));
        fuzzing::Require(table.Blob()->WriteBlob(image.data(), f.number, 0, uint32_t(text.size()), text.data()));
      }
    }
    fuzzing::Require(table.AddRecord(image.data()));
  }
  fuzzing::Require(table.Index().SelectIndex(kPhysicalOrder));
  for (int i = count; i >= 1; --i) {
    if (i % 5 != 0) continue;
    if (table.MoveToPosition(uint32_t(i)) == kOk) fuzzing::Require(table.DeleteCurrent());
  }
  table.Close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
    return 2;
  }
  EngineScope engine;
  std::filesystem::path out = argv[1];
  for (const char* name : {"table", "filter_text", "filter_buffer"}) std::filesystem::create_directories(out / name);
  std::string scratch = fuzzing::ScratchDir();

  struct Shape {
    const char* name;
    TTableDef def;
    int records;
  };
  std::vector<Shape> shapes;
  {
    TTableDef def;
    def.fields = {{"ID", kFieldInt32, kSubtypeAutoIncrement}, {"N", kFieldInt32}, {"NAME", kFieldString, 0, 30},
                  {"MEMO", kFieldBlob, kSubtypeMemo}};
    def.indexes.push_back({"", {1}, {}, false, false, true, 0, true});
    def.indexes.push_back({"ByN", {2}, {}, false, false, false, kCompressNone, false});
    def.indexes.push_back({"ByName", {3, 2}, {false, true}, false, true, true, kCompressBoth, false});
    shapes.push_back({"small", def, 12});
    shapes.push_back({"levels", def, 400});
    def.password = "secret";
    shapes.push_back({"password", def, 10});
    def.password.clear();
    def.blobBlockSize = 64;
    shapes.push_back({"blocks64", def, 15});
  }
  {
    TTableDef def;
    def.fields = {{"N", kFieldInt32}, {"NAME", kFieldString, 0, 10}, {"TAG", kFieldString, 0, 8}};
    def.indexes.push_back({"ByTag", {3}, {}, false, false, false, kCompressLeading, false});
    def.indexes.push_back({"ByName", {2}, {}, true, false, false, kCompressTrailing, false});
    shapes.push_back({"noprimary", def, 20});
  }
  shapes.push_back({"filter", fuzzing::FilterTable(), 8});
  CurrentFileSession()->passwords.Add("secret");
  for (const Shape& shape : shapes) {
    std::string base = scratch + "/" + shape.name;
    fuzzing::Require(CreateTable(base, shape.def));
    Save(out / "table" / (std::string(shape.name) + "-empty"), fuzzing::JoinTableInput(fuzzing::ReadTableImages(base)));
    Fill(base, shape.records);
    Save(out / "table" / shape.name, fuzzing::JoinTableInput(fuzzing::ReadTableImages(base)));
  }

  const char* texts[] = {
      "NAME = 'alpha'", "N > 3 and N <= 12", "not (SMALL <> -5) or OK = True", "NAME = 'ab*'",
      "PRICE >= 12.5 AND AMOUNT < 100.25", "DAY = '1/2/2000' or AT > '10:30:00 PM'",
      "STAMP < '12/31/1999 11:59:59 PM'", "[NAME] = NULL", "COUNT <> 0 and (N = 1 or (N = 2 and NAME <> ''))",
      "ID >= 2", "NOTE = 'x'", "OK = False", "NAME > 'b' and NAME < 'z'",
  };
  std::string base = scratch + "/texts";
  fuzzing::Require(CreateTable(base, fuzzing::FilterTable()));
  TDataFile table;
  table.SetPath(base);
  fuzzing::Require(table.Open());
  TFilterFieldList fields = fuzzing::FilterFieldsOf(table.Fields());
  int n = 0;
  for (const char* text : texts) {
    ++n;
    Save(out / "filter_text" / std::to_string(n), std::string(1, char(n & 3)) + text);
    try {
      TExprBuffer buffer = ParseFilterText(fields, text, uint8_t(n & 1));
      Save(out / "filter_buffer" / std::to_string(n), std::string(buffer.begin(), buffer.end()));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "seed text %s: %s\n", text, e.what());
    }
  }
  table.Close();
  std::filesystem::remove_all(scratch);
  return 0;
}
