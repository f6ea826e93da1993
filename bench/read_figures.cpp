#include "bench/read_figures.h"

#include <cstdio>
#include <random>
#include <stdexcept>

#include "engine/data/data_file.h"
#include "engine/file/le.h"
#include "engine/file/record_fields.h"
#include "engine/data/table_creator.h"
#include "engine/filter/filter_expr.h"
#include "engine/filter/table_filters.h"
#include "engine/index/index_file.h"
#include "engine/table.h"
#include "engine/table_records.h"

namespace bench {
namespace {

using isam::TIndexFile;

constexpr int kSamples = 200;  // cold operations averaged per figure

// A narrow question table: record size does not change the index, and a
// narrow one loads 10^6 records in seconds.
isam::TTableDef NarrowTable() {
  auto field = [](const char* name, uint8_t type, uint8_t subtype = 0, uint8_t size = 0) {
    isam::TFieldDef def;
    def.name = name;
    def.type = type;
    def.subtype = subtype;
    def.size = size;
    return def;
  };
  isam::TTableDef def;
  def.fields = {field("Q_ID", isam::kFieldInt32, isam::kSubtypeAutoIncrement), field("Q_EXAM_N", isam::kFieldInt32),
                field("Q_SECT", isam::kFieldInt32), field("Q_TYPE", isam::kFieldBoolean),
                field("Q1", isam::kFieldString, 0, 40)};
  def.indexes.push_back({"", {1}, {}, false, false, true, 0, true});
  def.indexes.push_back({"ByExam", {2}, {}, false, false, false, 0, false});
  return def;
}

void Load(const std::string& folder, const std::string& name, uint32_t n) {
  if (isam::CreateTable(folder + "/" + name, NarrowTable()) != 0) throw std::runtime_error("cannot create " + name);
  isam::TIsamTable t;
  t.SetDatabaseName(folder);
  t.SetTableName(name);
  t.SetExclusive(true);
  t.Open();
  isam::TIsamField &exam = t.FieldNamed("Q_EXAM_N"), &sect = t.FieldNamed("Q_SECT");
  isam::TIsamField &type = t.FieldNamed("Q_TYPE"), &q1 = t.FieldNamed("Q1");
  std::mt19937 draw(n);
  for (uint32_t i = 1; i <= n; ++i) {
    t.BeginAppend();
    exam.SetIntegerValue(static_cast<int32_t>(draw() % 8));
    sect.SetIntegerValue(static_cast<int32_t>(1 + draw() % 7));
    type.SetBooleanValue(draw() % 5 == 0);
    q1.SetStringValue("Question " + std::to_string(i));
    t.PostRecord();
  }
}

// The key of an index over a record whose first key field holds value.
std::string KeyOf(isam::TDataFile& file, int slot, uint16_t fieldNo, int32_t value, uint32_t record, int fields) {
  std::vector<uint8_t> image(file.RecordSize());
  file.InitRecord(image.data());
  uint8_t data[4];
  isam::PutI32(data, value);
  isam::PutFieldData(file.Fields()[fieldNo - 1], image.data(), data);
  std::string key(file.Index().KeyLength(slot), '\0');
  key.resize(file.Index().BuildKey(slot, image.data(), record, reinterpret_cast<uint8_t*>(key.data()), fields));
  return key;
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Average pages read by op over cold runs (caches dropped before each).
template <class Prepare, class Op>
double ColdPages(TIndexFile& index, std::mt19937& draw, Prepare prepare, Op op) {
  uint64_t pages = 0;
  for (int i = 0; i < kSamples; ++i) {
    const uint32_t arg = static_cast<uint32_t>(draw());
    prepare(arg);
    index.DropCaches();
    const uint64_t before = index.PagesRead();
    if (int rc = op(arg)) throw std::runtime_error("index operation failed: " + std::to_string(rc));
    pages += index.PagesRead() - before;
  }
  return double(pages) / kSamples;
}

void PositionFigures(isam::TDataFile& file, uint32_t n) {
  TIndexFile& index = file.Index();
  std::mt19937 draw(7);
  uint32_t record = 0, value = 0;
  const int exam = index.FindIndex("ByExam");
  index.SelectIndex(0);
  const double go = ColdPages(index, draw, [](uint32_t) {},
                              [&](uint32_t r) { return index.GoToPosition(1 + r % n, &record); });
  const double pos = ColdPages(index, draw, [&](uint32_t r) { index.GoToPosition(1 + r % n, &record); },
                               [&](uint32_t) { return index.Position(&value); });
  const double range = ColdPages(index, draw, [](uint32_t) {}, [&](uint32_t r) {
    const int32_t a = static_cast<int32_t>(1 + r % n), b = static_cast<int32_t>(a + (r >> 8) % n);
    const std::string low = KeyOf(file, 0, 1, a, 0, -1), high = KeyOf(file, 0, 1, b, 0, -1);
    return index.CountKeyRange(0, Bytes(low), low.size(), Bytes(high), high.size(), &value);
  });
  index.SelectIndex(exam);
  const double count = ColdPages(index, draw, [&](uint32_t r) {
    const int32_t e = static_cast<int32_t>(r % 8);
    const std::string low = KeyOf(file, exam, 2, e, 0, -1), high = KeyOf(file, exam, 2, e, 0xFFFFFFFFu, -1);
    index.SetRange(Bytes(low), Bytes(high));
  }, [&](uint32_t) { return index.Count(&value); });
  std::printf("  n=%-8u  go to position %5.2f  record number %5.2f  count of a range %5.2f  range size %5.2f\n",
              n, go, pos, count, range);
}

isam::TFilterFieldList FilterFields(const isam::TDataFile& file) {
  isam::TFilterFieldList list;
  for (size_t i = 0; i < file.Fields().size(); ++i) {
    const isam::TFieldDesc& desc = file.Fields()[i];
    isam::TFilterField field;
    field.name = desc.name;
    field.fieldNo = static_cast<uint16_t>(i + 1);
    field.type = desc.type;
    field.subtype = desc.subtype;
    field.size = desc.declaredSize;
    field.scale = desc.declaredScale;
    list.push_back(std::move(field));
  }
  return list;
}

void FilterFigures(isam::TDataFile& file, uint32_t n) {
  std::printf("  n=%-8u", n);
  for (const char* text : {"Q_EXAM_N=3", "Q_SECT=3"}) {
    file.Index().SelectIndex(0);
    isam::TDataFileRecords source(file);
    isam::TTableFilters filters(file.Index(), source);
    const isam::TExprBuffer buffer = isam::ParseFilterText(FilterFields(file), text, 0);
    isam::TFilterHandle handle = 0;
    if (filters.AddExpression(buffer.data(), buffer.size(), &handle) || filters.Activate(handle))
      throw std::runtime_error(std::string("cannot activate ") + text);
    const uint64_t built = filters.RecordsRead();
    uint32_t count = 0, seen = 0;
    file.Count(&count);
    for (int rc = file.MoveFirst(); rc == 0; rc = file.MoveNext()) ++seen;
    std::printf("  %-10s build %7llu  count+walk %llu (count %u, walked %u)", text,
                static_cast<unsigned long long>(built),
                static_cast<unsigned long long>(filters.RecordsRead() - built), count, seen);
  }
  std::printf("\n");
}

}  // namespace

void PrintReadFigures(const std::string& folder, const std::vector<uint32_t>& sizes) {
  std::vector<std::string> tables;
  for (uint32_t n : sizes) {
    tables.push_back("grow" + std::to_string(n) + ".DAT");
    Load(folder, tables.back(), n);
  }
  auto each = [&](void (*figures)(isam::TDataFile&, uint32_t)) {
    for (size_t i = 0; i < sizes.size(); ++i) {
      isam::TIsamTable t;
      t.SetDatabaseName(folder);
      t.SetTableName(tables[i]);
      t.Open();
      figures(*t.DataFile(), sizes[i]);
    }
  };
  std::printf("Index pages read per cold operation (average of %d; grows like log n):\n", kSamples);
  each(PositionFigures);
  std::printf("Records read by filters (index-answered: build 0; neither re-evaluates on count or walk):\n");
  each(FilterFigures);
}

}  // namespace bench
